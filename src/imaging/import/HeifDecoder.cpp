// HEIF, HEIC and AVIF through libheif (opened on first use): the primary image, with the
// container's own rotation and mirroring applied by the library.
#include "imaging/import/DecoderSupport.h"
#include "imaging/import/FormatLibraries.h"

namespace tp {

Bitmap32 DecodeHeif(const uint8_t* data, size_t size) {
#ifdef TIDEPOOL_HEIF
  const HeifLibrary* heif = LoadHeif();
  if (!heif) throw MissingLibrary("HEIF", TIDEPOOL_HEIF_SONAME);
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
  try {
    // The size of the whole image (a grid of tiles included) before any tile is decoded.
    CheckDecodedSize(heif->image_handle_get_width(handle), heif->image_handle_get_height(handle), "HEIF");
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
  return out;
#else
  (void)data;
  (void)size;
  throw MissingLibrary("HEIF", "libheif");
#endif
}

}  // namespace tp
