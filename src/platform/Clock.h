#pragma once
// Millisecond tick count (a wrapping 32-bit value) and sleeping.
#include <cstdint>

namespace tp {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps at 2^32.
  virtual uint32_t Tick() = 0;
  virtual void Sleep(uint32_t ms) = 0;
};

}  // namespace tp
