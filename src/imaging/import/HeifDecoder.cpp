// HEIF, HEIC and AVIF through libheif (opened on first use): the primary image, with the
// container's own rotation and mirroring applied by the library.
#include <memory>
#include <string>

#include "imaging/import/ColourProfile.h"
#include "imaging/import/DecoderSupport.h"
#include "imaging/import/HeifItems.h"
#include "imaging/import/FormatLibraries.h"

namespace tp {

#ifdef TIDEPOOL_HEIF
namespace {

// The conversion the image's colour description asks for: its ICC profile, or the
// primaries of its nclx box when they are not sRGB's (phones write Display P3 there). A
// description with the PQ or HLG curve is left alone: those are not display pictures.
std::shared_ptr<const SrgbConversion> HeifConversion(const HeifLibrary* heif, heif_image_handle* handle) {
  const heif_color_profile_type type = heif->image_handle_get_color_profile_type(handle);
  if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
    const size_t iccSize = heif->image_handle_get_raw_color_profile_size(handle);
    if (iccSize == 0 || iccSize > SrgbConversion::kMaxProfileBytes) return nullptr;
    std::string icc(iccSize, '\0');
    if (heif->image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok) return nullptr;
    return SrgbConversion::ForProfile(icc, ColourLayout::Bgra);
  }
  heif_color_profile_nclx* nclx = nullptr;
  // The library hands out its structure even with an error (primaries it does not know).
  if (heif->image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok || !nclx) {
    if (nclx) heif->nclx_color_profile_free(nclx);
    return nullptr;
  }
  std::shared_ptr<const SrgbConversion> conversion;
  const bool srgbPrimaries = nclx->color_primaries == heif_color_primaries_ITU_R_BT_709_5 ||
                             nclx->color_primaries == heif_color_primaries_unspecified;
  const bool hdr = nclx->transfer_characteristics == heif_transfer_characteristic_ITU_R_BT_2100_0_PQ ||
                   nclx->transfer_characteristics == heif_transfer_characteristic_ITU_R_BT_2100_0_HLG;
  if (!srgbPrimaries && !hdr) {
    Primaries p;
    p.redX = nclx->color_primary_red_x;
    p.redY = nclx->color_primary_red_y;
    p.greenX = nclx->color_primary_green_x;
    p.greenY = nclx->color_primary_green_y;
    p.blueX = nclx->color_primary_blue_x;
    p.blueY = nclx->color_primary_blue_y;
    p.whiteX = nclx->color_primary_white_x;
    p.whiteY = nclx->color_primary_white_y;
    conversion = SrgbConversion::ForPrimaries(p);
  }
  heif->nclx_color_profile_free(nclx);
  return conversion;
}

}  // namespace
#endif

Bitmap32 DecodeHeif(const uint8_t* data, size_t size, const DecodeRequest& request) {
#ifdef TIDEPOOL_HEIF
  const HeifLibrary* heif = LoadHeif();
  if (!heif) throw MissingLibrary("HEIF", TIDEPOOL_HEIF_SONAME);
  CheckHeifItemCount(data, size);
  heif_context* ctx = heif->context_alloc();
  heif_image_handle* handle = nullptr;
  heif_image* image = nullptr;
  auto cleanup = [&] {
    if (image) heif->image_release(image);
    if (handle) heif->image_handle_release(handle);
    heif->context_free(ctx);
  };
  auto fail = [&](const heif_error& err, const char* what) {
    const std::string message = err.message ? err.message : what;
    cleanup();
    return ImageDecodeError("Corrupt HEIF data (" + message + ")");
  };
  heif_error err = heif->context_read_from_memory_without_copy(ctx, data, size, nullptr);
  if (err.code == heif_error_Ok) err = heif->context_get_primary_image_handle(ctx, &handle);
  if (err.code != heif_error_Ok) throw fail(err, "unreadable");
  std::shared_ptr<const SrgbConversion> conversion;
  try {
    // The size of the whole image (a grid of tiles included) before any tile is decoded.
    CheckDecodedSize(heif->image_handle_get_width(handle), heif->image_handle_get_height(handle), "HEIF");
    CheckCancel(request);
    if (request.toSrgb) conversion = HeifConversion(heif, handle);
  } catch (...) {
    cleanup();
    throw;
  }
  const bool alpha = heif->image_handle_has_alpha_channel(handle);
  err = heif->decode_image(handle, &image, heif_colorspace_RGB,
                           alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr);
  if (err.code != heif_error_Ok) throw fail(err, "undecodable");
  int stride = 0;
  const uint8_t* plane = heif->image_get_plane_readonly(image, heif_channel_interleaved, &stride);
  const int w = heif->image_get_width(image, heif_channel_interleaved);
  const int h = heif->image_get_height(image, heif_channel_interleaved);
  Bitmap32 out;
  if (plane && w > 0 && h > 0 && static_cast<long long>(w) * h <= kMaxDecodedPixels)
    out = FromRgbRows(plane, w, h, size_t(stride), alpha ? 4 : 3);
  cleanup();
  if (out.empty()) throw ImageDecodeError("Corrupt HEIF data");
  // The library has no way to stop a decode under way; a cancelled one ends here.
  CheckCancel(request);
  if (conversion)
    for (int y = 0; y < out.height(); ++y)
      conversion->ConvertRow(reinterpret_cast<const uint8_t*>(out.scanline(y)), out.scanline(y), out.width());
  return out;
#else
  (void)data;
  (void)size;
  (void)request;
  throw MissingLibrary("HEIF", "libheif");
#endif
}

}  // namespace tp
