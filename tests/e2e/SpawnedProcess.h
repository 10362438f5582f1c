#pragma once
// Starting the real player as a child process and waiting for it.
#include <sys/types.h>

#include <string>
#include <vector>

namespace tp::test {

// Starts args[0] with args and the current environment plus extraEnv ("NAME=value"
// entries, taking precedence). Returns the pid, or -1.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv);
// The exit code, or 128 + the signal number for a process ended by a signal.
int WaitExit(pid_t pid);
// The same, but a process still running after timeoutMs is killed and -1 returned.
int WaitExitWithin(pid_t pid, int timeoutMs);

}  // namespace tp::test
