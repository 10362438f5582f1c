// WebP (libwebp), TIFF (libtiff, read from memory) and HEIF (libheif, which applies the
// picture's own rotation). A format whose library was missing at build time, or cannot
// be opened now, is refused.
#include "tidepool-pack/OtherFormats.h"

#include <algorithm>
#include <cstring>

#include "tidepool-pack/FormatLibraries.h"
#include "tidepool-pack/PictureCheck.h"

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
  std::string_view bytes;
  toff_t pos = 0;
};

tmsize_t TiffRead(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemoryFile*>(h);
  const toff_t size = f->bytes.size();
  const toff_t k = f->pos >= size ? 0 : std::min<toff_t>(toff_t(n), size - f->pos);
  std::memcpy(buf, f->bytes.data() + f->pos, size_t(k));
  f->pos += k;
  return tmsize_t(k);
}
tmsize_t TiffWrite(thandle_t, void*, tmsize_t) { return 0; }
toff_t TiffSeek(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemoryFile*>(h);
  const toff_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? toff_t(f->bytes.size()) : 0;
  f->pos = base + off;
  return f->pos;
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) { return static_cast<MemoryFile*>(h)->bytes.size(); }
int TiffMap(thandle_t, void**, toff_t*) { return 0; }
void TiffUnmap(thandle_t, void*, toff_t) {}
void TiffQuiet(const char*, const char*, va_list) {}
#endif

}  // namespace

Bitmap32 DecodeWebp(std::string_view bytes) {
#ifdef TIDEPOOL_PACK_WEBP
  const WebpLibrary* webp = LoadWebp();
  if (!webp) throw PictureError("WebP pictures need " TIDEPOOL_PACK_WEBP_SONAME ", which cannot be opened");
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  WebPBitstreamFeatures features;
  if (webp->GetFeaturesInternal(data, bytes.size(), &features, WEBP_DECODER_ABI_VERSION) != VP8_STATUS_OK)
    throw PictureError("damaged WebP");
  CheckSize(features.width, features.height);
  int w = 0, h = 0;
  uint8_t* rgba = webp->DecodeRGBA(data, bytes.size(), &w, &h);
  if (!rgba) throw PictureError("damaged WebP");
  Bitmap32 out = FromRgba(rgba, w, h, size_t(w) * 4, 4);
  webp->Free(rgba);
  return out;
#else
  (void)bytes;
  throw PictureError("WebP pictures are not supported by this build");
#endif
}

Bitmap32 DecodeTiff(std::string_view bytes) {
#ifdef TIDEPOOL_PACK_TIFF
  const TiffLibrary* tiff = LoadTiff();
  if (!tiff) throw PictureError("TIFF pictures need " TIDEPOOL_PACK_TIFF_SONAME ", which cannot be opened");
  static const bool quiet = [tiff] {
    tiff->SetErrorHandler(TiffQuiet);
    tiff->SetWarningHandler(TiffQuiet);
    return true;
  }();
  (void)quiet;
  MemoryFile file{bytes};
  TIFF* tif = tiff->ClientOpen("picture", "rm", &file, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap,
                             TiffUnmap);
  if (!tif) throw PictureError("damaged TIFF");
  uint32_t w = 0, h = 0;
  tiff->GetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  tiff->GetField(tif, TIFFTAG_IMAGELENGTH, &h);
  try {
    CheckSize(w, h);
  } catch (...) {
    tiff->Close(tif);
    throw;
  }
  std::vector<uint32_t> raster(size_t(w) * h);
  const int ok = tiff->ReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0);
  tiff->Close(tif);
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

Bitmap32 DecodeHeif(std::string_view bytes) {
#ifdef TIDEPOOL_PACK_HEIF
  const HeifLibrary* heif = LoadHeif();
  if (!heif) throw PictureError("HEIF pictures need " TIDEPOOL_PACK_HEIF_SONAME ", which cannot be opened");
  heif_context* ctx = heif->context_alloc();
  heif_image_handle* handle = nullptr;
  heif_image* image = nullptr;
  auto cleanup = [&] {
    if (image) heif->image_release(image);
    if (handle) heif->image_handle_release(handle);
    heif->context_free(ctx);
  };
  heif_error err = heif->context_read_from_memory_without_copy(ctx, bytes.data(), bytes.size(), nullptr);
  if (err.code == heif_error_Ok) err = heif->context_get_primary_image_handle(ctx, &handle);
  if (err.code != heif_error_Ok) {
    const std::string message = err.message ? err.message : "unreadable";
    cleanup();
    throw PictureError("damaged HEIF (" + message + ")");
  }
  const long long hw = heif->image_handle_get_width(handle), hh = heif->image_handle_get_height(handle);
  if (hw <= 0 || hh <= 0 || hw * hh > kMaxPixels) {
    cleanup();
    throw PictureError("HEIF picture too large or empty");
  }
  const bool alpha = heif->image_handle_has_alpha_channel(handle);
  err = heif->decode_image(handle, &image, heif_colorspace_RGB,
                           alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr);
  if (err.code != heif_error_Ok) {
    const std::string message = err.message ? err.message : "undecodable";
    cleanup();
    throw PictureError("damaged HEIF (" + message + ")");
  }
  int stride = 0;
  const uint8_t* plane = heif->image_get_plane_readonly(image, heif_channel_interleaved, &stride);
  const int w = heif->image_get_width(image, heif_channel_interleaved);
  const int h = heif->image_get_height(image, heif_channel_interleaved);
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
