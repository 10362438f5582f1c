#pragma once
// Where animation code reads the millisecond tick: a Clock given by the owner, else the
// installed platform's clock, else a steady clock of its own. Clock::Tick must be safe to
// call from the objects' worker threads.
#include <cstdint>

#include "platform/Clock.h"

namespace tp {

// The clock used when none is given: the platform's when one is installed.
Clock& DefaultAnimClock();

}  // namespace tp
