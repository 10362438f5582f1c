// BMP decoder: any input either decodes or throws ImageDecodeError.
#include <cstddef>
#include <cstdint>

#include "imaging/import/ImageLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const tp::Bitmap32 b = tp::DecodeBmp(data, size);
    if (b.empty()) __builtin_trap();  // a decoded picture always has pixels
    volatile tp::Pixel sink = b.at(0, 0) ^ b.at(b.width() - 1, b.height() - 1);
    (void)sink;
  } catch (const tp::ImageDecodeError&) {
  }
  return 0;
}
