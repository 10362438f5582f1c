// WebP (libwebp), TIFF (libtiff, read from memory) and HEIF (libheif, which applies the
// picture's own rotation). A format whose library was missing at build time is refused.
#include "tidepool-pack/OtherFormats.h"

#include <algorithm>
#include <cstring>

#include "tidepool-pack/PictureCheck.h"

#ifdef TIDEPOOL_PACK_WEBP
#include <webp/decode.h>
#endif
#ifdef TIDEPOOL_PACK_TIFF
#include <tiffio.h>
#endif
#ifdef TIDEPOOL_PACK_HEIF
#include <libheif/heif.h>
#endif

namespace tp::pack {
namespace {

constexpr long long kMaxPixels = 64LL * 1024 * 1024;

[[maybe_unused]] void CheckSize(long long w, long long h) {
  if (w <= 0 || h <= 0) throw PictureError("empty picture");
  if (w * h > kMaxPixels) throw PictureError("picture too large");
}

[[maybe_unused]] Bitmap32 FromRgba(const uint8_t* rgba, int w, int h, size_t stride, int channels) {
  Bitmap32 out;
  out.SetSizeUninitialized(w, h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* in = rgba + size_t(y) * stride;
    Pixel* row = out.scanline(y);
    for (int x = 0; x < w; ++x, in += channels)
      row[x] = MakePixel(in[0], in[1], in[2], channels == 4 ? in[3] : 255);
  }
  return out;
}

#ifdef TIDEPOOL_PACK_TIFF
struct MemoryFile {
  const std::string* bytes;
  toff_t pos = 0;
};

tmsize_t TiffRead(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemoryFile*>(h);
  const toff_t size = f->bytes->size();
  const toff_t k = f->pos >= size ? 0 : std::min<toff_t>(toff_t(n), size - f->pos);
  std::memcpy(buf, f->bytes->data() + f->pos, size_t(k));
  f->pos += k;
  return tmsize_t(k);
}
tmsize_t TiffWrite(thandle_t, void*, tmsize_t) { return 0; }
toff_t TiffSeek(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemoryFile*>(h);
  const toff_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? toff_t(f->bytes->size()) : 0;
  f->pos = base + off;
  return f->pos;
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) { return static_cast<MemoryFile*>(h)->bytes->size(); }
int TiffMap(thandle_t, void**, toff_t*) { return 0; }
void TiffUnmap(thandle_t, void*, toff_t) {}
void TiffQuiet(const char*, const char*, va_list) {}
#endif

}  // namespace

Bitmap32 DecodeWebp(const std::string& bytes) {
#ifdef TIDEPOOL_PACK_WEBP
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(data, bytes.size(), &features) != VP8_STATUS_OK) throw PictureError("damaged WebP");
  CheckSize(features.width, features.height);
  int w = 0, h = 0;
  uint8_t* rgba = WebPDecodeRGBA(data, bytes.size(), &w, &h);
  if (!rgba) throw PictureError("damaged WebP");
  Bitmap32 out = FromRgba(rgba, w, h, size_t(w) * 4, 4);
  WebPFree(rgba);
  return out;
#else
  (void)bytes;
  throw PictureError("WebP pictures are not supported by this build");
#endif
}

Bitmap32 DecodeTiff(const std::string& bytes) {
#ifdef TIDEPOOL_PACK_TIFF
  static const bool quiet = [] {
    TIFFSetErrorHandler(TiffQuiet);
    TIFFSetWarningHandler(TiffQuiet);
    return true;
  }();
  (void)quiet;
  MemoryFile file{&bytes};
  TIFF* tif = TIFFClientOpen("picture", "rm", &file, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap,
                             TiffUnmap);
  if (!tif) throw PictureError("damaged TIFF");
  uint32_t w = 0, h = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  try {
    CheckSize(w, h);
  } catch (...) {
    TIFFClose(tif);
    throw;
  }
  std::vector<uint32_t> raster(size_t(w) * h);
  const int ok = TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0);
  TIFFClose(tif);
  if (!ok) throw PictureError("damaged TIFF");
  Bitmap32 out;
  out.SetSizeUninitialized(int(w), int(h));
  for (uint32_t y = 0; y < h; ++y) {
    Pixel* row = out.scanline(int(y));
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t p = raster[size_t(y) * w + x];
      row[x] = MakePixel(uint8_t(TIFFGetR(p)), uint8_t(TIFFGetG(p)), uint8_t(TIFFGetB(p)), uint8_t(TIFFGetA(p)));
    }
  }
  return out;
#else
  (void)bytes;
  throw PictureError("TIFF pictures are not supported by this build");
#endif
}

Bitmap32 DecodeHeif(const std::string& bytes) {
#ifdef TIDEPOOL_PACK_HEIF
  heif_context* ctx = heif_context_alloc();
  heif_image_handle* handle = nullptr;
  heif_image* image = nullptr;
  auto cleanup = [&] {
    if (image) heif_image_release(image);
    if (handle) heif_image_handle_release(handle);
    heif_context_free(ctx);
  };
  heif_error err = heif_context_read_from_memory_without_copy(ctx, bytes.data(), bytes.size(), nullptr);
  if (err.code == heif_error_Ok) err = heif_context_get_primary_image_handle(ctx, &handle);
  if (err.code != heif_error_Ok) {
    const std::string message = err.message ? err.message : "unreadable";
    cleanup();
    throw PictureError("damaged HEIF (" + message + ")");
  }
  const long long hw = heif_image_handle_get_width(handle), hh = heif_image_handle_get_height(handle);
  if (hw <= 0 || hh <= 0 || hw * hh > kMaxPixels) {
    cleanup();
    throw PictureError("HEIF picture too large or empty");
  }
  const bool alpha = heif_image_handle_has_alpha_channel(handle);
  err = heif_decode_image(handle, &image, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr);
  if (err.code != heif_error_Ok) {
    const std::string message = err.message ? err.message : "undecodable";
    cleanup();
    throw PictureError("damaged HEIF (" + message + ")");
  }
  int stride = 0;
  const uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
  const int w = heif_image_get_width(image, heif_channel_interleaved);
  const int h = heif_image_get_height(image, heif_channel_interleaved);
  Bitmap32 out;
  if (plane && w > 0 && h > 0) out = FromRgba(plane, w, h, size_t(stride), alpha ? 4 : 3);
  cleanup();
  if (out.empty()) throw PictureError("damaged HEIF");
  return out;
#else
  (void)bytes;
  throw PictureError("HEIF pictures are not supported by this build");
#endif
}

}  // namespace tp::pack
