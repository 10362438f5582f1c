// JPEG decoder through libjpeg: any input either decodes or throws ImageDecodeError,
// and the memory block is never read past its length; the same for a scaled decode and
// a centred cut, whose sizes (and whether colours are converted) come from the input's
// first bytes.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>

#include "imaging/import/ImageLoader.h"

namespace {

// Decoding is the same at any size; fuzzed headers declaring tens of megapixels would
// only slow the search down, so larger pictures are read no further than their header.
constexpr uint64_t kMaxPixels = 1u << 22;

struct HeaderError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

void OnHeaderError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<HeaderError*>(cinfo->err)->jump, 1); }
void Quiet(j_common_ptr, int) {}

// Width x height the header declares; 0 when the header does not read.
uint64_t DeclaredPixels(const uint8_t* data, size_t size) {
  jpeg_decompress_struct cinfo;
  HeaderError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = OnHeaderError;
  err.mgr.emit_message = Quiet;
  jpeg_create_decompress(&cinfo);
  uint64_t pixels = 0;
  if (setjmp(err.jump) == 0) {
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK)
      pixels = uint64_t(cinfo.image_width) * cinfo.image_height;
  }
  jpeg_destroy_decompress(&cinfo);
  return pixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A heap copy of exactly `size` bytes: reads beyond it are caught by the sanitizer.
  std::unique_ptr<uint8_t[]> block(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(block.get(), data, size);
  if (size && DeclaredPixels(block.get(), size) > kMaxPixels) return 0;
  try {
    const tp::Bitmap32 b = tp::DecodeJpeg(block.get(), size);
    if (b.empty()) __builtin_trap();  // a decoded picture always has pixels
    volatile tp::Pixel sink = b.at(b.width() - 1, b.height() - 1);
    (void)sink;
  } catch (const tp::ImageDecodeError&) {
  }
  if (size < 4) return 0;
  tp::DecodeRequest scaled, cut;
  scaled.minWidth = data[0] * 8;
  scaled.minHeight = data[1] * 8;
  cut.cropWidth = data[2] * 4 + 1;
  cut.cropHeight = data[3] * 4 + 1;
  // The colour-managed decode reads the embedded profile and CMYK through it.
  scaled.toSrgb = (data[0] & 1) != 0;
  cut.toSrgb = (data[2] & 1) != 0;
  for (const tp::DecodeRequest& r : {scaled, cut}) {
    try {
      const tp::Bitmap32 b = tp::DecodeJpeg(block.get(), size, r);
      if (b.empty()) __builtin_trap();
      if (r.cropWidth && (b.width() > r.cropWidth || b.height() > r.cropHeight)) __builtin_trap();
      volatile tp::Pixel sink = b.at(b.width() - 1, b.height() - 1);
      (void)sink;
    } catch (const tp::ImageDecodeError&) {
    }
  }
  return 0;
}
