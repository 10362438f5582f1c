#include "support/BenchFiles.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace tp::bench {

std::string BuildDir() {
  std::error_code ec;
  const auto exe = std::filesystem::canonical("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().parent_path().string();
}

std::string PlayerPath() { return BuildDir() + "/src/tidepool"; }
std::string ToolPath(const std::string& name) { return BuildDir() + "/tools/" + name; }

ScratchDir::ScratchDir(const std::string& tag) {
  const char* t = std::getenv("TMPDIR");
  std::string pattern = std::string(t && *t ? t : "/tmp") + "/tidepool-bench-" + tag + "-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back(0);
  path_ = mkdtemp(buf.data()) ? buf.data() : "/tmp";
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  if (path_ != "/tmp") std::filesystem::remove_all(path_, ec);
}

namespace {

// Starts program with args and the extra environment entries before this process's own;
// -1 when it cannot be started.
pid_t SpawnChild(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
  std::vector<std::string> env(extraEnv);
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  std::vector<char*> argv, envp;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0].c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
  return pid;
}

}  // namespace

int StartChild(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
  return SpawnChild(args, extraEnv);
}

double ProcessCpuSeconds(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat;
  std::getline(in, stat);
  // The command name in parentheses may hold blanks: the fields count from its end.
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(stat.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
    if (i == 15) stime = std::strtoull(field.c_str(), nullptr, 10);
  }
  if (!fields) return -1;
  return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

ChildRun RunChild(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
  ChildRun run;
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = SpawnChild(args, extraEnv);
  if (pid < 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  run.peakRssMb = double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

double SecondsUntil(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
                    const std::function<bool()>& ready) {
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = SpawnChild(args, extraEnv);
  if (pid < 0) return -1;
  double seconds = -1;
  int status = 0;
  for (;;) {
    if (ready()) {
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      break;
    }
    if (waitpid(pid, &status, WNOHANG) == pid) return -1;  // ended first
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  waitpid(pid, &status, 0);
  return seconds;
}

std::vector<uint32_t> FrameTicks(const std::string& log) {
  std::vector<uint32_t> ticks;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    uint32_t t = 0;
    if (fields >> t) ticks.push_back(t);
  }
  return ticks;
}

}  // namespace tp::bench
