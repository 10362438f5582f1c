// The one program random generator under several threads: object threads and a
// transition's random shapes drawing at the same time lose none of each other's steps.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/ProgramRandom.h"
#include "effects/EffectCatalogue.h"

namespace tp {
namespace {

uint32_t Next(uint32_t s) { return s * 134775813u + 1u; }

// How many steps of the generator lead from seed a to seed b (-1 beyond limit).
long StepsBetween(uint32_t a, uint32_t b, long limit) {
  for (long n = 0; n <= limit; ++n, a = Next(a))
    if (a == b) return n;
  return -1;
}

TEST(SharedRandom, EffectDrawsAndObjectThreadsLoseNoUpdates) {
  constexpr int w = 240, h = 160;
  Bitmap32 src(w, h), dst(w, h);
  src.Fill(MakePixel(200, 10, 10, 255));
  const EffectEntry* shred = FindEffect(70);  // uneven shreds out from the middle: a draw per strip
  ASSERT_NE(shred, nullptr);

  // Draws of one frame, alone.
  ProgramRandom::SetSeed(99);
  shred->draw(dst, src, w, h, w / 2, h / 2, 50);
  const long perFrame = StepsBetween(99, ProgramRandom::Seed(), 100000);
  ASSERT_GT(perFrame, 10);

  constexpr int kThreads = 3, kDraws = 20000, kFrames = 60;
  ProgramRandom::SetSeed(12345);
  std::atomic<bool> go{false};
  std::vector<std::thread> objects;
  for (int t = 0; t < kThreads; ++t)
    objects.emplace_back([&] {
      while (!go.load()) std::this_thread::yield();
      for (int i = 0; i < kDraws; ++i) ProgramRandom::Random(1000);
    });
  go = true;
  for (int f = 0; f < kFrames; ++f) shred->draw(dst, src, w, h, w / 2, h / 2, 50);
  for (auto& t : objects) t.join();
  const long total = long(kThreads) * kDraws + kFrames * perFrame;
  EXPECT_EQ(StepsBetween(12345, ProgramRandom::Seed(), total + 1), total);
}

}  // namespace
}  // namespace tp
