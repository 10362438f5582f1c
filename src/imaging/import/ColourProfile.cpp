#include "imaging/import/ColourProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace tp {
namespace {

void QuietLcms(cmsContext, cmsUInt32Number, const char*) {}

// BGRA bytes; a grey profile reads the first byte of each pixel and skips the other three.
constexpr cmsUInt32Number kBgra = TYPE_BGRA_8;
constexpr cmsUInt32Number kGreyInBgra = COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3);

// The most recently used transforms first; a key is the layout's letter and the profile's bytes.
struct Cache {
  std::mutex mutex;
  std::vector<std::pair<std::string, std::shared_ptr<const SrgbConversion>>> entries;
};
Cache& TheCache() {
  static Cache cache;
  return cache;
}

cmsHPROFILE Srgb() {
  // Built per transform: a profile handle is not shared between threads.
  return cmsCreate_sRGBProfile();
}

}  // namespace

SrgbConversion::~SrgbConversion() { cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_)); }

size_t SrgbConversion::CachedCount() {
  Cache& cache = TheCache();
  std::lock_guard lock(cache.mutex);
  return cache.entries.size();
}

// Looks the key up, or builds the transform with make (nullptr results are not kept, so
// a refused profile costs its parse each time, as a damaged file would anyway).
template <typename Make>
std::shared_ptr<const SrgbConversion> CachedConversion(const std::string& key, Make make) {
  static const bool quiet = [] {
    cmsSetLogErrorHandler(QuietLcms);
    return true;
  }();
  (void)quiet;
  Cache& cache = TheCache();
  std::lock_guard lock(cache.mutex);
  auto& entries = cache.entries;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].first != key) continue;
    std::rotate(entries.begin(), entries.begin() + long(i), entries.begin() + long(i) + 1);
    return entries.front().second;
  }
  std::shared_ptr<const SrgbConversion> made = make();
  if (!made) return nullptr;
  if (entries.size() >= SrgbConversion::kCacheEntries) entries.pop_back();
  entries.insert(entries.begin(), {key, made});
  return made;
}

std::shared_ptr<const SrgbConversion> SrgbConversion::ForProfile(std::string_view icc, ColourLayout layout) {
  if (icc.size() < 132 || icc.size() > kMaxProfileBytes) return nullptr;  // shorter than a profile's header
  std::string key(1, char('0' + int(layout)));
  key.append(icc);
  return CachedConversion(key, [&]() -> std::shared_ptr<const SrgbConversion> {
    cmsHPROFILE from = cmsOpenProfileFromMem(icc.data(), cmsUInt32Number(icc.size()));
    if (!from) return nullptr;
    // Kept as a number: a damaged header holds values the enumeration does not name.
    const uint32_t space = static_cast<uint32_t>(cmsGetColorSpace(from));
    const bool cmyk = space == uint32_t(cmsSigCmykData);
    cmsUInt32Number inFormat = 0;
    if (layout == ColourLayout::Bgra && space == uint32_t(cmsSigRgbData)) inFormat = kBgra;
    else if (layout == ColourLayout::Bgra && space == uint32_t(cmsSigGrayData)) inFormat = kGreyInBgra;
    else if (layout == ColourLayout::Cmyk && cmyk) inFormat = TYPE_CMYK_8;
    else if (layout == ColourLayout::InvertedCmyk && cmyk) inFormat = TYPE_CMYK_8_REV;
    cmsHTRANSFORM transform = nullptr;
    if (inFormat) {
      cmsHPROFILE to = Srgb();
      transform = cmsCreateTransform(from, inFormat, to, kBgra, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
      cmsCloseProfile(to);
    }
    cmsCloseProfile(from);
    if (!transform) return nullptr;
    return std::shared_ptr<const SrgbConversion>(new SrgbConversion(transform, layout));
  });
}

std::shared_ptr<const SrgbConversion> SrgbConversion::ForPrimaries(const Primaries& p) {
  const double values[] = {p.redX, p.redY, p.greenX, p.greenY, p.blueX, p.blueY, p.whiteX, p.whiteY};
  for (double v : values)
    if (!(v > 0.0 && v < 1.0)) return nullptr;  // also refuses NaN
  std::string key = "P";
  key.append(reinterpret_cast<const char*>(values), sizeof values);
  return CachedConversion(key, [&]() -> std::shared_ptr<const SrgbConversion> {
    const cmsCIExyY white = {p.whiteX, p.whiteY, 1.0};
    const cmsCIExyYTRIPLE primaries = {{p.redX, p.redY, 1.0}, {p.greenX, p.greenY, 1.0}, {p.blueX, p.blueY, 1.0}};
    // The sRGB curve: (x + 0.055) / 1.055 to the power 2.4, linear below 0.04045.
    const cmsFloat64Number srgbCurve[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    if (!curve) return nullptr;
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE from = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    if (!from) return nullptr;
    cmsHPROFILE to = Srgb();
    cmsHTRANSFORM transform = cmsCreateTransform(from, kBgra, to, kBgra, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    cmsCloseProfile(to);
    cmsCloseProfile(from);
    if (!transform) return nullptr;
    return std::shared_ptr<const SrgbConversion>(new SrgbConversion(transform, ColourLayout::Bgra));
  });
}

void SrgbConversion::ConvertRow(const uint8_t* in, Pixel* out, int count) const {
  if (count <= 0) return;
  auto transform = static_cast<cmsHTRANSFORM>(transform_);
  if (layout_ != ColourLayout::Bgra) {
    cmsDoTransform(transform, in, out, cmsUInt32Number(count));
    for (int x = 0; x < count; ++x) out[x] |= 0xFF000000u;
    return;
  }
  // Through a copy, so that in may be out and the alpha bytes survive whatever the
  // transform writes there.
  thread_local std::vector<Pixel> copy;
  copy.assign(reinterpret_cast<const Pixel*>(in), reinterpret_cast<const Pixel*>(in) + count);
  cmsDoTransform(transform, copy.data(), out, cmsUInt32Number(count));
  for (int x = 0; x < count; ++x) out[x] = (out[x] & 0x00FFFFFFu) | (copy[size_t(x)] & 0xFF000000u);
}

bool ConvertToSrgb(Bitmap32& bitmap, std::string_view icc) {
  if (icc.empty() || bitmap.empty()) return false;
  const auto conversion = SrgbConversion::ForProfile(icc, ColourLayout::Bgra);
  if (!conversion) return false;
  for (int y = 0; y < bitmap.height(); ++y) {
    Pixel* row = bitmap.scanline(y);
    conversion->ConvertRow(reinterpret_cast<const uint8_t*>(row), row, bitmap.width());
  }
  return true;
}

void ComposeOverBlack(Bitmap32& bitmap) {
  for (int y = 0; y < bitmap.height(); ++y) {
    Pixel* row = bitmap.scanline(y);
    for (int x = 0; x < bitmap.width(); ++x) {
      const Pixel p = row[x];
      const unsigned a = PixelA(p);
      if (a == 255) continue;
      auto over = [a](unsigned c) { return uint8_t((c * a + 127) / 255); };
      row[x] = MakePixel(over(PixelR(p)), over(PixelG(p)), over(PixelB(p)), 255);
    }
  }
}

}  // namespace tp
