// PNG reading through libpng's simplified API: every colour type, bit depth, palette and
// transparency comes out as 8-bit BGRA.
#include <png.h>

#include <cstring>

#include "imaging/import/ImageLoader.h"

namespace tp {

Bitmap32 DecodePng(const uint8_t* data, size_t size) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) throw ImageDecodeError("not a PNG file");
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
  Bitmap32 out;
  out.SetSizeUninitialized(int(image.width), int(image.height));
  if (!png_image_finish_read(&image, nullptr, out.data(), png_int_32(out.stride() * 4), nullptr)) {
    const std::string message = image.message;
    png_image_free(&image);
    throw ImageDecodeError("Corrupt PNG data: " + message);
  }
  return out;
}

}  // namespace tp
