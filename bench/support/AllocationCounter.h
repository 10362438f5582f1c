#pragma once
// Heap allocations counted by the benchmarks' own operator new (every benchmark program
// links it), so that "no allocation per frame" can be measured.

namespace tp::bench {

long ProcessAllocations();  // every thread's, since the program started
long ThreadAllocations();   // the calling thread's

}  // namespace tp::bench
