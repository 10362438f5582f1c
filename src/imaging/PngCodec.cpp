// PNG writing and reading through libpng (errors jump back and become exceptions).
#include <csetjmp>
#include <cstring>
#include <fstream>
#include <vector>

#include <png.h>

#include "imaging/ImageLoader.h"
#include "imaging/ImageWriter.h"

namespace tp {

namespace {

void WriteToVector(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}
void QuietWarning(png_structp, png_const_charp) {}

bool EncodeInto(png_structp png, png_infop info, const Bitmap32* bmp, bool alpha,
                std::vector<uint8_t>* out, std::vector<uint8_t>* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, WriteToVector, NoFlush);
  png_set_IHDR(png, info, png_uint_32(bmp->width()), png_uint_32(bmp->height()), 8,
               alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 3);
  png_write_info(png, info);
  const int channels = alpha ? 4 : 3;
  row->resize(size_t(bmp->width()) * size_t(channels));
  for (int y = 0; y < bmp->height(); ++y) {
    const Pixel* in = bmp->scanline(y);
    uint8_t* o = row->data();
    for (int x = 0; x < bmp->width(); ++x) {
      o[0] = PixelR(in[x]);
      o[1] = PixelG(in[x]);
      o[2] = PixelB(in[x]);
      if (alpha) o[3] = PixelA(in[x]);
      o += channels;
    }
    png_write_row(png, row->data());
  }
  png_write_end(png, info);
  return true;
}

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t pos;
};
void ReadFromMemory(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (n > r->size - r->pos) png_error(png, "PNG data truncated");
  std::memcpy(out, r->data + r->pos, n);
  r->pos += n;
}

bool DecodeInto(png_structp png, png_infop info, MemoryReader* reader, Bitmap32* out,
                std::vector<uint8_t>* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, reader, ReadFromMemory);
  png_set_user_limits(png, 16384, 16384);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  out->SetSize(int(w), int(h));
  // Interlaced files need every row present at once; read the whole picture as RGBA.
  row->resize(size_t(w) * 4 * size_t(h));
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = row->data() + size_t(y) * size_t(w) * 4;
  png_read_image(png, rows.data());
  for (png_uint_32 y = 0; y < h; ++y) {
    const uint8_t* in = rows[y];
    Pixel* o = out->scanline(int(y));
    for (png_uint_32 x = 0; x < w; ++x) o[x] = MakePixel(in[4 * x], in[4 * x + 1], in[4 * x + 2], in[4 * x + 3]);
  }
  return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(const Bitmap32& bmp, bool withAlpha) {
  if (bmp.empty()) throw std::runtime_error("cannot encode an empty bitmap as PNG");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, QuietWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("libpng initialisation failed");
  }
  std::vector<uint8_t> out, row;
  const bool ok = EncodeInto(png, info, &bmp, withAlpha, &out, &row);
  png_destroy_write_struct(&png, &info);
  if (!ok) throw std::runtime_error("PNG encoding failed");
  return out;
}

void WritePngFile(const Bitmap32& bmp, const std::string& path, bool withAlpha) {
  const std::vector<uint8_t> bytes = EncodePng(bmp, withAlpha);
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

Bitmap32 DecodePng(const uint8_t* data, size_t size) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) throw ImageDecodeError("not a PNG file");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, QuietWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    throw ImageDecodeError("libpng initialisation failed");
  }
  MemoryReader reader{data, size, 0};
  Bitmap32 out;
  std::vector<uint8_t> buffer;
  const bool ok = DecodeInto(png, info, &reader, &out, &buffer);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) throw ImageDecodeError("Corrupt PNG data");
  return out;
}

}  // namespace tp
