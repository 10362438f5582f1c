// --pictures: a saver straight from a folder of pictures (subfolders included, sorted by
// path), with the default settings, optional music and the folder's name as the product
// name.
#include <algorithm>
#include <filesystem>

#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "tidepool-pack/PackCommand.h"
#include "tidepool-pack/SaverBuilder.h"

namespace tp::pack {
namespace {

namespace fs = std::filesystem;

// Relative paths of the pictures under dir, sorted; links to folders are not followed.
std::vector<std::string> FindPictures(const std::string& dir) {
  std::vector<std::string> found;
  std::error_code ec;
  fs::recursive_directory_iterator it(dir, fs::directory_options::none, ec), end;
  if (ec) throw FileError(dir, "cannot be read (" + ec.message() + ")");
  for (; it != end; it.increment(ec)) {
    if (ec) throw FileError(it->path().string(), "cannot be read (" + ec.message() + ")");
    if (it->is_regular_file(ec) && HasPictureExtension(it->path().filename().string()))
      found.push_back(fs::relative(it->path(), dir, ec).string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

bool Taken(const std::vector<ProjectToPack::File>& files, const std::string& name) {
  for (const auto& f : files)
    if (EqualsIgnoreCase(f.name, name)) return true;
  return false;
}

// The bare name in Windows-1252; pictures of the same name in different subfolders get
// their folder path in front, and a number when that still clashes.
std::string UniqueName(const std::vector<ProjectToPack::File>& files, std::string relative) {
  std::replace(relative.begin(), relative.end(), '\\', '_');  // the player would cut the name there
  std::string name = LossyCp1252(BareFileName(relative));
  if (Taken(files, name)) {
    std::string flat = relative;
    std::replace(flat.begin(), flat.end(), '/', '-');
    name = LossyCp1252(flat);
  }
  const std::string ext = ExtensionOf(name), stem = name.substr(0, name.size() - ext.size());
  for (int n = 2; Taken(files, name); ++n) name = stem + "-" + std::to_string(n) + ext;
  return name;
}

int QuickStart(const Arguments& args) {
  if (args.positional.size() != 1) throw UsageError("expected --pictures DIR [--music FILE]... OUTPUT.scr");
  const std::string dir = args.Value("--pictures");
  if (!DirectoryExists(dir)) throw FileError(dir, "is not a folder");
  ProjectToPack p;
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(fs::absolute(dir), ec);
  const std::string folderName = (canonical.has_filename() ? canonical : canonical.parent_path()).filename().string();
  if (!folderName.empty()) p.productName = LossyCp1252(folderName);
  const std::vector<std::string> pictures = FindPictures(dir);
  if (pictures.empty()) throw FileError(dir, "holds no pictures");
  for (const std::string& rel : pictures) {
    std::string name = UniqueName(p.files, rel);
    p.files.push_back({name, (fs::path(dir) / rel).string()});
  }
  for (const std::string& music : args.All("--music")) {
    if (!FileExists(music)) throw FileError(music, "cannot be read");
    std::string name = UniqueName(p.files, BareFileName(music));
    p.files.push_back({name, music});
    p.musicNames.push_back(name);
  }
  PackSaver(std::move(p), PackOptionsFrom(args), args.positional[0]);
  return 0;
}

const PackCommandRegistrar kRegistrar({
    "--pictures",
    "  tidepool-pack --pictures DIR [--music FILE]... [--skip-bad] OUTPUT.scr\n"
    "      build a saver from every picture under DIR (by name, subfolders included) with the\n"
    "      default settings; the saver is named after the folder\n",
    {"--pictures", "--music"},
    {},
    QuickStart,
});

}  // namespace
}  // namespace tp::pack
