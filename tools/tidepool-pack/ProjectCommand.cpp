// The default command: a project folder packed into a saver.
#include <dirent.h>

#include <algorithm>

#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "tidepool-pack/PackCommand.h"
#include "tidepool-pack/SaverBuilder.h"

namespace tp::pack {
namespace {

// A text of the project folder in Windows-1252: UTF-8 is converted, anything else kept.
bool ReadText(const std::string& path, std::string& text) {
  if (!FileExists(path)) return false;
  if (!ReadFile(path, text)) throw FileError(path, "cannot be read");
  if (IsValidUtf8(text)) {
    auto cp = Utf8ToCp1252(text);
    if (!cp) throw FileError(path, "holds characters that Windows-1252 cannot represent");
    text = *cp;
  }
  return true;
}

std::vector<std::string> ListFiles(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) {
    if (DirectoryExists(dir)) throw FileError(dir, "cannot be read");
    return names;  // a project without files/
  }
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    if (FileExists(dir + "/" + n)) names.push_back(n);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

// The stored name: the player keeps only what follows the last backslash or slash.
std::string StoredName(const std::string& dir, const std::string& name) {
  if (name.find('\\') != std::string::npos) throw FileError(dir + "/" + name, "a file name may not hold a backslash");
  auto cp = Utf8ToCp1252(name);
  if (!cp) throw FileError(dir + "/" + name, "this file name cannot be written in Windows-1252");
  return *cp;
}

}  // namespace

// Options every packing command shares.
PackOptions PackOptionsFrom(const Arguments& args) {
  PackOptions o;
  o.noPlayer = args.Has("--no-player");
  o.skipBad = args.Has("--skip-bad");
  o.buildEntry = args.Has("--build-entry");
  if (!o.noPlayer) o.player = args.Value("--player", DefaultPlayerPath());
  return o;
}

namespace {

int PackFolder(const Arguments& args) {
  if (args.positional.size() != 2) throw UsageError("expected PROJECT_DIR OUTPUT (see --help)");
  const std::string& dir = args.positional[0];
  if (!DirectoryExists(dir)) throw FileError(dir, "is not a folder");
  ProjectToPack p;
  p.hasFileList = ReadText(dir + "/filelist.ini", p.fileList);
  p.hasSettings = ReadText(dir + "/settings.ini", p.settings);
  p.hasUi = ReadText(dir + "/ui.ini", p.ui);
  if (FileExists(dir + "/MpGUI.mui") && !ReadFile(dir + "/MpGUI.mui", p.uiDescription))
    throw FileError(dir + "/MpGUI.mui", "cannot be read");
  if (FileExists(dir + "/build.res")) {
    if (!ReadFile(dir + "/build.res", p.buildEntry)) throw FileError(dir + "/build.res", "cannot be read");
    p.hasBuildEntry = true;
  }
  const std::string filesDir = dir + "/files";
  for (const std::string& f : ListFiles(filesDir)) p.files.push_back({StoredName(filesDir, f), filesDir + "/" + f});
  PackSaver(std::move(p), PackOptionsFrom(args), args.positional[1]);
  return 0;
}

const PackCommandRegistrar kRegistrar({
    "",
    "  tidepool-pack [--skip-bad] [--player PATH | --no-player] [--build-entry] PROJECT_DIR OUTPUT.scr\n"
    "      build a saver from a project folder (the player followed by the project)\n",
    {"--player"},
    {"--no-player", "--skip-bad", "--build-entry"},
    PackFolder,
});

}  // namespace
}  // namespace tp::pack
