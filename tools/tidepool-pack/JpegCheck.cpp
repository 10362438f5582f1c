// JPEG photos while packing: a strict decode (a damaged or cut-short file is refused),
// the EXIF orientation through libexif, the quality the photo was saved at, and the
// upright re-encoding with the rest of the EXIF data kept.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>
#include <libexif/exif-data.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging/ImageLoader.h"
#include "imaging/ImageWriter.h"
#include "tidepool-pack/PictureCheck.h"

namespace tp::pack {
namespace {

constexpr long long kMaxPixels = 64LL * 1024 * 1024;

struct StrictErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void FailHard(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<StrictErrors*>(cinfo->err);
  const int code = cinfo->err->msg_code;
  if (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY)
    std::strcpy(err->message, "picture needs more decoder memory than the player allows");
  else
    (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings about the compressed data (cut short, corrupt, needing resync) mean the
// picture would show damaged; only stray bytes between segments are let through.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level == -1 && cinfo->err->msg_code != JWRN_EXTRANEOUS_DATA) FailHard(cinfo);
}

// The standard luminance table (natural order) that quality settings scale.
constexpr int kStdLuminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                   14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                   18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                   49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

// The quality whose scaled standard table lies nearest the file's table.
int EstimateQuality(const JQUANT_TBL* table) {
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

int ExifOrientation(std::string_view bytes) {
  ExifData* ed = exif_data_new_from_data(reinterpret_cast<const unsigned char*>(bytes.data()),
                                         unsigned(std::min<size_t>(bytes.size(), 0xFFFFFFFFu)));
  if (!ed) return 1;
  int orientation = 1;
  if (ExifEntry* e = exif_data_get_entry(ed, EXIF_TAG_ORIENTATION)) {
    if (e->format == EXIF_FORMAT_SHORT && e->components >= 1 && e->data && e->size >= 2)
      orientation = exif_get_short(e->data, exif_data_get_byte_order(ed));
  }
  exif_data_unref(ed);
  return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

void CmykRowToBgra(const uint8_t* in, Pixel* out, int width) {
  for (int x = 0; x < width; ++x) {
    const unsigned c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
    out[x] = MakePixel(uint8_t((c * k + 127) / 255), uint8_t((m * k + 127) / 255), uint8_t((y * k + 127) / 255), 255);
  }
}

// The libjpeg work; only trivially destructible locals live between setjmp and the
// calls that may jump. row is caller-owned scratch.
bool Decode(jpeg_decompress_struct* cinfo, StrictErrors* err, const std::string_view* bytes, bool headerOnly,
            bool mayOnlyCheck, Bitmap32* full, std::vector<uint8_t>* row, JpegFacts* facts) {
  if (setjmp(err->jump)) return false;
  jpeg_create_decompress(cinfo);
  // The player's own bound: a progressive picture keeps all its coefficients while decoding.
  cinfo->mem->max_memory_to_use = kMaxJpegWorkingBytes;
  jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(bytes->data()), static_cast<unsigned long>(bytes->size()));
  jpeg_read_header(cinfo, TRUE);
  facts->width = int(cinfo->image_width);
  facts->height = int(cinfo->image_height);
  facts->quality = EstimateQuality(cinfo->quant_tbl_ptrs[0]);
  if (headerOnly) return true;
  // Only a whole-picture decode is bounded: checking decodes at 1/8 scale, row by row.
  const bool tooLarge = static_cast<long long>(cinfo->image_width) * cinfo->image_height > kMaxPixels;
  if (full && tooLarge && !mayOnlyCheck) {
    std::strcpy(err->message, "picture too large");
    std::longjmp(err->jump, 1);
  }
  facts->tooLargeToTurn = full && tooLarge;
  Bitmap32* const whole = tooLarge ? nullptr : full;
  const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  if (whole) {
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  } else {
    // Only checking: every coefficient is still entropy-decoded, but the smallest
    // scale and (where possible) grey output spare the inverse transforms.
    cinfo->scale_num = 1;
    cinfo->scale_denom = 8;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_GRAYSCALE;
  }
  jpeg_start_decompress(cinfo);
  const int w = int(cinfo->output_width);
  row->resize(size_t(w) * size_t(cinfo->output_components));
  if (whole) whole->SetSizeUninitialized(w, int(cinfo->output_height));
  while (cinfo->output_scanline < cinfo->output_height) {
    const int y = int(cinfo->output_scanline);
    JSAMPROW r = (whole && !cmyk) ? reinterpret_cast<JSAMPROW>(whole->scanline(y)) : row->data();
    jpeg_read_scanlines(cinfo, &r, 1);
    if (whole && cmyk) CmykRowToBgra(row->data(), whole->scanline(y), w);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

enum class Work { HeaderOnly, Check, Full, FullWhenTurned };

JpegFacts Run(std::string_view bytes, Work work, Bitmap32* pixels) {
  if (bytes.empty()) throw PictureError("empty file");
  const int orientation = ExifOrientation(bytes);
  const bool headerOnly = work == Work::HeaderOnly;
  Bitmap32* full = work == Work::Full || (work == Work::FullWhenTurned && orientation != 1) ? pixels : nullptr;
  jpeg_decompress_struct cinfo;
  StrictErrors err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = FailHard;
  err.pub.emit_message = OnMessage;
  err.message[0] = 0;
  JpegFacts facts;
  std::vector<uint8_t> row;
  const bool ok = Decode(&cinfo, &err, &bytes, headerOnly, work == Work::FullWhenTurned, full, &row, &facts);
  jpeg_destroy_decompress(&cinfo);
  if (!ok) throw PictureError(std::string("damaged JPEG (") + err.message + ")");
  facts.orientation = orientation;
  return facts;
}

struct ExifDeleter {
  void operator()(ExifData* ed) const { exif_data_unref(ed); }
};

// The original's EXIF data without its orientation entry, as an APP1 segment; "" when
// it has none or it does not fit one segment.
std::string ExifSegmentWithoutOrientation(std::string_view original) {
  std::unique_ptr<ExifData, ExifDeleter> ed(exif_data_new_from_data(
      reinterpret_cast<const unsigned char*>(original.data()), unsigned(std::min<size_t>(original.size(), 0xFFFFFFFFu))));
  if (!ed) return {};
  bool any = false;
  for (int i = 0; i < EXIF_IFD_COUNT; ++i) any = any || (ed->ifd[i] && ed->ifd[i]->count > 0);
  if (!any) return {};
  while (ExifEntry* e = exif_data_get_entry(ed.get(), EXIF_TAG_ORIENTATION)) exif_content_remove_entry(e->parent, e);
  unsigned char* data = nullptr;
  unsigned int size = 0;
  exif_data_save_data(ed.get(), &data, &size);
  std::string segment;
  if (data && size > 0 && size + 2 <= 0xFFFF) {
    const unsigned length = size + 2;
    segment = std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF);
    segment.append(reinterpret_cast<const char*>(data), size);
  }
  std::free(data);
  return segment;
}

}  // namespace

JpegFacts DecodeJpegChecked(std::string_view bytes, Bitmap32* full) {
  return Run(bytes, full ? Work::Full : Work::Check, full);
}

JpegFacts DecodeJpegUnlessUpright(std::string_view bytes, Bitmap32* pixels) {
  return Run(bytes, Work::FullWhenTurned, pixels);
}

JpegFacts ReadJpegFacts(std::string_view bytes) { return Run(bytes, Work::HeaderOnly, nullptr); }

std::string EncodeUprightJpeg(const Bitmap32& upright, int quality, std::string_view original) {
  const std::vector<uint8_t> encoded = EncodeJpeg(upright, quality);
  std::string out(reinterpret_cast<const char*>(encoded.data()), encoded.size());
  const std::string exif = ExifSegmentWithoutOrientation(original);
  if (exif.empty()) return out;
  // After SOI and the JFIF segment the encoder writes first.
  size_t at = 2;
  if (out.size() > 6 && uint8_t(out[2]) == 0xFF && uint8_t(out[3]) == 0xE0)
    at = 4 + ((size_t(uint8_t(out[4])) << 8) | uint8_t(out[5]));
  out.insert(std::min(at, out.size()), exif);
  return out;
}

}  // namespace tp::pack
