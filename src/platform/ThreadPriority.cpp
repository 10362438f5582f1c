#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tp {

void LowerCurrentThreadPriority() {
  // On Linux a nice value set through the thread id applies to that thread alone. Ten
  // steps below the show, not the lowest: a thread the show may have to wait for must
  // not starve behind every other background job of the machine.
  const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
  (void)::setpriority(PRIO_PROCESS, tid, ::getpriority(PRIO_PROCESS, tid) + 10);
}

}  // namespace tp
