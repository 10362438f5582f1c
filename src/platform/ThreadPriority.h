#pragma once
// Scheduling of helper threads that must never slow the frames down.

namespace tp {

// Gives the calling thread a clearly lower scheduling priority than the rest of the
// process (ten nice steps). Failures are ignored: the thread then runs at normal priority.
void LowerCurrentThreadPriority();

}  // namespace tp
