// The text renderer on fontconfig (which font), HarfBuzz (which glyphs where) and
// FreeType (each glyph's anti-aliased coverage), blended into BGRA bitmaps.
#include "imaging/TextRenderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tp {
namespace {

// A line longer than this is cut: nothing this program writes comes near it, and it keeps
// a hostile caption from shaping megabytes of text.
constexpr size_t kMaxCodepoints = 4096;
constexpr int kMaxPixelSize = 2048;

// UTF-8 to code points; every byte that does not begin a valid, shortest-form sequence
// of a scalar value gives one U+FFFD.
std::vector<uint32_t> DecodeUtf8(std::string_view s) {
  std::vector<uint32_t> out;
  size_t i = 0;
  while (i < s.size() && out.size() < kMaxCodepoints) {
    const auto b = static_cast<unsigned char>(s[i]);
    int length = 0;
    uint32_t cp = 0, min = 0;
    if (b < 0x80) length = 1, cp = b;
    else if (b >= 0xC2 && b <= 0xDF) length = 2, cp = b & 0x1F, min = 0x80;
    else if (b >= 0xE0 && b <= 0xEF) length = 3, cp = b & 0x0F, min = 0x800;
    else if (b >= 0xF0 && b <= 0xF4) length = 4, cp = b & 0x07, min = 0x10000;
    bool ok = length > 0 && i + size_t(length) <= s.size();
    for (int k = 1; ok && k < length; ++k) {
      const auto c = static_cast<unsigned char>(s[i + size_t(k)]);
      if ((c & 0xC0) != 0x80) ok = false;
      else cp = cp << 6 | (c & 0x3F);
    }
    if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (ok) {
      out.push_back(cp);
      i += size_t(length);
    } else {
      out.push_back(0xFFFD);
      ++i;
    }
  }
  return out;
}

class FreeTypeRenderer final : public TextRenderer {
 public:
  FreeTypeRenderer() {
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return;
    }
    const std::string file = FindSansSerif(index_);
    if (file.empty() || FT_New_Face(library_, file.c_str(), index_, &face_) != 0) {
      face_ = nullptr;
      return;
    }
    if (!FT_IS_SCALABLE(face_)) {
      FT_Done_Face(face_);
      face_ = nullptr;
      return;
    }
    font_ = hb_ft_font_create_referenced(face_);
    buffer_ = hb_buffer_create();
  }
  ~FreeTypeRenderer() override {
    if (buffer_) hb_buffer_destroy(buffer_);
    if (font_) hb_font_destroy(font_);
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }

  bool HasFont() const override { return font_ != nullptr; }

  TextExtent Measure(std::string_view utf8, int pixelSize) override {
    TextExtent extent;
    if (!Shape(utf8, pixelSize)) return extent;
    unsigned count = 0;
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer_, &count);
    long long advance = 0;
    for (unsigned i = 0; i < count; ++i) advance += pos[i].x_advance;
    extent.width = int((advance + 32) >> 6);
    extent.ascent = int((face_->size->metrics.ascender + 63) >> 6);
    extent.descent = int((-face_->size->metrics.descender + 63) >> 6);
    return extent;
  }

  void Draw(Bitmap32& target, int x, int baselineY, std::string_view utf8, int pixelSize, uint32_t colour) override {
    if (target.empty() || PixelA(colour) == 0 || !Shape(utf8, pixelSize)) return;
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer_, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer_, &count);
    long long penX = static_cast<long long>(x) * 64, penY = static_cast<long long>(baselineY) * 64;
    for (unsigned i = 0; i < count; ++i) {
      const long long gx = penX + pos[i].x_offset, gy = penY - pos[i].y_offset;
      penX += pos[i].x_advance;
      penY -= pos[i].y_advance;
      if (FT_Load_Glyph(face_, info[i].codepoint, FT_LOAD_DEFAULT) != 0) continue;
      if (FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
      const FT_GlyphSlot slot = face_->glyph;
      Blend(target, slot->bitmap, ((gx + 32) >> 6) + slot->bitmap_left, ((gy + 32) >> 6) - slot->bitmap_top, colour);
    }
  }

 private:
  // The file (and face index) of the best match for "sans-serif" in the configuration
  // fontconfig is given (FONTCONFIG_FILE included), or "" when it finds none.
  static std::string FindSansSerif(int& index) {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return {};
    std::string file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    if (pattern && FcConfigSubstitute(config, pattern, FcMatchPattern)) {
      FcDefaultSubstitute(pattern);
      FcResult result = FcResultNoMatch;
      FcPattern* match = FcFontMatch(config, pattern, &result);
      FcChar8* path = nullptr;
      if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
        file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
      }
      if (match) FcPatternDestroy(match);
    }
    if (pattern) FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return file;
  }

  bool Shape(std::string_view utf8, int pixelSize) {
    if (!font_ || pixelSize <= 0 || utf8.empty()) return false;
    pixelSize = std::min(pixelSize, kMaxPixelSize);
    if (pixelSize != size_) {
      if (FT_Set_Pixel_Sizes(face_, 0, FT_UInt(pixelSize)) != 0) return false;
      hb_ft_font_changed(font_);
      size_ = pixelSize;
    }
    const std::vector<uint32_t> text = DecodeUtf8(utf8);
    hb_buffer_reset(buffer_);
    hb_buffer_add_codepoints(buffer_, text.data(), int(text.size()), 0, int(text.size()));
    hb_buffer_guess_segment_properties(buffer_);
    hb_shape(font_, buffer_, nullptr, 0);
    return true;
  }

  // The glyph's coverage, scaled by the colour's alpha, blended over the target where it
  // lies inside.
  static void Blend(Bitmap32& target, const FT_Bitmap& glyph, long long left, long long top, uint32_t colour) {
    if (glyph.pixel_mode != FT_PIXEL_MODE_GRAY || !glyph.buffer) return;
    const long long x0 = std::max(0LL, left), x1 = std::min<long long>(target.width(), left + glyph.width);
    const long long y0 = std::max(0LL, top), y1 = std::min<long long>(target.height(), top + glyph.rows);
    const unsigned alpha = PixelA(colour), r = PixelR(colour), g = PixelG(colour), b = PixelB(colour);
    for (long long y = y0; y < y1; ++y) {
      const unsigned char* cover = glyph.buffer + (y - top) * glyph.pitch;
      Pixel* row = target.scanline(int(y));
      for (long long x = x0; x < x1; ++x) {
        const unsigned a = (cover[x - left] * alpha + 127) / 255;
        if (a == 0) continue;
        const Pixel d = row[x];
        auto mix = [a](unsigned src, unsigned dst) { return uint8_t((src * a + dst * (255 - a) + 127) / 255); };
        row[x] = MakePixel(mix(r, PixelR(d)), mix(g, PixelG(d)), mix(b, PixelB(d)), mix(255, PixelA(d)));
      }
    }
  }

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  int index_ = 0;
  hb_font_t* font_ = nullptr;
  hb_buffer_t* buffer_ = nullptr;
  int size_ = 0;
};

}  // namespace

std::unique_ptr<TextRenderer> TextRenderer::CreateSansSerif() { return std::make_unique<FreeTypeRenderer>(); }

void DrawCentredLine(TextRenderer& renderer, Bitmap32& target, std::string_view utf8, int pixelSize, uint32_t colour) {
  const TextExtent extent = renderer.Measure(utf8, pixelSize);
  if (extent.width <= 0) return;
  const int x = int((static_cast<long long>(target.width()) - extent.width) / 2);
  const int baseline =
      int((static_cast<long long>(target.height()) - extent.ascent - extent.descent) / 2 + extent.ascent);
  renderer.Draw(target, x, baseline, utf8, pixelSize, colour);
}

}  // namespace tp
