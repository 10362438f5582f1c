#include "platform/headless/FramePng.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace tp {

bool WriteFramePng(const Bitmap32& frame, const std::string& path) {
  if (frame.empty()) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  std::vector<png_byte> row(size_t(frame.width()) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    std::remove(path.c_str());
    return false;
  }
  png_init_io(png, f);
  // Frame dumps are many and large; speed matters more than size.
  png_set_compression_level(png, 1);
  png_set_IHDR(png, info, png_uint_32(frame.width()), png_uint_32(frame.height()), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < frame.height(); ++y) {
    const Pixel* src = frame.scanline(y);
    for (int x = 0; x < frame.width(); ++x) {
      row[size_t(x) * 3] = PixelR(src[x]);
      row[size_t(x) * 3 + 1] = PixelG(src[x]);
      row[size_t(x) * 3 + 2] = PixelB(src[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

}  // namespace tp
