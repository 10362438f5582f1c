#pragma once
// Lines of text drawn onto pictures with the desktop's sans-serif font (fontconfig finds
// it, FreeType draws the glyphs, HarfBuzz shapes the line).
#include <cstdint>
#include <memory>
#include <string_view>

#include "imaging/Bitmap32.h"

namespace tp {

struct TextExtent {
  int width = 0;    // advance of the whole line, in pixels
  int ascent = 0;   // above the baseline
  int descent = 0;  // below the baseline
};

class TextRenderer {
 public:
  // The desktop's sans-serif font; a renderer without a font (none installed) draws nothing
  // and measures 0.
  static std::unique_ptr<TextRenderer> CreateSansSerif();
  virtual ~TextRenderer() = default;
  virtual bool HasFont() const = 0;
  // One line of UTF-8 text (invalid bytes drawn as U+FFFD) at pixelSize pixels.
  virtual TextExtent Measure(std::string_view utf8, int pixelSize) = 0;
  // Blends the line in colour (0xAARRGGBB; its alpha scales the coverage) with the start
  // of its baseline at (x, baselineY); clipped to the target.
  virtual void Draw(Bitmap32& target, int x, int baselineY, std::string_view utf8, int pixelSize,
                    uint32_t colour) = 0;
};

// The line centred on the target (both ways), in colour.
void DrawCentredLine(TextRenderer& renderer, Bitmap32& target, std::string_view utf8, int pixelSize,
                     uint32_t colour);

}  // namespace tp
