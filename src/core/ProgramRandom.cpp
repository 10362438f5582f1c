#include "core/ProgramRandom.h"

#include <atomic>
#include <chrono>

namespace tp {
namespace {
std::atomic<uint32_t> g_seed{0};

uint32_t Advance() {
  uint32_t old = g_seed.load(std::memory_order_relaxed);
  uint32_t next;
  do {
    next = old * 134775813u + 1u;
  } while (!g_seed.compare_exchange_weak(old, next, std::memory_order_relaxed));
  return next;
}
}  // namespace

int32_t ProgramRandom::Random(int32_t n) {
  uint32_t s = Advance();
  return int32_t((uint64_t(s) * uint64_t(uint32_t(n))) >> 32);
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
