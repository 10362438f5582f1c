// PNG writing through libpng's simplified API: RGB, or RGBA with the fourth byte as alpha.
#include <png.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "core/FileSystem.h"
#include "imaging/ImageWriter.h"

namespace tp {

std::vector<uint8_t> EncodePng(const Bitmap32& bmp, bool withAlpha, bool fast) {
  if (bmp.empty()) throw std::runtime_error("cannot encode an empty bitmap as PNG");
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(bmp.width());
  image.height = png_uint_32(bmp.height());
  image.format = withAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
  if (fast) image.flags = PNG_IMAGE_FLAG_FAST;
  // The pixels as the format wants them: BGRA is the bitmap itself, BGR drops the fourth byte.
  std::vector<uint8_t> bgr;
  const void* pixels = bmp.data();
  png_int_32 stride = png_int_32(bmp.stride() * 4);
  if (!withAlpha) {
    bgr.resize(size_t(bmp.width()) * 3 * size_t(bmp.height()));
    uint8_t* o = bgr.data();
    for (int y = 0; y < bmp.height(); ++y) {
      const uint8_t* in = reinterpret_cast<const uint8_t*>(bmp.scanline(y));
      for (int x = 0; x < bmp.width(); ++x, in += 4, o += 3) std::memcpy(o, in, 3);
    }
    pixels = bgr.data();
    stride = png_int_32(bmp.width() * 3);
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, stride, nullptr))
    throw std::runtime_error(std::string("PNG encoding failed: ") + image.message);
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, stride, nullptr))
    throw std::runtime_error(std::string("PNG encoding failed: ") + image.message);
  out.resize(size);
  return out;
}

void WritePngFile(const Bitmap32& bmp, const std::string& path, bool withAlpha, bool fast) {
  const std::vector<uint8_t> bytes = EncodePng(bmp, withAlpha, fast);
  if (!WriteFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
    throw std::runtime_error("cannot write " + path);
}

}  // namespace tp
