// WebP through libwebp (opened on first use), decoded straight into the bitmap in pieces,
// so that a cancelled decode stops between them.
#include <algorithm>

#include "imaging/import/ColourProfile.h"
#include "imaging/import/DecoderSupport.h"
#include "imaging/import/FormatLibraries.h"

namespace tp {

Bitmap32 DecodeWebp(const uint8_t* data, size_t size, const DecodeRequest& request) {
#ifdef TIDEPOOL_WEBP
  const WebpLibrary* webp = LoadWebp();
  if (!webp) throw MissingLibrary("WebP", TIDEPOOL_WEBP_SONAME);
  WebPBitstreamFeatures features;
  if (!data || webp->GetFeaturesInternal(data, size, &features, WEBP_DECODER_ABI_VERSION) != VP8_STATUS_OK)
    throw ImageDecodeError("Corrupt WebP data");
  CheckDecodedSize(features.width, features.height, "WebP");
  Bitmap32 out;
  out.SetSizeUninitialized(features.width, features.height);
  const size_t bytes = out.pixelCount() * 4;
  struct Decoder {
    const WebpLibrary* lib;
    WebPIDecoder* dec;
    ~Decoder() {
      if (dec) lib->IDelete(dec);
    }
  } d{webp, webp->INewRGB(MODE_BGRA, reinterpret_cast<uint8_t*>(out.data()), bytes, out.stride() * 4)};
  if (!d.dec) throw ImageDecodeError("WebP decoder unavailable");
  constexpr size_t kPiece = 256 * 1024;
  VP8StatusCode status = VP8_STATUS_SUSPENDED;
  for (size_t at = 0; at < size && status == VP8_STATUS_SUSPENDED; at += kPiece) {
    CheckCancel(request);
    status = webp->IAppend(d.dec, data + at, std::min(kPiece, size - at));
  }
  if (status == VP8_STATUS_SUSPENDED) throw ImageDecodeError("WebP data cut short");
  if (status != VP8_STATUS_OK) throw ImageDecodeError("Corrupt WebP data");
  if (request.toSrgb) ConvertToSrgb(out, ReadPictureFacts(data, size).iccProfile);
  return out;
#else
  (void)data;
  (void)size;
  (void)request;
  throw MissingLibrary("WebP", "libwebp");
#endif
}

}  // namespace tp
