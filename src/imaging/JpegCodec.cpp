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

[[noreturn]] void Fail(ErrorManager* err, const char* message) {
  std::snprintf(err->message, sizeof err->message, "%s", message);
  std::longjmp(err->jump, 1);
}

// Called by the library between steps of its work: stops pictures with endless scans
// and decodes that are no longer wanted.
struct Progress {
  jpeg_progress_mgr pub;
  ErrorManager* err;
  const std::atomic<bool>* cancel;
};

void CheckProgress(j_common_ptr common) {
  auto* progress = reinterpret_cast<Progress*>(common->progress);
  auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  if (cinfo->input_scan_number > kMaxJpegScans) Fail(progress->err, "too many scans");
  if (progress->cancel && progress->cancel->load(std::memory_order_relaxed)) Fail(progress->err, "decode cancelled");
}

// Converts one row of inverted (Adobe) CMYK to BGRA.
void CmykRowToBgra(const uint8_t* in, Pixel* out, int width) {
  for (int x = 0; x < width; ++x) {
    const unsigned c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
    out[x] = MakePixel(uint8_t((c * k + 127) / 255), uint8_t((m * k + 127) / 255),
                       uint8_t((y * k + 127) / 255), 255);
  }
}

// Destroys the decompressor on every way out, a C++ exception from our own code included.
struct DecompressGuard {
  jpeg_decompress_struct* cinfo;
  ~DecompressGuard() { jpeg_destroy_decompress(cinfo); }
};

// The smallest scale n/8 that still gives at least the requested size (8/8 when none does).
// Only the halving scales are used: the library has fast block transforms and upsampling
// for them, and they filter far better than the odd ones (3/8, 5/8, ...), whose result the
// resampler would have to clean up.
void ChooseScale(jpeg_decompress_struct* cinfo, const JpegDecodeRequest& request) {
  cinfo->scale_denom = 8;
  const bool any = request.minWidth > 0 || request.minHeight > 0;
  for (unsigned n = any ? 1 : 8; n <= 8; n *= 2) {
    cinfo->scale_num = n;
    jpeg_calc_output_dimensions(cinfo);
    if (n == 8 || (int(cinfo->output_width) >= request.minWidth && int(cinfo->output_height) >= request.minHeight)) return;
  }
}

// The part of a row or column run of `full` that a centred window of `window` shows.
void CentredSpan(int full, int window, int& first, int& count) {
  first = 0;
  count = full;
  if (window > 0 && full > window) {
    first = (full - window) / 2;
    count = window;
  }
}

// The decode itself. Only trivially destructible locals live between setjmp and the
// library calls that may jump; `out` and `rowBuffer` belong to the caller.
bool DecodeInto(jpeg_decompress_struct* cinfo, ErrorManager* err, Progress* progress, const uint8_t* data,
                size_t size, const JpegDecodeRequest* request, Bitmap32* out, std::vector<uint8_t>* rowBuffer,
                std::string* error) {
  if (setjmp(err->jump)) {
    *error = err->message;
    return false;
  }
  jpeg_create_decompress(cinfo);
  cinfo->mem->max_memory_to_use = kMaxJpegWorkingBytes;
  progress->pub.progress_monitor = CheckProgress;
  progress->err = err;
  progress->cancel = request->cancel;
  cinfo->progress = &progress->pub;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(cinfo, TRUE);
  const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  ChooseScale(cinfo, *request);
  const bool fullSize = cinfo->scale_num == cinfo->scale_denom;
  int left = 0, width = int(cinfo->output_width), top = 0, height = int(cinfo->output_height);
  if (fullSize) {
    CentredSpan(int(cinfo->output_width), request->cropWidth, left, width);
    CentredSpan(int(cinfo->output_height), request->cropHeight, top, height);
  }
  if (static_cast<long long>(width) * height > kMaxJpegOutputPixels) Fail(err, "JPEG picture too large");
  jpeg_start_decompress(cinfo);
  // Columns: the library widens the cut to whole blocks; the row buffer takes what it
  // gives and the wanted columns are copied out of it.
  // Two blocks more on the right keep the chroma upsampling of the last wanted column as
  // in a full decode (the library treats the cut's right end as the picture's edge).
  JDIMENSION cropX = JDIMENSION(left);
  JDIMENSION cropW = std::min<JDIMENSION>(JDIMENSION(width) + 32, cinfo->output_width - cropX);
  const bool cutColumns = JDIMENSION(width) < cinfo->output_width;
  if (cutColumns) jpeg_crop_scanline(cinfo, &cropX, &cropW);
  const int skipX = left - int(cropX);
  out->SetSizeUninitialized(width, height);
  const bool direct = !cmyk && !cutColumns;
  if (!direct) rowBuffer->resize(size_t(cinfo->output_width) * 4);
  if (top > 0) jpeg_skip_scanlines(cinfo, JDIMENSION(top));
  if (request->started) request->started(*out);
  constexpr int kRowsPerReport = 16;
  for (int y = 0; y < height; ++y) {
    if (request->rowsDecoded && y > 0 && y % kRowsPerReport == 0) request->rowsDecoded(y);
    if (direct) {
      JSAMPROW row = reinterpret_cast<JSAMPROW>(out->scanline(y));
      jpeg_read_scanlines(cinfo, &row, 1);
      continue;
    }
    JSAMPROW row = rowBuffer->data();
    jpeg_read_scanlines(cinfo, &row, 1);
    const uint8_t* from = rowBuffer->data() + size_t(skipX) * 4;
    if (cmyk) CmykRowToBgra(from, out->scanline(y), width);
    else std::memcpy(out->scanline(y), from, size_t(width) * 4);
  }
  if (request->rowsDecoded) request->rowsDecoded(height);
  // A cut picture stops early; its remaining rows are never read.
  if (cinfo->output_scanline == cinfo->output_height) jpeg_finish_decompress(cinfo);
  return true;
}

bool ReadSizeInto(jpeg_decompress_struct* cinfo, ErrorManager* err, const uint8_t* data, size_t size,
                  Size2D* result, std::string* error) {
  if (setjmp(err->jump)) {
    *error = err->message;
    return false;
  }
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(cinfo, TRUE);
  result->width = int(cinfo->image_width);
  result->height = int(cinfo->image_height);
  return true;
}

struct EncodeState {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
};

bool EncodeInto(jpeg_compress_struct* cinfo, ErrorManager* err, int width, int height, const JpegRowSource* rowAt,
                int quality, EncodeState* state, std::string* error) {
  if (setjmp(err->jump)) {
    *error = err->message;
    return false;
  }
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

Bitmap32 DecodeJpeg(const uint8_t* data, size_t size, const JpegDecodeRequest& request) {
  Bitmap32 out;
  DecodeJpeg(data, size, request, out);
  return out;
}

void DecodeJpeg(const uint8_t* data, size_t size, const JpegDecodeRequest& request, Bitmap32& out) {
  if (size == 0 || data == nullptr) throw ImageDecodeError("JPEG data is empty");
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  ErrorManager err;
  Progress progress{};
  cinfo.err = &err.pub;
  InstallErrors(err, reinterpret_cast<j_common_ptr>(&cinfo));
  std::vector<uint8_t> rowBuffer;
  std::string error;
  bool ok = false;
  {
    DecompressGuard guard{&cinfo};
    ok = DecodeInto(&cinfo, &err, &progress, data, size, &request, &out, &rowBuffer, &error);
  }
  if (!ok) throw ImageDecodeError("Corrupt JPEG data: " + error);
}

Bitmap32 DecodeJpeg(const uint8_t* data, size_t size) { return DecodeJpeg(data, size, JpegDecodeRequest{}); }

Size2D ReadJpegSize(const uint8_t* data, size_t size) {
  if (size == 0 || data == nullptr) throw ImageDecodeError("JPEG data is empty");
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  ErrorManager err;
  cinfo.err = &err.pub;
  InstallErrors(err, reinterpret_cast<j_common_ptr>(&cinfo));
  Size2D result;
  std::string error;
  bool ok = false;
  {
    DecompressGuard guard{&cinfo};
    ok = ReadSizeInto(&cinfo, &err, data, size, &result, &error);
  }
  if (!ok) throw ImageDecodeError("Corrupt JPEG data: " + error);
  return result;
}

Bitmap32 LoadJpegFile(const std::string& path) {
  const std::string bytes = ReadWholeFile(path);
  return DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::vector<uint8_t> EncodeJpegRows(int width, int height, int quality, const JpegRowSource& rowAt) {
  if (width <= 0 || height <= 0) throw std::runtime_error("cannot encode an empty picture as JPEG");
  jpeg_compress_struct cinfo;
  ErrorManager err;
  cinfo.err = &err.pub;
  InstallErrors(err, reinterpret_cast<j_common_ptr>(&cinfo));
  EncodeState state;
  std::string error;
  const bool ok = EncodeInto(&cinfo, &err, width, height, &rowAt, std::clamp(quality, 1, 100), &state, &error);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> result;
  if (ok) result.assign(state.buffer, state.buffer + state.size);
  std::free(state.buffer);
  if (!ok) throw std::runtime_error("JPEG encoding failed: " + error);
  return result;
}

std::vector<uint8_t> EncodeJpeg(const Bitmap32& bmp, int quality) {
  if (bmp.empty()) throw std::runtime_error("cannot encode an empty bitmap as JPEG");
  return EncodeJpegRows(bmp.width(), bmp.height(), quality, [&bmp](int y) { return bmp.scanline(y); });
}

}  // namespace tp
