// JPEG decoder through libjpeg: any input either decodes or throws ImageDecodeError,
// and the memory block is never read past its length; the same for a scaled decode and
// a centred cut, whose sizes come from the input's first bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "imaging/ImageLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A heap copy of exactly `size` bytes: reads beyond it are caught by the sanitizer.
  std::unique_ptr<uint8_t[]> block(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(block.get(), data, size);
  try {
    const tp::Bitmap32 b = tp::DecodeJpeg(block.get(), size);
    if (b.empty()) __builtin_trap();  // a decoded picture always has pixels
    volatile tp::Pixel sink = b.at(b.width() - 1, b.height() - 1);
    (void)sink;
  } catch (const tp::ImageDecodeError&) {
  }
  if (size < 4) return 0;
  tp::JpegDecodeRequest scaled, cut;
  scaled.minWidth = data[0] * 8;
  scaled.minHeight = data[1] * 8;
  cut.cropWidth = data[2] * 4 + 1;
  cut.cropHeight = data[3] * 4 + 1;
  for (const tp::JpegDecodeRequest& r : {scaled, cut}) {
    try {
      const tp::Bitmap32 b = tp::DecodeJpeg(block.get(), size, r);
      if (b.empty()) __builtin_trap();
      if (r.cropWidth && (b.width() > r.cropWidth || b.height() > r.cropHeight)) __builtin_trap();
      volatile tp::Pixel sink = b.at(b.width() - 1, b.height() - 1);
      (void)sink;
    } catch (const tp::ImageDecodeError&) {
    }
  }
  return 0;
}
