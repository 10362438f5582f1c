#pragma once
// Colours of decoded pictures turned into sRGB through Little CMS: from an embedded ICC
// profile (RGB or grey for decoded BGRA pixels, CMYK for a JPEG's raw CMYK samples), or
// from an RGB space given by its primaries (the colour description HEIF carries instead
// of a profile). Transforms are kept for the last few distinct profiles, since a folder
// of phone photos carries the same profile in every picture.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "imaging/Bitmap32.h"

namespace tp {

// How the samples handed to a conversion lie in memory.
enum class ColourLayout {
  Bgra,          // 4 bytes a pixel as in Bitmap32; grey profiles read the blue byte
  Cmyk,          // C, M, Y, K; 0 is no ink
  InvertedCmyk,  // the same with every sample inverted (255 is no ink), as Adobe writes it
};

// An RGB space: the CIE xy chromaticities of its primaries and white point.
struct Primaries {
  double redX = 0, redY = 0, greenX = 0, greenY = 0, blueX = 0, blueY = 0, whiteX = 0, whiteY = 0;
};

class SrgbConversion {
 public:
  // nullptr when Little CMS refuses the profile or its colour space does not fit the
  // layout (RGB or grey for Bgra, CMYK for the others). Profiles over kMaxProfileBytes are refused.
  static std::shared_ptr<const SrgbConversion> ForProfile(std::string_view icc, ColourLayout layout);
  // An RGB space of these primaries with the sRGB tone curve; nullptr when they describe none.
  static std::shared_ptr<const SrgbConversion> ForPrimaries(const Primaries& primaries);

  ~SrgbConversion();
  SrgbConversion(const SrgbConversion&) = delete;
  SrgbConversion& operator=(const SrgbConversion&) = delete;

  // Converts count pixels of the conversion's layout into BGRA. For Bgra the alpha byte
  // of each pixel is kept and in may equal out; CMYK gives opaque pixels.
  void ConvertRow(const uint8_t* in, Pixel* out, int count) const;
  ColourLayout layout() const { return layout_; }

  static constexpr size_t kMaxProfileBytes = 4u << 20;
  // How many transforms are kept at most, and how many are kept now.
  static constexpr size_t kCacheEntries = 8;
  static size_t CachedCount();

 private:
  SrgbConversion(void* transform, ColourLayout layout) : transform_(transform), layout_(layout) {}
  void* transform_;  // cmsHTRANSFORM
  ColourLayout layout_;
};

// Converts a decoded bitmap in place from the colour space of its embedded profile into
// sRGB. False (the bitmap unchanged) when there is no usable profile.
bool ConvertToSrgb(Bitmap32& bitmap, std::string_view icc);
// Every pixel composed over black and made opaque.
void ComposeOverBlack(Bitmap32& bitmap);

}  // namespace tp
