#pragma once
// Files and programs the benchmarks work with: the build tree's player and tools, fresh
// temporary folders and child processes.
#include <cstdint>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace tp::bench {

// The build tree holding this benchmark: BUILD/bench/bench_NAME -> BUILD.
std::string BuildDir();
std::string PlayerPath();                   // BUILD/src/tidepool
std::string ToolPath(const std::string& name);  // BUILD/tools/NAME

// A new folder under $TMPDIR (or /tmp), removed with its contents on destruction.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& tag);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ChildRun {
  int exitCode = -1;
  double wallSeconds = 0;
  double cpuSeconds = 0;  // user + system time of the child
  double peakRssMb = 0;   // the child's peak resident memory
};

// Runs program with args and extra "NAME=value" environment entries; waits for it.
ChildRun RunChild(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv);
// Starts program with args and extra environment entries (before this process's own);
// its process id, or -1 when it cannot be started. The caller waits for it.
int StartChild(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv);
// User plus system CPU seconds a running process has used so far (/proc/PID/stat); -1
// when it cannot be read.
double ProcessCpuSeconds(int pid);

// Starts program with args and extra environment entries and returns the seconds until
// ready() holds (asked every 0.2 ms), or -1 when the child ends first; then waits for it.
double SecondsUntil(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
                    const std::function<bool()>& ready);

// The ticks (milliseconds, the first number of each line) of a frame log.
std::vector<uint32_t> FrameTicks(const std::string& log);

}  // namespace tp::bench
