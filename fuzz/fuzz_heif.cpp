// The HEIF decoder: any input either decodes to a picture within the pixel bound or
// throws ImageDecodeError.
#include <cstddef>
#include <cstdint>

#include "imaging/import/ImageLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const tp::Bitmap32 b = tp::DecodeHeif(data, size);
    if (b.empty() || static_cast<long long>(b.width()) * b.height() > tp::kMaxDecodedPixels) __builtin_trap();
    volatile tp::Pixel sink = b.at(0, 0) ^ b.at(b.width() - 1, b.height() - 1);
    (void)sink;
  } catch (const tp::ImageDecodeError&) {
  }
  return 0;
}
