#pragma once
// Who holds a reservation: a show is a process (its id and start time, so a reused id
// is not taken for the old show) and a token telling the shows of one process apart.
#include <cstdint>

namespace tp {

struct ShowOwner {
  int64_t pid = 0;
  int64_t start = 0;  // the process's start time in clock ticks after boot (/proc/PID/stat)
  int64_t token = 0;
};

// The calling process, with a fresh random token.
ShowOwner CurrentShowOwner();
// The start time of a process, or -1 when it does not run.
int64_t ProcessStartTime(int64_t pid);
// True while the process that made the owner still runs.
bool OwnerIsAlive(int64_t pid, int64_t start);

}  // namespace tp
