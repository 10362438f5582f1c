// --unpack: a saver's project written back out as a project folder that packs into a
// saver playing the same show. Texts are written as UTF-8 (they convert back to the
// same bytes), the UI description and every file byte for byte. A file name that would
// leave the folder is refused; of two files with the same name the later one keeps it,
// as in the player, and the earlier one is written under a new name.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/SafeFile.h"
#include "tidepool-pack/AtomicOutput.h"
#include "tidepool-pack/PackCommand.h"
#include "tidepool-pack/SaverLayout.h"

namespace tp::pack {
namespace {

// Creates path (never through an existing file or link) and fills it with bytes.
void WriteNew(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) throw FileError(path, "cannot be created");
  const bool written = WriteAll(fd, bytes);
  if (::close(fd) != 0 || !written) throw FileError(path, "writing failed");
}

void CopyNew(const ContainerFile& saver, const ContainerEntry& entry, const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) throw FileError(path, "cannot be created");
  try {
    saver.CopyTo(entry, fd);
  } catch (const FileError&) {
    ::close(fd);
    throw;
  } catch (const std::exception&) {
    ::close(fd);
    throw FileError(path, "writing failed");
  }
  if (::close(fd) != 0) throw FileError(path, "writing failed");
}

std::string WithNumber(const std::string& name, int n) {
  const std::string ext = ExtensionOf(name);
  return name.substr(0, name.size() - ext.size()) + " (" + std::to_string(n) + ")" + ext;
}

int Unpack(const Arguments& args) {
  if (args.positional.size() != 1) throw UsageError("expected --unpack SAVER.scr DIR");
  const std::string saverPath = args.Value("--unpack"), dir = args.positional[0];
  const ContainerFile saver = OpenSaver(saverPath);
  const SaverLayout p = ReadSaverLayout(saver, saverPath);

  AtomicFolder folder(dir);
  const std::string root = folder.path();
  if (p.settingsCount != 3 && p.settingsCount != 4)
    Warn(saverPath + ": its settings container holds " + std::to_string(p.settingsCount) +
         " entries, so the player reads no settings; empty texts written");
  WriteNew(root + "/filelist.ini", Cp1252ToUtf8(p.fileList));
  WriteNew(root + "/settings.ini", Cp1252ToUtf8(p.settings));
  WriteNew(root + "/ui.ini", Cp1252ToUtf8(p.ui));
  if (p.hasBuildEntry) WriteNew(root + "/build.res", p.buildEntry);
  if (p.hasUiDescription && p.uiDescription.length > 0) CopyNew(saver, p.uiDescription, root + "/MpGUI.mui");

  const std::string files = root + "/files";
  if (::mkdir(files.c_str(), 0755) != 0) throw FileError(dir + "/files", "cannot be created");
  // Later files win a name, as when the player unpacks; so names are given last first.
  std::vector<std::string> chosen(p.files.size());
  std::set<std::string> used;
  for (size_t k = p.files.size(); k-- > 0;) {
    const std::string stored = Cp1252ToUtf8(p.names[k]);
    const std::string name = SafeBareFileName(stored);
    if (name.empty()) {
      Warn(saverPath + ": the file name \"" + stored + "\" would be written outside the folder; left out");
      continue;
    }
    std::string unique = name;
    for (int n = 2; used.count(unique); ++n) unique = WithNumber(name, n);
    if (unique != name) Warn(saverPath + ": two files are named " + name + "; the earlier one is written as " + unique);
    used.insert(unique);
    chosen[k] = unique;
  }
  size_t written = 0;
  for (size_t k = 0; k < p.files.size(); ++k) {
    if (chosen[k].empty()) continue;
    CopyNew(saver, p.files[k], files + "/" + chosen[k]);
    ++written;
  }
  folder.Commit();
  Note(dir + " (" + std::to_string(written) + " files)");
  return 0;
}

const PackCommandRegistrar kRegistrar({
    "--unpack",
    "  tidepool-pack --unpack SAVER.scr DIR\n"
    "      write the saver's project to the new folder DIR; packing DIR again gives a saver\n"
    "      that plays the same show\n",
    {"--unpack"},
    {},
    Unpack,
});

}  // namespace
}  // namespace tp::pack
