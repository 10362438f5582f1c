#pragma once
// The fourteen items of a packaged picture, each serialised on its own so that a file
// can be cut after any item. The JPEG blocks are taken as given (no re-encoding).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "project/PackagedPicture.h"

namespace mpp {

struct Contents {
  std::string name, description;       // 8-bit text
  std::string thumbnailJpeg;           // a complete JPEG file
  std::array<tp::TWaveParam, 8> waves;  // 0..3 in item 6, 4.. as extra waves
  std::vector<int32_t> mask;           // W, H, runs
  std::string pictureJpeg;
  std::string singleSound;
  tp::TWeatherParam weather;
  std::array<tp::TSoundSlot, 8> slots;
  std::string animationText;
  std::string buildText;
  int extraWaves = 4;  // records written in item 14 (0..4)
};

constexpr int kItemCount = 14;

// Bytes of the file up to and including item `lastItem` (1..14).
std::string Serialise(const Contents& c, int lastItem = kItemCount);

}  // namespace mpp
