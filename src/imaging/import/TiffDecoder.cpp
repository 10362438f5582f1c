// TIFF through libtiff (opened on first use), read from memory; the first page, turned
// as its orientation tag says.
#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <vector>

#include "imaging/import/DecoderSupport.h"
#include "imaging/import/FormatLibraries.h"

namespace tp {

#ifdef TIDEPOOL_TIFF
namespace {

using MemoryFile = TiffMemoryFile;

tmsize_t TiffRead(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemoryFile*>(h);
  const toff_t k = f->pos >= f->size ? 0 : std::min<toff_t>(toff_t(n), f->size - f->pos);
  if (k) std::memcpy(buf, f->data + f->pos, size_t(k));
  f->pos += k;
  return tmsize_t(k);
}
tmsize_t TiffWrite(thandle_t, void*, tmsize_t) { return 0; }
toff_t TiffSeek(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemoryFile*>(h);
  const toff_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->size : 0;
  f->pos = base + off;
  return f->pos;
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) { return static_cast<MemoryFile*>(h)->size; }
int TiffMap(thandle_t, void**, toff_t*) { return 0; }
void TiffUnmap(thandle_t, void*, toff_t) {}
void TiffQuiet(const char*, const char*, va_list) {}

}  // namespace

TIFF* OpenTiffInMemory(const TiffLibrary* tiff, TiffMemoryFile& file) {
  static const bool quiet = [tiff] {
    tiff->SetErrorHandler(TiffQuiet);
    tiff->SetWarningHandler(TiffQuiet);
    return true;
  }();
  (void)quiet;
  file.pos = 0;
  return tiff->ClientOpen("picture", "rm", &file, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap, TiffUnmap);
}
#endif

Bitmap32 DecodeTiff(const uint8_t* data, size_t size) {
#ifdef TIDEPOOL_TIFF
  const TiffLibrary* tiff = LoadTiff();
  if (!tiff) throw MissingLibrary("TIFF", TIDEPOOL_TIFF_SONAME);
  TiffMemoryFile file{data, size};
  TIFF* tif = OpenTiffInMemory(tiff, file);
  if (!tif) throw ImageDecodeError("Corrupt TIFF data");
  uint32_t w = 0, h = 0;
  tiff->GetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  tiff->GetField(tif, TIFFTAG_IMAGELENGTH, &h);
  try {
    CheckDecodedSize(w, h, "TIFF");
  } catch (...) {
    tiff->Close(tif);
    throw;
  }
  std::vector<uint32_t> raster(size_t(w) * h);
  const int ok = tiff->ReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0);
  tiff->Close(tif);
  if (!ok) throw ImageDecodeError("Corrupt TIFF data");
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
  (void)data;
  (void)size;
  throw MissingLibrary("TIFF", "libtiff");
#endif
}

}  // namespace tp
