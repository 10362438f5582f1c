#include "project/ProjectLoader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <string_view>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "platform/EventLog.h"
#include "project/ContainerReader.h"
#include "project/RunContext.h"

namespace tp {
namespace {

// This run's extraction folder and the open descriptor that holds its lock. Never
// destroyed: the clean-up at exit still reads it.
struct FolderState {
  std::string path;  // with a trailing '/'; empty when there is none
  int lockFd = -1;
};
FolderState& Folder() {
  static FolderState* state = new FolderState;
  return *state;
}

// Folder names are the saver's name cut at its first "." + this tag + six random
// characters (mkdtemp), so a stale folder can be told from anything else in the
// temporary directory.
constexpr std::string_view kFolderTag = ".tidepool-";
constexpr size_t kRandomLength = 6;
// A folder younger than this is never taken for stale: its run may not have locked it yet.
constexpr int kStaleAfterSeconds = 10;

bool IsExtractionFolderName(std::string_view name) {
  const size_t tag = name.find(kFolderTag);
  if (tag == std::string_view::npos || name.substr(0, tag).find('.') != std::string_view::npos) return false;
  const std::string_view suffix = name.substr(tag + kFolderTag.size());
  return suffix.size() == kRandomLength &&
         std::all_of(suffix.begin(), suffix.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// Deletes every entry of the folder open as dirFd (links themselves, never what they point
// to; subfolders, which no run creates, stay and keep the folder).
void RemoveEntries(int dirFd) {
  const int listFd = ::dup(dirFd);
  if (listFd < 0) return;
  DIR* dir = ::fdopendir(listFd);
  if (!dir) {
    ::close(listFd);
    return;
  }
  while (const dirent* e = ::readdir(dir)) {
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    ::unlinkat(dirFd, e->d_name, 0);
  }
  ::closedir(dir);
}

void RemoveFolder(FolderState& folder) {
  if (folder.path.empty()) return;
  const int fd = folder.lockFd >= 0 ? folder.lockFd
                                    : ::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) RemoveEntries(fd);
  ::rmdir(folder.path.c_str());
  if (fd >= 0) ::close(fd);
  folder.lockFd = -1;
  folder.path.clear();
}

// A process that ends through exit() from inside a library (a lost display connection)
// still removes its unpacked project.
void RemoveAtExit() { RemoveFolder(Folder()); }

// The file-name list as bare names that are safe to create; "" for lines to skip.
std::vector<std::string> UnpackedNames(const std::string& listPath) {
  std::string bytes;
  std::vector<std::string> names;
  if (!ReadFile(listPath, bytes)) return names;
  for (const std::string& line : SplitLines(Cp1252ToUtf8(bytes))) {
    std::string name = SafeBareFileName(line);
    // A packaged file named like one of the unpacked containers would overwrite the
    // container while it is being read.
    for (const char* reserved : {kSettingsContainerName, kFileNamesName, kFilesContainerName, kUiDescriptionName})
      if (EqualsIgnoreCase(name, reserved)) name.clear();
    names.push_back(name);
  }
  return names;
}

// folder + the bare name, preferring an unpacked file whose name differs only in case.
std::string InFolder(const std::string& folder, const std::string& name) {
  std::string bare = BareFileName(name);
  std::string direct = folder + bare;
  if (FileExists(direct) || bare.empty()) return direct;
  std::string other = FindFileIgnoringCase(folder, bare);
  return other.empty() ? direct : other;
}

}  // namespace

void SetSaverPath(const std::string& longPath) { CurrentRun().saverPath = longPath; }
const std::string& SaverPath() { return CurrentRun().saverPath; }

std::string LongPathName(const std::string& path) {
  if (path.empty()) return std::string();
  char buf[PATH_MAX];
  if (!::realpath(path.c_str(), buf)) return std::string();
  return buf;
}

std::string ExecutablePath() { return LongPathName("/proc/self/exe"); }

std::string ExtractionFolderPath() {
  FolderState& folder = Folder();
  if (!folder.path.empty()) return folder.path;
  std::string stem = BareFileName(SaverPath());
  const size_t dot = stem.find('.');
  if (dot != std::string::npos) stem.resize(dot);
  if (stem.size() > 200) stem.resize(200);
  std::string pattern = TempDirectory() + stem + std::string(kFolderTag) + std::string(kRandomLength, 'X');
  // A new folder of an unpredictable name, mode 0700, that no one else can have made.
  if (!::mkdtemp(pattern.data())) {
    std::fprintf(stderr, "tidepool: cannot create a folder under %s: %s\n", TempDirectory().c_str(),
                 std::strerror(errno));
    return std::string();
  }
  // The lock tells other runs that this folder is in use; it goes with the process.
  folder.lockFd = ::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder.lockFd >= 0) ::flock(folder.lockFd, LOCK_EX | LOCK_NB);
  folder.path = pattern + "/";
  static const bool registered = std::atexit(RemoveAtExit) == 0;
  (void)registered;
  return folder.path;
}

int RemoveStaleExtractionFolders() {
  std::string temp = TempDirectory();
  const int tempFd = ::open(temp.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (tempFd < 0) return 0;
  const int listFd = ::dup(tempFd);
  DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
  if (!dir) {
    if (listFd >= 0) ::close(listFd);
    ::close(tempFd);
    return 0;
  }
  const time_t now = ::time(nullptr);
  int removed = 0;
  while (const dirent* e = ::readdir(dir)) {
    if (!IsExtractionFolderName(e->d_name)) continue;
    struct stat st {};
    // Ours only: a real folder (not a link), this user's, private, and not brand new.
    if (::fstatat(tempFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::geteuid() || (st.st_mode & 077) != 0 || now - st.st_mtime < kStaleAfterSeconds)
      continue;
    const int fd = ::openat(tempFd, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened {};
    // Still the folder looked at, and no running process holds its lock.
    if (::fstat(fd, &opened) == 0 && opened.st_dev == st.st_dev && opened.st_ino == st.st_ino &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      RemoveEntries(fd);
      if (::unlinkat(tempFd, e->d_name, AT_REMOVEDIR) == 0) {
        ++removed;
        LogEvent("stale-folder-removed", temp + e->d_name);
      }
    }
    ::close(fd);
  }
  ::closedir(dir);
  ::close(tempFd);
  return removed;
}

bool UnpackProject(TMpCProject& project, const std::string& saverPath) {
  if (saverPath.empty() || !FindSectionMarker(saverPath).found) return false;
  RemoveStaleExtractionFolders();
  const std::string folder = ExtractionFolderPath();
  if (folder.empty()) return true;
  LogEvent("unpack", folder);
  const std::string settings = folder + kSettingsContainerName;
  const std::string names = folder + kFileNamesName;
  const std::string ui = folder + kUiDescriptionName;
  // The files container is not written out: its entries are copied straight from the
  // saver, which halves the bytes written and the disk space a run takes.
  const std::vector<ContainerEntry> entries = ExtractEntries(saverPath, {settings, names, std::string(), ui});

  std::vector<std::string> outputs;
  for (const std::string& n : UnpackedNames(names)) outputs.push_back(n.empty() ? std::string() : folder + n);
  if (entries.size() > 2) ExtractNestedEntries(saverPath, entries[2], outputs);

  project.LoadSettingsContainer(settings, folder);
  for (std::string& picture : project.fileList.pictures) picture = InFolder(folder, picture);
  if (!project.setting.PreviewFile.empty())
    project.setting.PreviewFile = InFolder(folder, project.setting.PreviewFile);
  project.uiSetting.UIFile = ui;
  return true;
}

void RemoveUnpackedProject(TMpCProject& /*project*/) {
  // The folder is this run's own: whatever is in it was unpacked by this run (also what a
  // run cut short by an error or a signal had written so far).
  RemoveFolder(Folder());
}

}  // namespace tp
