#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tp {

void LowerCurrentThreadPriority() {
  // On Linux a nice value set through the thread id applies to that thread alone.
  const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
  (void)::setpriority(PRIO_PROCESS, tid, 19);
}

}  // namespace tp
