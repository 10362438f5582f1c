#include "core/ProgramRandom.h"

#include <atomic>
#include <chrono>

namespace tp {
namespace {
std::atomic<uint32_t> g_seed{0};

uint32_t Step(uint32_t seed) { return seed * 134775813u + 1u; }
int32_t Scale(uint32_t seed, int32_t n) { return int32_t((uint64_t(seed) * uint64_t(uint32_t(n))) >> 32); }

uint32_t Advance() {
  uint32_t old = g_seed.load(std::memory_order_relaxed);
  uint32_t next;
  do {
    next = Step(old);
  } while (!g_seed.compare_exchange_weak(old, next, std::memory_order_relaxed));
  return next;
}
}  // namespace

int32_t ProgramRandom::Random(int32_t n) {
  return Scale(Advance(), n);
}

int32_t ProgramRandom::RandomFrom(uint32_t& seed, int32_t n) {
  seed = Step(seed);
  return Scale(seed, n);
}

double ProgramRandom::RandomFloat() { return double(Advance()) / 4294967296.0; }

uint32_t ProgramRandom::Seed() { return g_seed.load(std::memory_order_relaxed); }

void ProgramRandom::SetSeed(uint32_t seed) { g_seed.store(seed, std::memory_order_relaxed); }

void ProgramRandom::Randomize() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now().time_since_epoch())
                .count();
  SetSeed(uint32_t(ms));
}

}  // namespace tp
