#pragma once
// A local copy of the program random generator's recurrence, so the pixel families can
// draw millions of values without touching the shared atomic seed per draw. Callers load
// the shared seed (or a fixed one), draw, and store or discard the result.
#include <cstdint>

namespace tp {

class EffectRandom {
 public:
  explicit EffectRandom(uint32_t seed) : seed_(seed) {}
  // Same as ProgramRandom::Random(n): advance, then the high 32 bits of seed * n.
  int32_t Next(int32_t n) {
    seed_ = seed_ * 134775813u + 1u;
    return int32_t((uint64_t(seed_) * uint64_t(uint32_t(n))) >> 32);
  }
  uint32_t seed() const { return seed_; }

 private:
  uint32_t seed_;
};

}  // namespace tp
