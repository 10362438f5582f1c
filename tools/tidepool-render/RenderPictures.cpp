#include "tidepool-render/RenderPictures.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "core/CommaText.h"
#include "effects/EffectCatalogue.h"
#include "imaging/import/ImageLoader.h"
#include "imaging/Resample.h"
#include "presentation/PictureLoading.h"
#include "presentation/TransitionDriver.h"
#include "project/PackagedPicture.h"

namespace tp::render {
namespace {

bool ParseWhole(std::string_view text, int& value) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

uint8_t Clamp8(double v) { return uint8_t(std::clamp(int(std::lround(v)), 0, 255)); }

// A capital F in the top-left corner: upright, it shows which way a frame is mirrored
// or turned.
bool InCornerMark(int x, int y, int w, int h) {
  const int u = std::max(std::min(w, h) / 24, 1);
  const int left = 2 * u, top = 2 * u;
  const int cx = x - left, cy = y - top;
  if (cx < 0 || cy < 0 || cx >= 4 * u || cy >= 6 * u) return false;
  return cx < u || cy < u || (cy >= 2 * u + u / 2 && cy < 3 * u + u / 2 && cx < 3 * u);
}

}  // namespace

FrameSize ParseFrameSize(const std::string& text) {
  const size_t cross = text.find_first_of("xX");
  FrameSize s;
  if (cross == std::string::npos || !ParseWhole(std::string_view(text).substr(0, cross), s.width) ||
      !ParseWhole(std::string_view(text).substr(cross + 1), s.height) || s.width < 1 ||
      s.height < 1 || s.width > 8192 || s.height > 8192) {
    throw std::invalid_argument("size must be WxH with sides from 1 to 8192: \"" + text + "\"");
  }
  return s;
}

std::vector<int> ParseProgressList(const std::string& text) {
  std::vector<int> values;
  for (const std::string& entry : SplitCommaText(text)) {
    int p = 0;
    if (!ParseWhole(entry, p) || p < 0 || p > 100) {
      throw std::invalid_argument("progress values are whole numbers from 0 to 100: \"" + text + "\"");
    }
    values.push_back(p);
  }
  if (values.empty()) throw std::invalid_argument("no progress value given");
  return values;
}

int ParseEffectNumber(const std::string& text) {
  int n = 0;
  if (!ParseWhole(text, n) || FindEffect(n) == nullptr) {
    throw std::invalid_argument("effect numbers run from 1 to " + std::to_string(kEffectCount) +
                                ": \"" + text + "\"");
  }
  return n;
}

Bitmap32 OldPattern(FrameSize size) {
  const int w = size.width, h = size.height;
  Bitmap32 b(w, h);
  const int grid = std::max(std::min(w, h) / 8, 4);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double fx = double(x) / std::max(w - 1, 1), fy = double(y) / std::max(h - 1, 1);
      Pixel p = MakePixel(Clamp8(20 + 40 * fx), Clamp8(60 + 120 * fy), Clamp8(140 + 100 * (1 - fx)), 255);
      if (x % grid == 0 || y % grid == 0) p = MakePixel(200, 220, 255, 255);
      if (InCornerMark(x, y, w, h)) p = MakePixel(255, 255, 255, 255);
      b.at(x, y) = p;
    }
  }
  return b;
}

Bitmap32 NewPattern(FrameSize size) {
  const int w = size.width, h = size.height;
  Bitmap32 b(w, h);
  const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
  const double ring = std::max(std::min(w, h) / 10.0, 2.0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double d = std::hypot(x - cx, y - cy);
      const double fade = 1 - std::min(d / std::hypot(cx + 1, cy + 1), 1.0);
      const bool band = int(d / ring) % 2 == 0;
      Pixel p = band ? MakePixel(Clamp8(200 + 55 * fade), Clamp8(90 + 110 * fade), 30, 255)
                     : MakePixel(Clamp8(150 + 60 * fade), 40, Clamp8(50 + 60 * fade), 255);
      if (InCornerMark(x, y, w, h)) p = MakePixel(20, 20, 20, 255);
      b.at(x, y) = p;
    }
  }
  return b;
}

Bitmap32 LoadPictureAt(const std::string& path, FrameSize size, bool isNew) {
  if (path.empty()) return isNew ? NewPattern(size) : OldPattern(size);
  Bitmap32 decoded;
  if (IsPlainPicturePath(path) || FormatFromExtension(path) == ImageFormat::Png) {
    decoded = LoadImageFile(path);
  } else {
    // Any other name is a packaged picture to the player; a plain picture under an
    // unusual name is still read by its signature.
    TProject project;
    if (project.LoadPackagedPicture(path) && !project.picture.empty()) {
      decoded = project.picture;
    } else {
      decoded = LoadImageFile(path);
    }
  }
  Bitmap32 out(size.width, size.height);
  StretchLanczos(decoded, out);
  // The player's buffers are opaque; keep the fourth byte out of the frames.
  for (size_t i = 0; i < out.pixelCount(); ++i) out.data()[i] |= 0xFF000000u;
  return out;
}

Bitmap32 RenderEffectFrame(int effect, const Bitmap32& oldPicture, const Bitmap32& newPicture,
                           int progress) {
  const EffectEntry* entry = FindEffect(effect);
  if (entry == nullptr) throw std::invalid_argument("no effect " + std::to_string(effect));
  Bitmap32 frame = oldPicture;
  const int w = frame.width(), h = frame.height();
  int x = 0, y = 0;
  TransitionExtents(w, h, progress, x, y);
  entry->draw(frame, newPicture, w, h, x, y, progress);
  return frame;
}

std::string FramePathFor(const std::string& out, int progress, bool several) {
  if (!several) return out;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "-%03d", progress);
  const size_t slash = out.find_last_of('/');
  const size_t dot = out.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return out + suffix;
  return out.substr(0, dot) + suffix + out.substr(dot);
}

}  // namespace tp::render
