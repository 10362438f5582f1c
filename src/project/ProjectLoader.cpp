#include "project/ProjectLoader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
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

std::string& FolderStorage() {
  static std::string folder;
  return folder;
}

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

int RunNumber() {
  static const int number = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count() %
                                10000);
  return number;
}

std::string ExtractionFolderPath() {
  std::string& folder = FolderStorage();
  if (!folder.empty()) return folder;
  std::string name = BareFileName(SaverPath());
  size_t dot = name.find('.');
  if (dot != std::string::npos) name.resize(dot);
  const std::string base = TempDirectory() + name;
  for (int i = 0; i < 10000; ++i) {
    std::string candidate = base + std::to_string((RunNumber() + i) % 10000);
    if (::mkdir(candidate.c_str(), 0700) == 0) {
      folder = candidate + "/";
      return folder;
    }
    if (errno != EEXIST) {
      std::fprintf(stderr, "tidepool: cannot create %s: %s\n", candidate.c_str(), std::strerror(errno));
      return std::string();
    }
  }
  std::fprintf(stderr, "tidepool: no free extraction folder name under %s\n", TempDirectory().c_str());
  return std::string();
}

bool UnpackProject(TMpCProject& project, const std::string& saverPath) {
  if (saverPath.empty() || !FindSectionMarker(saverPath).found) return false;
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
  std::string& folder = FolderStorage();
  if (folder.empty()) return;
  for (const std::string& n : UnpackedNames(folder + kFileNamesName))
    if (!n.empty()) RemoveFile(folder + n);
  for (const char* n : {kSettingsContainerName, kFilesContainerName, kFileNamesName, kUiDescriptionName})
    RemoveFile(folder + n);
  ::rmdir(folder.c_str());
  folder.clear();  // gone: a later unpack in this process makes a new one
}

}  // namespace tp
