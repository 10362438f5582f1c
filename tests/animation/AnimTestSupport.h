#pragma once
// Helpers for the animation tests: a clock the test moves by hand, and small packaged
// pictures built in memory.
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Clock.h"
#include "project/PackagedPicture.h"

namespace tp::test {

// Tick is set by the test; Sleep sleeps real time (worker threads pause on it).
class ManualClock : public Clock {
 public:
  uint32_t Tick() override { return now.load(); }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  void Advance(uint32_t ms) { now += ms; }
  std::atomic<uint32_t> now{1000};
};

// A w x h picture with a distinct colour per pixel and a mask filled with one colour.
inline void MakePicture(TProject& p, int w, int h, Pixel maskColour) {
  p.picture.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.picture.at(x, y) = MakePixel(uint8_t(x * 7), uint8_t(y * 5), uint8_t(x + y), 255);
  p.areaMask.SetSize(w, h);
  p.areaMask.Fill(maskColour);
  p.pictureWidth = w;
  p.pictureHeight = h;
  p.loaded = true;
}

}  // namespace tp::test
