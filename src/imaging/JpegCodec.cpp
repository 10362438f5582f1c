// JPEG decoding and encoding through libjpeg. Library errors jump back here (longjmp to a
// frame holding only trivially destructible state) and become ImageDecodeError; the
// library never exits the process.
#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/ImageLoader.h"
#include "imaging/ImageWriter.h"

namespace tp {

namespace {

constexpr long long kMaxJpegPixels = 64LL * 1024 * 1024;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}
void QuietOutput(j_common_ptr) {}

void InstallErrors(ErrorManager& err, j_common_ptr) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.output_message = QuietOutput;
  err.message[0] = 0;
}

// Converts one row of inverted (Adobe) CMYK to BGRA.
void CmykRowToBgra(const uint8_t* in, Pixel* out, int width) {
  for (int x = 0; x < width; ++x) {
    const unsigned c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
    out[x] = MakePixel(uint8_t((c * k + 127) / 255), uint8_t((m * k + 127) / 255),
                       uint8_t((y * k + 127) / 255), 255);
  }
}

// The decode itself. Only trivially destructible locals live between setjmp and the
// library calls that may jump; `out` and `cmykRow` belong to the caller.
bool DecodeInto(jpeg_decompress_struct* cinfo, ErrorManager* err, const uint8_t* data,
                size_t size, Bitmap32* out, std::vector<uint8_t>* cmykRow, std::string* error) {
  if (setjmp(err->jump)) {
    *error = err->message;
    return false;
  }
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(cinfo, TRUE);
  const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  if (static_cast<long long>(cinfo->image_width) * cinfo->image_height > kMaxJpegPixels) {
    std::strcpy(err->message, "JPEG picture too large");
    std::longjmp(err->jump, 1);
  }
  jpeg_start_decompress(cinfo);
  const int w = int(cinfo->output_width), h = int(cinfo->output_height);
  out->SetSizeUninitialized(w, h);
  if (cmyk) cmykRow->resize(size_t(w) * 4);
  while (cinfo->output_scanline < cinfo->output_height) {
    const int y = int(cinfo->output_scanline);
    if (cmyk) {
      JSAMPROW row = cmykRow->data();
      jpeg_read_scanlines(cinfo, &row, 1);
      CmykRowToBgra(cmykRow->data(), out->scanline(y), w);
    } else {
      JSAMPROW rows[4];
      const int n = std::min<int>(4, h - y);
      for (int i = 0; i < n; ++i) rows[i] = reinterpret_cast<JSAMPROW>(out->scanline(y + i));
      jpeg_read_scanlines(cinfo, rows, JDIMENSION(n));
    }
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

struct EncodeState {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
};

bool EncodeInto(jpeg_compress_struct* cinfo, ErrorManager* err, const Bitmap32* bmp,
                int quality, EncodeState* state, std::string* error) {
  if (setjmp(err->jump)) {
    *error = err->message;
    return false;
  }
  jpeg_create_compress(cinfo);
  jpeg_mem_dest(cinfo, &state->buffer, &state->size);
  cinfo->image_width = JDIMENSION(bmp->width());
  cinfo->image_height = JDIMENSION(bmp->height());
  cinfo->input_components = 4;
  cinfo->in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  while (cinfo->next_scanline < cinfo->image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(
        reinterpret_cast<const unsigned char*>(bmp->scanline(int(cinfo->next_scanline))));
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

Bitmap32 DecodeJpeg(const uint8_t* data, size_t size) {
  if (size == 0 || data == nullptr) throw ImageDecodeError("JPEG data is empty");
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = &err.pub;
  InstallErrors(err, reinterpret_cast<j_common_ptr>(&cinfo));
  Bitmap32 out;
  std::vector<uint8_t> cmykRow;
  std::string error;
  const bool ok = DecodeInto(&cinfo, &err, data, size, &out, &cmykRow, &error);
  jpeg_destroy_decompress(&cinfo);
  if (!ok) throw ImageDecodeError("Corrupt JPEG data: " + error);
  return out;
}

Bitmap32 LoadJpegFile(const std::string& path) {
  const std::string bytes = ReadWholeFile(path);
  return DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::vector<uint8_t> EncodeJpeg(const Bitmap32& bmp, int quality) {
  if (bmp.empty()) throw std::runtime_error("cannot encode an empty bitmap as JPEG");
  jpeg_compress_struct cinfo;
  ErrorManager err;
  cinfo.err = &err.pub;
  InstallErrors(err, reinterpret_cast<j_common_ptr>(&cinfo));
  EncodeState state;
  std::string error;
  const bool ok = EncodeInto(&cinfo, &err, &bmp, std::clamp(quality, 1, 100), &state, &error);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> result;
  if (ok) result.assign(state.buffer, state.buffer + state.size);
  std::free(state.buffer);
  if (!ok) throw std::runtime_error("JPEG encoding failed: " + error);
  return result;
}

}  // namespace tp
