// WebP through libwebp (opened on first use).
#include "imaging/import/DecoderSupport.h"
#include "imaging/import/FormatLibraries.h"

namespace tp {

Bitmap32 DecodeWebp(const uint8_t* data, size_t size) {
#ifdef TIDEPOOL_WEBP
  const WebpLibrary* webp = LoadWebp();
  if (!webp) throw MissingLibrary("WebP", TIDEPOOL_WEBP_SONAME);
  WebPBitstreamFeatures features;
  if (webp->GetFeaturesInternal(data, size, &features, WEBP_DECODER_ABI_VERSION) != VP8_STATUS_OK)
    throw ImageDecodeError("Corrupt WebP data");
  CheckDecodedSize(features.width, features.height, "WebP");
  int w = 0, h = 0;
  uint8_t* rgba = webp->DecodeRGBA(data, size, &w, &h);
  if (!rgba) throw ImageDecodeError("Corrupt WebP data");
  Bitmap32 out = FromRgbRows(rgba, w, h, size_t(w) * 4, 4);
  webp->Free(rgba);
  return out;
#else
  (void)data;
  (void)size;
  throw MissingLibrary("WebP", "libwebp");
#endif
}

}  // namespace tp
