// JPEG decoding through libjpeg: DCT scaling and centred cuts for big pictures, inverted
// (Adobe) CMYK, a strict mode that refuses damaged data, and a check that reads every
// coefficient at the least cost.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/LibjpegErrors.h"
#include "imaging/import/ColourProfile.h"
#include "imaging/import/ImageLoader.h"

namespace tp {

namespace {

// Called by the library between steps of its work: stops pictures with endless scans
// and decodes that are no longer wanted.
struct Progress {
  jpeg_progress_mgr pub;
  LibjpegErrors* err;
  const std::atomic<bool>* cancel;
};

void CheckProgress(j_common_ptr common) {
  auto* progress = reinterpret_cast<Progress*>(common->progress);
  auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  if (cinfo->input_scan_number > kMaxJpegScans) LibjpegFail(progress->err, "too many scans");
  if (progress->cancel && progress->cancel->load(std::memory_order_relaxed)) LibjpegFail(progress->err, "decode cancelled");
}

// Converts one row of inverted (Adobe) CMYK to BGRA.
void CmykRowToBgra(const uint8_t* in, Pixel* out, int width) {
  for (int x = 0; x < width; ++x) {
    const unsigned c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
    out[x] = MakePixel(uint8_t((c * k + 127) / 255), uint8_t((m * k + 127) / 255),
                       uint8_t((y * k + 127) / 255), 255);
  }
}

// CMYK to BGRA without a profile, for the colour-managed decode: Adobe's files hold
// inverted samples (255 is no ink), others plain ones.
void CmykRowToBgraByMarker(const uint8_t* in, Pixel* out, int width, bool inverted) {
  if (inverted) return CmykRowToBgra(in, out, width);
  for (int x = 0; x < width; ++x) {
    const unsigned c = 255 - in[4 * x], m = 255 - in[4 * x + 1], y = 255 - in[4 * x + 2], k = 255 - in[4 * x + 3];
    out[x] = MakePixel(uint8_t((c * k + 127) / 255), uint8_t((m * k + 127) / 255),
                       uint8_t((y * k + 127) / 255), 255);
  }
}

// What the colour-managed decode finds and keeps outside the setjmp frame.
struct Colour {
  std::string icc;
  std::shared_ptr<const SrgbConversion> cmyk;
};

// Destroys the decompressor on every way out, a C++ exception from our own code included.
struct DecompressGuard {
  jpeg_decompress_struct* cinfo;
  ~DecompressGuard() { jpeg_destroy_decompress(cinfo); }
};

// The smallest scale n/8 that still gives at least the requested size (8/8 when none does).
// Only the halving scales are used: the library has fast block transforms and upsampling
// for them, and they filter far better than the odd ones (3/8, 5/8, ...), whose result the
// resampler would have to clean up.
void ChooseScale(jpeg_decompress_struct* cinfo, const DecodeRequest& request) {
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

void Start(jpeg_decompress_struct* cinfo, LibjpegErrors* err, Progress* progress, const uint8_t* data, size_t size,
           const std::atomic<bool>* cancel, bool keepProfile = false) {
  jpeg_create_decompress(cinfo);
  cinfo->mem->max_memory_to_use = kMaxJpegWorkingBytes;
  progress->pub.progress_monitor = CheckProgress;
  progress->err = err;
  progress->cancel = cancel;
  cinfo->progress = &progress->pub;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  if (keepProfile) jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(cinfo, TRUE);
}

bool IsCmyk(const jpeg_decompress_struct* cinfo) {
  return cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
}

// The decode itself. Only trivially destructible locals live between setjmp and the
// library calls that may jump; `out` and `rowBuffer` belong to the caller.
bool DecodeInto(jpeg_decompress_struct* cinfo, LibjpegErrors* err, Progress* progress, const uint8_t* data,
                size_t size, const DecodeRequest* request, Bitmap32* out, std::vector<uint8_t>* rowBuffer,
                Colour* colour) {
  if (setjmp(err->jump)) return false;
  Start(cinfo, err, progress, data, size, request->cancel, request->toSrgb);
  const bool cmyk = IsCmyk(cinfo);
  if (request->toSrgb) {
    JOCTET* icc = nullptr;
    unsigned int iccSize = 0;
    if (jpeg_read_icc_profile(cinfo, &icc, &iccSize) && icc) {
      if (iccSize <= SrgbConversion::kMaxProfileBytes) colour->icc.assign(reinterpret_cast<const char*>(icc), iccSize);
      std::free(icc);
    }
    if (cmyk && !colour->icc.empty())
      colour->cmyk = SrgbConversion::ForProfile(
          colour->icc, cinfo->saw_Adobe_marker ? ColourLayout::InvertedCmyk : ColourLayout::Cmyk);
  }
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  ChooseScale(cinfo, *request);
  const bool fullSize = cinfo->scale_num == cinfo->scale_denom;
  int left = 0, width = int(cinfo->output_width), top = 0, height = int(cinfo->output_height);
  if (fullSize) {
    CentredSpan(int(cinfo->output_width), request->cropWidth, left, width);
    CentredSpan(int(cinfo->output_height), request->cropHeight, top, height);
  }
  if (static_cast<long long>(width) * height > kMaxJpegOutputPixels) LibjpegFail(err, "JPEG picture too large");
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
  for (int y = 0; y < height; ++y) {
    if (direct) {
      JSAMPROW row = reinterpret_cast<JSAMPROW>(out->scanline(y));
      jpeg_read_scanlines(cinfo, &row, 1);
      continue;
    }
    JSAMPROW row = rowBuffer->data();
    jpeg_read_scanlines(cinfo, &row, 1);
    const uint8_t* from = rowBuffer->data() + size_t(skipX) * 4;
    if (cmyk && colour->cmyk) colour->cmyk->ConvertRow(from, out->scanline(y), width);
    else if (cmyk && request->toSrgb) CmykRowToBgraByMarker(from, out->scanline(y), width, cinfo->saw_Adobe_marker);
    else if (cmyk) CmykRowToBgra(from, out->scanline(y), width);
    else std::memcpy(out->scanline(y), from, size_t(width) * 4);
  }
  // A cut picture stops early; its remaining rows are never read.
  if (cinfo->output_scanline == cinfo->output_height) jpeg_finish_decompress(cinfo);
  return true;
}

// Every coefficient entropy-decoded, but at the smallest scale and (where possible) as
// grey, which spares the inverse transforms and colour conversion.
bool CheckInto(jpeg_decompress_struct* cinfo, LibjpegErrors* err, Progress* progress, const uint8_t* data,
               size_t size, std::vector<uint8_t>* row) {
  if (setjmp(err->jump)) return false;
  Start(cinfo, err, progress, data, size, nullptr);
  cinfo->scale_num = 1;
  cinfo->scale_denom = 8;
  cinfo->out_color_space = IsCmyk(cinfo) ? JCS_CMYK : JCS_GRAYSCALE;
  jpeg_start_decompress(cinfo);
  row->resize(size_t(cinfo->output_width) * size_t(cinfo->output_components));
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW r = row->data();
    jpeg_read_scanlines(cinfo, &r, 1);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

// The standard luminance table (natural order) that quality settings scale.
constexpr int kStdLuminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                   14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                   18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                   49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

int QualityOf(const JQUANT_TBL* table) {
  if (!table) return 92;
  int best = 92;
  long bestDistance = -1;
  for (int q = 1; q <= 100; ++q) {
    const long scale = q < 50 ? 5000 / q : 200 - 2 * q;
    long distance = 0;
    for (int i = 0; i < 64; ++i) {
      const long v = std::clamp((kStdLuminance[i] * scale + 50) / 100, 1L, 255L);
      distance += std::labs(v - long(table->quantval[i]));
    }
    if (bestDistance < 0 || distance < bestDistance) {
      bestDistance = distance;
      best = q;
    }
  }
  return best;
}

struct Header {
  Size2D size;
  bool wantQuality = false;  // the estimate costs more than the rest of the header
  int quality = 92;
};

bool ReadHeaderInto(jpeg_decompress_struct* cinfo, LibjpegErrors* err, Progress* progress, const uint8_t* data,
                    size_t size, Header* result) {
  if (setjmp(err->jump)) return false;
  Start(cinfo, err, progress, data, size, nullptr);
  result->size = {int(cinfo->image_width), int(cinfo->image_height)};
  if (result->wantQuality) result->quality = QualityOf(cinfo->quant_tbl_ptrs[0]);
  return true;
}

// Runs one of the steps above with its own decompressor, errors and progress monitor.
template <typename Step, typename... Args>
void Run(const uint8_t* data, size_t size, bool strict, Step step, Args... args) {
  if (size == 0 || data == nullptr) throw ImageDecodeError("JPEG data is empty");
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  LibjpegErrors err;
  InstallLibjpegErrors(err, strict);
  cinfo.err = &err.pub;
  Progress progress{};
  bool ok = false;
  {
    DecompressGuard guard{&cinfo};
    ok = step(&cinfo, &err, &progress, data, size, args...);
  }
  if (!ok) throw ImageDecodeError(std::string("Corrupt JPEG data: ") + err.message);
}

Header ReadHeader(const uint8_t* data, size_t size, bool wantQuality) {
  Header header;
  header.wantQuality = wantQuality;
  Run(data, size, false, ReadHeaderInto, &header);
  return header;
}

}  // namespace

Bitmap32 DecodeJpeg(const uint8_t* data, size_t size, const DecodeRequest& request) {
  Bitmap32 out;
  std::vector<uint8_t> rowBuffer;
  Colour colour;
  Run(data, size, request.strict, DecodeInto, &request, &out, &rowBuffer, &colour);
  // RGB and grey pictures are converted once decoded; CMYK ones were on the way.
  if (request.toSrgb && !colour.icc.empty() && !colour.cmyk) ConvertToSrgb(out, colour.icc);
  return out;
}

void CheckJpeg(const uint8_t* data, size_t size) {
  std::vector<uint8_t> row;
  Run(data, size, true, CheckInto, &row);
}

Size2D ReadJpegSize(const uint8_t* data, size_t size) { return ReadHeader(data, size, false).size; }

int EstimateJpegQuality(const uint8_t* data, size_t size) { return ReadHeader(data, size, true).quality; }

Bitmap32 LoadJpegFile(const std::string& path) {
  const std::string bytes = ReadPictureFile(path);
  return DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace tp
