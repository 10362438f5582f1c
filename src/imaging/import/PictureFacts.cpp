// What a picture's header says: its size as stored, its EXIF orientation and date, and
// its embedded colour profile. The containers are walked by hand (JPEG segments, PNG
// chunks, RIFF chunks), every length checked against the data; the formats whose
// containers are complex (HEIF, TIFF, JPEG XL) are asked through their libraries.
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/import/DecoderSupport.h"
#include "imaging/import/Exif.h"
#include "imaging/import/FormatLibraries.h"
#include "imaging/import/HeifItems.h"
#include "imaging/import/ImageLoader.h"

namespace tp {
namespace {

// A colour profile larger than this is not one a camera or phone writes.
constexpr size_t kMaxIccBytes = 4u << 20;

uint32_t Be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Be32(const uint8_t* p) { return Be16(p) << 16 | Be16(p + 2); }
uint32_t Le16(const uint8_t* p) { return uint32_t(p[1]) << 8 | p[0]; }
uint32_t Le24(const uint8_t* p) { return Le16(p) | uint32_t(p[2]) << 16; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }

void ApplyExif(const uint8_t* data, size_t size, PictureFacts& facts) {
  const ExifFacts exif = ReadExifBlock(data, size);
  facts.orientation = exif.orientation;
  facts.dateTaken = exif.dateTaken;
}

// JPEG: segments up to the first scan. The ICC profile may be split over numbered APP2
// chunks, which are put together in their order.
void JpegFacts(const uint8_t* d, size_t n, PictureFacts& facts) {
  const Size2D size = ReadJpegSize(d, n);
  facts.width = size.width;
  facts.height = size.height;
  std::vector<std::string> chunks;
  size_t pos = 2;
  bool exifSeen = false;
  while (pos + 4 <= n && d[pos] == 0xFF) {
    const uint8_t marker = d[pos + 1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) break;  // start of scan, end of image
    const size_t length = Be16(d + pos + 2);
    if (length < 2 || pos + 2 + length > n) break;
    const uint8_t* body = d + pos + 4;
    const size_t bodySize = length - 2;
    if (marker == 0xE1 && !exifSeen && bodySize > 6 && std::memcmp(body, "Exif\0\0", 6) == 0) {
      ApplyExif(body, bodySize, facts);
      exifSeen = true;
    } else if (marker == 0xE2 && bodySize > 14 && std::memcmp(body, "ICC_PROFILE\0", 12) == 0) {
      const unsigned seq = body[12], count = body[13];
      if (seq >= 1 && seq <= count) {
        if (chunks.size() < count) chunks.resize(count);
        chunks[seq - 1].assign(reinterpret_cast<const char*>(body + 14), bodySize - 14);
      }
    }
    pos += 2 + length;
  }
  std::string icc;
  for (const std::string& c : chunks) {
    if (c.empty()) return;  // a chunk is missing: no usable profile
    icc += c;
  }
  if (icc.size() <= kMaxIccBytes) facts.iccProfile = std::move(icc);
}

std::string Inflate(const uint8_t* data, size_t size, size_t limit) {
  std::string out;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return {};
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = uInt(size);
  char buffer[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    status = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
    if (out.size() > limit) status = Z_MEM_ERROR;
  }
  inflateEnd(&z);
  return status == Z_STREAM_END ? out : std::string();
}

// PNG: chunks up to the first image data.
void PngFacts(const uint8_t* d, size_t n, PictureFacts& facts) {
  size_t pos = 8;
  while (pos + 12 <= n) {
    const size_t length = Be32(d + pos);
    const uint8_t* type = d + pos + 4;
    const uint8_t* body = d + pos + 8;
    if (length > n - pos - 12) break;
    if (std::memcmp(type, "IHDR", 4) == 0 && length >= 8) {
      facts.width = int(std::min<uint32_t>(Be32(body), 0x7FFFFFFF));
      facts.height = int(std::min<uint32_t>(Be32(body + 4), 0x7FFFFFFF));
    } else if (std::memcmp(type, "iCCP", 4) == 0) {
      // Name (1-79 bytes), its terminating zero, the compression method, the deflated profile.
      const void* zero = std::memchr(body, 0, std::min<size_t>(length, 80));
      if (zero) {
        const size_t at = size_t(static_cast<const uint8_t*>(zero) - body) + 2;
        if (at <= length) facts.iccProfile = Inflate(body + at, length - at, kMaxIccBytes);
      }
    } else if (std::memcmp(type, "eXIf", 4) == 0) {
      ApplyExif(body, length, facts);
    } else if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) {
      break;
    }
    pos += 12 + length;
  }
}

// WebP: the RIFF chunks. The extended header (VP8X) carries the canvas size; a simple
// file has only its lossy (VP8) or lossless (VP8L) bitstream, whose first bytes do.
void WebpFacts(const uint8_t* d, size_t n, PictureFacts& facts) {
  size_t pos = 12;
  while (pos + 8 <= n) {
    const uint8_t* type = d + pos;
    const size_t length = Le32(d + pos + 4);
    const uint8_t* body = d + pos + 8;
    if (length > n - pos - 8) break;
    if (std::memcmp(type, "VP8X", 4) == 0 && length >= 10) {
      facts.width = int(Le24(body + 4) + 1);
      facts.height = int(Le24(body + 7) + 1);
    } else if (std::memcmp(type, "VP8 ", 4) == 0 && length >= 10 && facts.width == 0) {
      facts.width = int(Le16(body + 6) & 0x3FFF);
      facts.height = int(Le16(body + 8) & 0x3FFF);
    } else if (std::memcmp(type, "VP8L", 4) == 0 && length >= 5 && facts.width == 0 && body[0] == 0x2F) {
      const uint32_t bits = Le32(body + 1);
      facts.width = int((bits & 0x3FFF) + 1);
      facts.height = int(((bits >> 14) & 0x3FFF) + 1);
    } else if (std::memcmp(type, "ICCP", 4) == 0 && length <= kMaxIccBytes) {
      facts.iccProfile.assign(reinterpret_cast<const char*>(body), length);
    } else if (std::memcmp(type, "EXIF", 4) == 0) {
      ApplyExif(body, length, facts);
    }
    pos += 8 + length + (length & 1);
  }
}

void BmpFacts(const uint8_t* d, size_t n, PictureFacts& facts) {
  if (n < 26) return;
  const uint32_t header = Le32(d + 14);
  if (header == 12) {
    facts.width = int(Le16(d + 18));
    facts.height = int(Le16(d + 20));
  } else if (n >= 26 && header >= 40) {
    facts.width = int(int32_t(Le32(d + 18)));
    const int32_t h = int32_t(Le32(d + 22));
    facts.height = h == INT32_MIN ? 0 : (h < 0 ? -h : h);
  }
}

void HeifFacts(const uint8_t* d, size_t n, PictureFacts& facts) {
#ifdef TIDEPOOL_HEIF
  const HeifLibrary* heif = LoadHeif();
  if (!heif) throw MissingLibrary("HEIF", TIDEPOOL_HEIF_SONAME);
  CheckHeifItemCount(d, n);
  heif_context* ctx = heif->context_alloc();
  heif_image_handle* handle = nullptr;
  heif_error err = heif->context_read_from_memory_without_copy(ctx, d, n, nullptr);
  if (err.code == heif_error_Ok) err = heif->context_get_primary_image_handle(ctx, &handle);
  if (err.code == heif_error_Ok) {
    // The size after the container's own rotation, which the library applies on decode.
    facts.width = heif->image_handle_get_width(handle);
    facts.height = heif->image_handle_get_height(handle);
    const size_t iccSize = heif->image_handle_get_raw_color_profile_size(handle);
    if (iccSize > 0 && iccSize <= kMaxIccBytes) {
      facts.iccProfile.resize(iccSize);
      if (heif->image_handle_get_raw_color_profile(handle, facts.iccProfile.data()).code != heif_error_Ok)
        facts.iccProfile.clear();
    }
  }
  if (handle) heif->image_handle_release(handle);
  heif->context_free(ctx);
  if (err.code != heif_error_Ok) throw ImageDecodeError("Corrupt HEIF data");
#else
  (void)d;
  (void)n;
  (void)facts;
  throw MissingLibrary("HEIF", "libheif");
#endif
}

void TiffFacts(const uint8_t* d, size_t n, PictureFacts& facts) {
#ifdef TIDEPOOL_TIFF
  const TiffLibrary* tiff = LoadTiff();
  if (!tiff) throw MissingLibrary("TIFF", TIDEPOOL_TIFF_SONAME);
  TiffMemoryFile file{d, n};
  TIFF* tif = OpenTiffInMemory(tiff, file);
  if (!tif) throw ImageDecodeError("Corrupt TIFF data");
  uint32_t w = 0, h = 0;
  uint16_t orientation = 1;
  uint32_t iccSize = 0;
  void* icc = nullptr;
  tiff->GetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  tiff->GetField(tif, TIFFTAG_IMAGELENGTH, &h);
  tiff->GetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  if (tiff->GetField(tif, TIFFTAG_ICCPROFILE, &iccSize, &icc) && icc && iccSize <= kMaxIccBytes)
    facts.iccProfile.assign(static_cast<const char*>(icc), iccSize);
  tiff->Close(tif);
  facts.width = int(std::min<uint32_t>(w, 0x7FFFFFFF));
  facts.height = int(std::min<uint32_t>(h, 0x7FFFFFFF));
  // The decoder turns the picture by its orientation tag already; report it as upright.
  (void)orientation;
#else
  (void)d;
  (void)n;
  (void)facts;
  throw MissingLibrary("TIFF", "libtiff");
#endif
}

}  // namespace

PictureFacts ReadPictureFacts(const uint8_t* data, size_t size) {
  PictureFacts facts;
  facts.format = SniffImageFormat(data, size);
  switch (facts.format) {
    case ImageFormat::Jpeg: JpegFacts(data, size, facts); break;
    case ImageFormat::Png: PngFacts(data, size, facts); break;
    case ImageFormat::Webp: WebpFacts(data, size, facts); break;
    case ImageFormat::Bmp: BmpFacts(data, size, facts); break;
    case ImageFormat::Gif:
      if (size >= 10) {
        facts.width = int(Le16(data + 6));
        facts.height = int(Le16(data + 8));
      }
      break;
    case ImageFormat::Heif: HeifFacts(data, size, facts); break;
    case ImageFormat::Tiff: TiffFacts(data, size, facts); break;
    case ImageFormat::Jxl: {
      // The codestream's size fields are packed in bits; a decode tells it reliably.
      const Bitmap32 b = DecodeJxl(data, size);
      facts.width = b.width();
      facts.height = b.height();
      break;
    }
    case ImageFormat::Unknown: throw ImageDecodeError("Unknown picture format");
  }
  return facts;
}

}  // namespace tp
