#pragma once
// The hash the frame log gives each presented frame: 64-bit FNV-1a over the bytes
// B, G, R of every pixel, row by row from the top (the fourth byte is not shown on a
// screen, so it takes no part).
#include <cstdint>
#include <string>

#include "imaging/Bitmap32.h"

namespace tp {

uint64_t FrameHash(const Bitmap32& bitmap);

// The same hash taken row by row, for callers that pass over the rows anyway.
class FrameHasher {
 public:
  void Add(const Pixel* pixels, int count);
  uint64_t Hash() const { return hash_; }

 private:
  uint64_t hash_ = 14695981039346656037ull;  // the FNV-1a offset basis
};

// The hash of a width x height frame of one colour (e.g. black after FillBlack).
uint64_t SolidFrameHash(int width, int height, Pixel color);
std::string HashHex(uint64_t hash);  // 16 lower-case hex digits

}  // namespace tp
