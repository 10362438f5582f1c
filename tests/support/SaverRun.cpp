#include "support/SaverRun.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace tp::test {
namespace {
std::string BinDir() {
  const char* d = std::getenv("TIDEPOOL_BIN_DIR");
  return d ? d : ".";
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}
}  // namespace

TempDir::TempDir() {
  char tmpl[] = "/tmp/tp-test-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempDir::List() const {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string PlayerPath() { return BinDir() + "/src/tidepool"; }
std::string ToolPath(const std::string& name) { return BinDir() + "/tools/" + name; }

ProjectFolder::ProjectFolder(const std::string& dir) : dir_(dir) {
  std::filesystem::create_directories(dir_ + "/files");
}

void ProjectFolder::SetSettings(const std::string& t) { WriteBytes(dir_ + "/settings.ini", t); }
void ProjectFolder::SetFileList(const std::string& t) { WriteBytes(dir_ + "/filelist.ini", t); }
void ProjectFolder::SetUiDescription(const std::string& t) { WriteBytes(dir_ + "/MpGUI.mui", t); }
void ProjectFolder::AddFile(const std::string& name, const std::string& bytes) {
  WriteBytes(dir_ + "/files/" + name, bytes);
}

void ProjectFolder::AddPicture(const std::string& name, const std::string& size, const std::string& spec) {
  std::string cmd = "convert -size " + size + " " + Quote(spec) + " " + Quote(dir_ + "/files/" + name);
  if (RunCommand(cmd) != 0) throw std::runtime_error("convert failed: " + cmd);
}

int ProjectFolder::Pack(const std::string& output, const std::vector<std::string>& extraArgs) const {
  std::string cmd = Quote(ToolPath("tidepool-pack"));
  for (const std::string& a : extraArgs) cmd += " " + Quote(a);
  cmd += " " + Quote(dir_) + " " + Quote(output) + " >/dev/null";
  return RunCommand(cmd);
}

std::vector<std::string> RunResult::EventsOf(const std::string& kind) const {
  std::vector<std::string> out;
  for (const std::string& line : events) {
    size_t a = line.find(' ');
    if (a == std::string::npos) continue;
    size_t b = line.find(' ', a + 1);
    std::string k = line.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
    if (k == kind) out.push_back(b == std::string::npos ? std::string() : line.substr(b + 1));
  }
  return out;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

int RunCommand(const std::string& shellCommand) {
  int status = std::system(shellCommand.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

RunResult RunHeadless(const std::string& program, const std::vector<std::string>& args, const RunOptions& options) {
  TempDir logs;
  std::map<std::string, std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string kv = *e;
    size_t eq = kv.find('=');
    if (eq != std::string::npos && kv.rfind("TIDEPOOL_", 0) != 0) env[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  env["TIDEPOOL_PLATFORM"] = "headless";
  env["TIDEPOOL_EVENT_LOG"] = logs / "events.log";
  env["TIDEPOOL_FRAME_LOG"] = logs / "frames.log";
  env["TIDEPOOL_RUN_MS"] = std::to_string(options.runMs);
  if (!options.tmpDir.empty()) env["TMPDIR"] = options.tmpDir;
  for (const auto& [k, v] : options.env) env[k] = v;

  std::vector<std::string> envStrings, argStrings{program};
  for (const auto& [k, v] : env) envStrings.push_back(k + "=" + v);
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> envp, argv;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  for (auto& s : argStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string errPath = logs / "stderr.txt";
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid;
  RunResult result;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.events = ReadLines(logs / "events.log");
  result.frames = ReadLines(logs / "frames.log");
  std::ifstream err(errPath);
  std::stringstream ss;
  ss << err.rdbuf();
  result.stderrText = ss.str();
  return result;
}

}  // namespace tp::test
