// PNG reading through libpng's simplified API: every colour type, bit depth, palette and
// transparency comes out as 8-bit BGRA.
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <string>

#include "imaging/import/ColourProfile.h"
#include "imaging/import/DecoderSupport.h"

namespace tp {

namespace {

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// A copy of the file whose gAMA chunk is renamed to a private one that libpng skips
// (its CRC made anew), or "" when it has none. With an ICC profile the profile's own
// curve describes the samples; libpng would otherwise apply the file's gamma first and the
// profile would be applied over it.
std::string WithoutGamma(const uint8_t* data, size_t size) {
  size_t pos = 8;
  while (pos + 12 <= size) {
    const size_t length = Be32(data + pos);
    if (length > size - pos - 12) break;
    const uint8_t* type = data + pos + 4;
    if (std::memcmp(type, "IDAT", 4) == 0) break;
    if (std::memcmp(type, "gAMA", 4) == 0) {
      std::string copy(reinterpret_cast<const char*>(data), size);
      uint8_t* t = reinterpret_cast<uint8_t*>(copy.data()) + pos + 4;
      std::memcpy(t, "tpGa", 4);
      const uLong crc = crc32(crc32(0, nullptr, 0), t, uInt(4 + length));
      uint8_t* c = t + 4 + length;
      c[0] = uint8_t(crc >> 24);
      c[1] = uint8_t(crc >> 16);
      c[2] = uint8_t(crc >> 8);
      c[3] = uint8_t(crc);
      return copy;
    }
    pos += 12 + length;
  }
  return {};
}

// libpng allocates (and clears) a chunk's declared length before it reads the chunk: a
// few hundred bytes saying "two gigabytes of text follow" would cost that much memory.
// A chunk that runs past the end of the file marks it as damaged, before libpng sees it.
void CheckChunksFit(const uint8_t* data, size_t size) {
  size_t pos = 8;
  while (size - pos >= 12) {
    const size_t length = Be32(data + pos);
    if (length > size - pos - 12) throw ImageDecodeError("Corrupt PNG data: a chunk runs past the end of the file");
    if (std::memcmp(data + pos + 4, "IEND", 4) == 0) return;
    pos += 12 + length;
  }
}

}  // namespace

Bitmap32 DecodePng(const uint8_t* data, size_t size, const DecodeRequest& request) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) throw ImageDecodeError("not a PNG file");
  CheckChunksFit(data, size);
  std::string icc, stripped;
  if (request.toSrgb) {
    icc = ReadPictureFacts(data, size).iccProfile;
    // Only a profile that will be applied replaces the file's gamma.
    if (!icc.empty() && SrgbConversion::ForProfile(icc, ColourLayout::Bgra)) stripped = WithoutGamma(data, size);
    else icc.clear();
    if (!stripped.empty()) {
      data = reinterpret_cast<const uint8_t*>(stripped.data());
      size = stripped.size();
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size))
    throw ImageDecodeError(std::string("Corrupt PNG data: ") + image.message);
  // The header's size is checked before anything is allocated for the pixels.
  if (image.width == 0 || image.height == 0 ||
      static_cast<long long>(image.width) * image.height > kMaxDecodedPixels) {
    png_image_free(&image);
    throw ImageDecodeError("PNG picture too large or empty");
  }
  image.format = PNG_FORMAT_BGRA;
  // Without gamma information libpng takes 16-bit samples for linear ones; cameras and
  // editors write them in sRGB.
  if (request.toSrgb) image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  Bitmap32 out;
  try {
    CheckCancel(request);
    out.SetSizeUninitialized(int(image.width), int(image.height));
  } catch (...) {
    png_image_free(&image);
    throw;
  }
  if (!png_image_finish_read(&image, nullptr, out.data(), png_int_32(out.stride() * 4), nullptr)) {
    const std::string message = image.message;
    png_image_free(&image);
    throw ImageDecodeError("Corrupt PNG data: " + message);
  }
  CheckCancel(request);
  if (request.toSrgb) ConvertToSrgb(out, icc);
  return out;
}

}  // namespace tp
