#pragma once
// Small pieces the decoders share: the size check made before any pixel is allocated,
// and interleaved RGB(A) rows copied into a bitmap.
#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/Bitmap32.h"
#include "imaging/import/ImageLoader.h"

namespace tp {

inline void CheckDecodedSize(long long w, long long h, const char* format) {
  if (w <= 0 || h <= 0) throw ImageDecodeError(std::string(format) + " picture is empty");
  if (w > kMaxDecodedPixels || h > kMaxDecodedPixels || w * h > kMaxDecodedPixels)
    throw ImageDecodeError(std::string(format) + " picture too large (" + std::to_string(w) + " x " +
                           std::to_string(h) + ")");
}

// channels 3 (RGB) or 4 (RGBA); stride in bytes.
inline Bitmap32 FromRgbRows(const uint8_t* rgb, int w, int h, size_t stride, int channels) {
  Bitmap32 out;
  out.SetSizeUninitialized(w, h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* in = rgb + size_t(y) * stride;
    Pixel* row = out.scanline(y);
    for (int x = 0; x < w; ++x, in += channels)
      row[x] = MakePixel(in[0], in[1], in[2], channels == 4 ? in[3] : 255);
  }
  return out;
}

// Stops a decode that is no longer wanted.
inline void CheckCancel(const DecodeRequest& request) {
  if (request.cancel && request.cancel->load(std::memory_order_relaxed)) throw ImageDecodeError("decode cancelled");
}

// The message for a picture whose library this machine or build lacks.
inline MissingLibraryError MissingLibrary(const char* format, const char* soname) {
  return MissingLibraryError(std::string(format) + " pictures need " + soname + ", which is not installed");
}

}  // namespace tp
