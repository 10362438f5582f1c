// JPEG encoding through libjpeg, from rows asked for one at a time.
#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/ImageWriter.h"
#include "imaging/LibjpegErrors.h"

namespace tp {

namespace {

struct EncodeState {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
};

bool EncodeInto(jpeg_compress_struct* cinfo, LibjpegErrors* err, int width, int height, const JpegRowSource* rowAt,
                int quality, EncodeState* state) {
  if (setjmp(err->jump)) return false;
  jpeg_create_compress(cinfo);
  jpeg_mem_dest(cinfo, &state->buffer, &state->size);
  cinfo->image_width = JDIMENSION(width);
  cinfo->image_height = JDIMENSION(height);
  cinfo->input_components = 4;
  cinfo->in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  while (cinfo->next_scanline < cinfo->image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(reinterpret_cast<const unsigned char*>((*rowAt)(int(cinfo->next_scanline))));
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodeJpegRows(int width, int height, int quality, const JpegRowSource& rowAt) {
  if (width <= 0 || height <= 0) throw std::runtime_error("cannot encode an empty picture as JPEG");
  jpeg_compress_struct cinfo;
  LibjpegErrors err;
  InstallLibjpegErrors(err);
  cinfo.err = &err.pub;
  EncodeState state;
  const bool ok = EncodeInto(&cinfo, &err, width, height, &rowAt, std::clamp(quality, 1, 100), &state);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> result;
  if (ok) result.assign(state.buffer, state.buffer + state.size);
  std::free(state.buffer);
  if (!ok) throw std::runtime_error(std::string("JPEG encoding failed: ") + err.message);
  return result;
}

std::vector<uint8_t> EncodeJpeg(const Bitmap32& bmp, int quality) {
  if (bmp.empty()) throw std::runtime_error("cannot encode an empty bitmap as JPEG");
  return EncodeJpegRows(bmp.width(), bmp.height(), quality, [&bmp](int y) { return bmp.scanline(y); });
}

}  // namespace tp
