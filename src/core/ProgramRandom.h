#pragma once
// The program's one random generator: a single 32-bit seed shared by picture order,
// effect choice, random effects and the animation objects. Thread-safe.
#include <cstdint>

namespace tp {

class ProgramRandom {
 public:
  // seed := seed * 134775813 + 1 (mod 2^32); returns the high 32 bits of seed * n.
  static int32_t Random(int32_t n);
  // The same step on a copy of a seed, leaving the program's seed alone (for predicting
  // what the generator will give).
  static int32_t RandomFrom(uint32_t& seed, int32_t n);
  // A float in [0, 1) from the same generator (seed advanced once).
  static double RandomFloat();
  static uint32_t Seed();
  static void SetSeed(uint32_t seed);
  // Seed from the clock (steady clock in milliseconds), as the saver does when shown.
  static void Randomize();
};

// Saves the seed and restores it when leaving scope (for the seeded effect families).
class SavedRandomSeed {
 public:
  SavedRandomSeed() : saved_(ProgramRandom::Seed()) {}
  ~SavedRandomSeed() { ProgramRandom::SetSeed(saved_); }
  SavedRandomSeed(const SavedRandomSeed&) = delete;
  SavedRandomSeed& operator=(const SavedRandomSeed&) = delete;

 private:
  uint32_t saved_;
};

}  // namespace tp
