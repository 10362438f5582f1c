// TIFF through libtiff (opened on first use), read from memory; the first page, turned
// as its orientation tag says.
#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <vector>

#include "imaging/import/ColourProfile.h"
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

// The common photo layout (8-bit RGB in strips, upright) read strip by strip straight into
// the bitmap: cheaper than the library's general RGBA reader, and a cancelled decode stops
// between strips. False when the picture is laid out otherwise.
bool IsPlainRgb(const TiffLibrary* tiff, TIFF* tif) {
  uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, orientation = 0;
  tiff->GetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  tiff->GetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  tiff->GetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  tiff->GetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  if (!tiff->GetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
  return !tiff->IsTiled(tif) && bits == 8 && samples == 3 && photometric == PHOTOMETRIC_RGB &&
         planar == PLANARCONFIG_CONTIG && orientation == ORIENTATION_TOPLEFT;
}

bool ReadPlainRgb(const TiffLibrary* tiff, TIFF* tif, Bitmap32& out, const DecodeRequest& request) {
  uint32_t rowsPerStrip = 0;
  tiff->GetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  const int w = out.width(), h = out.height();
  rowsPerStrip = std::clamp<uint32_t>(rowsPerStrip, 1, uint32_t(h));
  const size_t rowBytes = size_t(w) * 3;
  std::vector<uint8_t> strip(rowBytes * rowsPerStrip);
  const uint32_t strips = tiff->NumberOfStrips(tif);
  for (uint32_t s = 0, y0 = 0; y0 < uint32_t(h); ++s, y0 += rowsPerStrip) {
    CheckCancel(request);
    const uint32_t rows = std::min<uint32_t>(rowsPerStrip, uint32_t(h) - y0);
    if (s >= strips || tiff->ReadEncodedStrip(tif, s, strip.data(), tmsize_t(rowBytes * rows)) < 0) return false;
    for (uint32_t r = 0; r < rows; ++r) {
      const uint8_t* in = strip.data() + rowBytes * r;
      Pixel* row = out.scanline(int(y0 + r));
      for (int x = 0; x < w; ++x, in += 3) row[x] = MakePixel(in[0], in[1], in[2], 255);
    }
  }
  return true;
}
toff_t TiffSize(thandle_t h) { return static_cast<MemoryFile*>(h)->size; }
// The bytes are already in memory: offered to the library as a mapped file, so that it
// decodes strips where they lie instead of copying each one out first.
int TiffMap(thandle_t h, void** base, toff_t* size) {
  auto* f = static_cast<MemoryFile*>(h);
  *base = const_cast<uint8_t*>(f->data);
  *size = f->size;
  return 1;
}
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
  TIFFOpenOptions* options = tiff->OpenOptionsAlloc();
  if (!options) return nullptr;
  tiff->OpenOptionsSetMaxSingleMemAlloc(options, kMaxTiffAllocation);
  TIFF* tif = tiff->ClientOpenExt("picture", "r", &file, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap,
                                  TiffUnmap, options);
  tiff->OpenOptionsFree(options);
  return tif;
}
#endif

Bitmap32 DecodeTiff(const uint8_t* data, size_t size, const DecodeRequest& request) {
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
    // One strip or tile is read whole; one that would not fit the library's bound is
    // refused here, before the picture's own pixels are allocated.
    const uint64_t piece = tiff->IsTiled(tif) ? tiff->TileSize64(tif) : tiff->StripSize64(tif);
    if (piece == 0 || piece > uint64_t(kMaxTiffAllocation))
      throw ImageDecodeError("TIFF strip or tile too large or empty");
  } catch (...) {
    tiff->Close(tif);
    throw;
  }
  std::string icc;
  if (request.toSrgb) {
    uint32_t iccSize = 0;
    void* iccData = nullptr;
    if (tiff->GetField(tif, TIFFTAG_ICCPROFILE, &iccSize, &iccData) && iccData && iccSize <= SrgbConversion::kMaxProfileBytes)
      icc.assign(static_cast<const char*>(iccData), iccSize);
  }
  // The library fills the bitmap's own memory (its packing is R, G, B, A in memory order);
  // red and blue are swapped into place afterwards.
  Bitmap32 out;
  bool ok = false, plain = false;
  try {
    CheckCancel(request);
    out.SetSizeUninitialized(int(w), int(h));
    plain = IsPlainRgb(tiff, tif);
    ok = plain ? ReadPlainRgb(tiff, tif, out, request)
               : tiff->ReadRGBAImageOriented(tif, w, h, reinterpret_cast<uint32_t*>(out.data()), ORIENTATION_TOPLEFT, 0);
  } catch (...) {
    tiff->Close(tif);
    throw;
  }
  tiff->Close(tif);
  if (!ok) throw ImageDecodeError("Corrupt TIFF data");
  CheckCancel(request);
  Pixel* p = out.data();
  for (size_t i = 0, n = out.pixelCount(); i < n && !plain; ++i) {
    const uint32_t v = p[i];
    p[i] = MakePixel(uint8_t(TIFFGetR(v)), uint8_t(TIFFGetG(v)), uint8_t(TIFFGetB(v)), uint8_t(TIFFGetA(v)));
  }
  if (request.toSrgb) ConvertToSrgb(out, icc);
  return out;
#else
  (void)data;
  (void)size;
  (void)request;
  throw MissingLibrary("TIFF", "libtiff");
#endif
}

}  // namespace tp
