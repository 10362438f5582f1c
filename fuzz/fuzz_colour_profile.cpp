// The colour conversion: any bytes taken for an embedded profile either give a conversion
// that turns pixels of its layout into sRGB, or none; the first bytes also make primaries.
#include <cstring>

#include "FuzzSupport.h"
#include "imaging/import/ColourProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view icc(reinterpret_cast<const char*>(data), size);
  tp::Bitmap32 pixels(7, 3);
  for (int i = 0; i < 21; ++i) pixels.data()[i] = tp::Pixel(0x01020304u * uint32_t(i * 37 + 11));
  for (tp::ColourLayout layout : {tp::ColourLayout::Bgra, tp::ColourLayout::Cmyk, tp::ColourLayout::InvertedCmyk}) {
    const auto conversion = tp::SrgbConversion::ForProfile(icc, layout);
    if (!conversion) continue;
    tp::Bitmap32 out(7, 3);
    conversion->ConvertRow(reinterpret_cast<const uint8_t*>(pixels.data()), out.data(), 21);
    if (layout != tp::ColourLayout::Bgra)
      for (int i = 0; i < 21; ++i)
        if (tp::PixelA(out.data()[i]) != 255) __builtin_trap();
  }
  tp::ConvertToSrgb(pixels, icc);
  if (size >= 8 * sizeof(float)) {
    float v[8];
    std::memcpy(v, data, sizeof v);
    tp::Primaries p{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]};
    if (const auto conversion = tp::SrgbConversion::ForPrimaries(p))
      conversion->ConvertRow(reinterpret_cast<const uint8_t*>(pixels.data()), pixels.data(), 21);
  }
  return 0;
}
