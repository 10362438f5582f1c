#pragma once
// Scheduling of helper threads that must never slow the frames down.

namespace tp {

// Gives the calling thread the lowest scheduling priority the system allows without
// privileges. Failures are ignored: the thread then simply runs at normal priority.
void LowerCurrentThreadPriority();

}  // namespace tp
