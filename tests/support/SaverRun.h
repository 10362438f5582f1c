#pragma once
// Helpers for end-to-end tests: temporary folders, project folders packed into savers
// with tidepool-pack, and runs of the real player on the headless backend with its
// event and frame logs read back.
#include <map>
#include <string>
#include <vector>

namespace tp::test {

// A fresh folder under /tmp, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Names of the entries directly inside (sorted).
  std::vector<std::string> List() const;

 private:
  std::string path_;
};

// Build-tree paths: TIDEPOOL_BIN_DIR/src/tidepool, TIDEPOOL_BIN_DIR/tools/NAME.
std::string PlayerPath();
std::string ToolPath(const std::string& name);

// A project folder in the layout tidepool-pack reads.
class ProjectFolder {
 public:
  explicit ProjectFolder(const std::string& dir);
  const std::string& dir() const { return dir_; }
  void SetSettings(const std::string& iniText);   // settings.ini
  void SetFileList(const std::string& iniText);   // filelist.ini
  void SetUiDescription(const std::string& text); // MpGUI.mui
  void AddFile(const std::string& name, const std::string& bytes);  // files/NAME
  // A plain picture drawn with ImageMagick (e.g. spec "xc:red", size "64x48").
  void AddPicture(const std::string& name, const std::string& size = "64x48",
                  const std::string& spec = "xc:red");
  // Runs tidepool-pack; returns its exit code.
  int Pack(const std::string& output, const std::vector<std::string>& extraArgs = {}) const;

 private:
  std::string dir_;
};

struct RunResult {
  int exitCode = -1;
  std::vector<std::string> events;  // event log lines
  std::vector<std::string> frames;  // frame log lines
  std::string stderrText;
  // Event lines whose kind (second word) equals kind, without the time.
  std::vector<std::string> EventsOf(const std::string& kind) const;
};

struct RunOptions {
  std::map<std::string, std::string> env;  // added to TIDEPOOL_PLATFORM=headless etc.
  std::string tmpDir;                      // TMPDIR for the run (extraction folders)
  unsigned runMs = 5000;                   // TIDEPOOL_RUN_MS
};

// Runs program with args on the headless backend, logs in a private folder.
RunResult RunHeadless(const std::string& program, const std::vector<std::string>& args,
                      const RunOptions& options = {});

std::vector<std::string> ReadLines(const std::string& path);
int RunCommand(const std::string& shellCommand);

}  // namespace tp::test
