// JPEG decoder through libjpeg: any input either decodes or throws ImageDecodeError,
// and the memory block is never read past its length.
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
  return 0;
}
