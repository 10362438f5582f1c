// tidepool-pack: builds a saver (the player followed by a project container) from a
// project folder.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "project/ContainerWriter.h"
#include "project/ProjectLoader.h"

namespace {

constexpr const char* kHelp = R"(usage: tidepool-pack [options] PROJECT_DIR OUTPUT

Builds a saver: the player program followed by the project container made from
PROJECT_DIR. Run the result with "OUTPUT /s" (saver), "OUTPUT /c" (configuration),
or play it with "tidepool --project OUTPUT /s".

Project folder layout:
  settings.ini   the author's settings: [General] ProductName, Publisher, Website;
                 [Default] Stretch, Proportional, Sound, Music, Random, Duration,
                 Transition, TransitionTime, TransitionEffects, Speed, ShowImageMode,
                 DirectX, DirectXQuality, ...; [Advance] MusicFile, MusicMode,
                 PreviewFile; [Build] ...   (optional; missing keys take defaults)
  filelist.ini   [FileList] with one key per picture, value 1 or 0 (optional; by
                 default every .jpg, .bmp, .gif and .mpp file of files/ in name order)
  ui.ini         [UI] UIFile=... (optional)
  MpGUI.mui      the UI description of the configuration window (optional)
  files/         every file of the show: pictures, packaged pictures, sounds, ...
                 packed in name order under their bare names
Texts written in UTF-8 are converted to the projects' code page (Windows-1252).

Options:
  --player PATH     the player to put in front (default: tidepool beside this tool,
                    or src/tidepool of the build tree)
  --no-player       write the project container alone
  --build-entry     add the optional fourth settings entry (a nested container)
  --help            this text
)";

std::string ReadText(const std::string& path, bool& present) {
  std::string bytes;
  present = tp::ReadFile(path, bytes);
  if (!present) return {};
  if (tp::IsValidUtf8(bytes)) {
    auto cp = tp::Utf8ToCp1252(bytes);
    if (!cp) throw std::runtime_error(path + " holds characters that Windows-1252 cannot represent");
    return *cp;
  }
  return bytes;
}

std::vector<std::string> ListFiles(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return names;
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    if (tp::FileExists(dir + "/" + n)) names.push_back(n);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

bool IsPicture(const std::string& name) {
  std::string ext = tp::UpperAscii(tp::ExtensionOf(name));
  return ext == ".JPG" || ext == ".JPEG" || ext == ".BMP" || ext == ".GIF" || ext == ".MPP";
}

std::string ToCp1252(const std::string& name) {
  auto cp = tp::Utf8ToCp1252(name);
  if (!cp) throw std::runtime_error("file name " + name + " cannot be written in Windows-1252");
  return *cp;
}

}  // namespace

int main(int argc, char** argv) {
  std::string player, projectDir, output;
  bool noPlayer = false, buildEntry = false;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (a == "--player" && i + 1 < argc) player = argv[++i];
    else if (a == "--no-player") noPlayer = true;
    else if (a == "--build-entry") buildEntry = true;
    else if (a.rfind("--", 0) == 0) {
      std::fprintf(stderr, "tidepool-pack: unknown option %s\n%s", a.c_str(), kHelp);
      return 2;
    } else args.push_back(a);
  }
  if (args.size() != 2) {
    std::fputs(kHelp, stderr);
    return 2;
  }
  projectDir = args[0];
  output = args[1];
  if (!noPlayer && player.empty()) {
    // Installed: beside this tool; in a build tree: src/tidepool.
    const std::string here = tp::DirectoryOf(tp::ExecutablePath());
    player = here + "tidepool";
    if (!tp::FileExists(player) && tp::FileExists(here + "../src/tidepool")) player = here + "../src/tidepool";
  }
  try {
    if (!tp::DirectoryExists(projectDir)) throw std::runtime_error(projectDir + " is not a folder");
    bool present = false;
    const std::string filesDir = projectDir + "/files";
    const std::vector<std::string> files = ListFiles(filesDir);

    std::string fileList = ReadText(projectDir + "/filelist.ini", present);
    if (!present) {
      fileList = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\n";
      for (const std::string& f : files)
        if (IsPicture(f)) fileList += ToCp1252(f) + "=1\r\n";
    }
    std::string settings = ReadText(projectDir + "/settings.ini", present);
    std::string ui = ReadText(projectDir + "/ui.ini", present);
    if (!present) ui = "[UI]\r\nUIFile=MpGUI.mui\r\n";
    std::string uiDescription;
    tp::ReadFile(projectDir + "/MpGUI.mui", uiDescription);

    std::vector<tp::ContainerItem> settingsEntries = {tp::ContainerItem::Data(fileList),
                                                      tp::ContainerItem::Data(settings),
                                                      tp::ContainerItem::Data(ui)};
    if (buildEntry)
      settingsEntries.push_back(tp::ContainerItem::Container({tp::ContainerItem::Data("[Build]\r\nPacked=1\r\n")}));

    std::string names;
    std::vector<tp::ContainerItem> fileEntries;
    for (const std::string& f : files) {
      names += ToCp1252(f) + "\r\n";
      fileEntries.push_back(tp::ContainerItem::FromFile(filesDir + "/" + f));
    }
    const std::vector<tp::ContainerItem> top = {tp::ContainerItem::Container(settingsEntries),
                                                tp::ContainerItem::Data(names),
                                                tp::ContainerItem::Container(fileEntries),
                                                tp::ContainerItem::Data(uiDescription)};

    const std::string temp = output + ".part";
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out) throw std::runtime_error("cannot create " + temp);
    try {
      if (!noPlayer) {
        std::FILE* in = std::fopen(player.c_str(), "rb");
        if (!in) throw std::runtime_error("cannot read the player " + player);
        std::vector<char> buf(1 << 16);
        size_t n;
        while ((n = std::fread(buf.data(), 1, buf.size(), in)) > 0)
          if (std::fwrite(buf.data(), 1, n, out) != n) {
            std::fclose(in);
            throw std::runtime_error("write failed");
          }
        std::fclose(in);
      }
      tp::WriteContainer(out, top);
    } catch (...) {
      std::fclose(out);
      std::remove(temp.c_str());
      throw;
    }
    if (std::fclose(out) != 0 || std::rename(temp.c_str(), output.c_str()) != 0) {
      std::remove(temp.c_str());
      throw std::runtime_error("cannot write " + output);
    }
    if (!noPlayer) ::chmod(output.c_str(), 0755);
    std::printf("tidepool-pack: %s (%zu files)\n", output.c_str(), files.size());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tidepool-pack: %s\n", e.what());
    return 1;
  }
  return 0;
}
