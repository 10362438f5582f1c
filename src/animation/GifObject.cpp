#include "animation/GifObject.h"

#include <algorithm>

#include "animation/ObjectFiles.h"
#include "imaging/import/ImageLoader.h"
#include "imaging/PixelCombine.h"

namespace tp {

TGifObject::~TGifObject() {
  EndThread();
  painter_.Stop();
}

void TGifObject::LoadDescription(const IniFile& ini) {
  const std::string s = Section();
  LoadPictureKeys(ini, 0);
  AnimSpeed = ini.ReadInteger(s, "AnimSpeed", 10);
  RefreshFrame = ini.ReadBool(s, "RefreshFrame", false);
  LoadFromText(ini);
}

std::string TGifObject::SaveToText() {
  auto lk = Lock();
  SaveCommonKeys();
  const std::string s = Section();
  SaveFileKeys("GIF");
  Ini.WriteInteger(s, "AnimSpeed", AnimSpeed);
  SaveTransparencyKeys();
  Ini.WriteBool(s, "RefreshFrame", RefreshFrame);
  return Ini.ToText();
}

void TGifObject::ApplyFrameOptions(GifImage& gif) const {
  // The options live in the control extensions; an image without one keeps its pixels
  // as they are (it is drawn as part of the next frame that has one).
  for (GifFrame& f : gif.frames()) {
    if (!f.hasControl) continue;
    f.transparent = Transparent;
    if (TransparentType == 1 || TransparentType == 2) {
      Pixel colour = 0;
      bool haveColour = false;
      if (TransparentType == 2) {
        colour = ColorRefToPixel(TransparentColor);
        haveColour = true;
      } else if (f.width > 0 && f.height > 0 &&
                 f.indices.size() >= size_t(f.width) * size_t(f.height)) {
        // The frame's bottom-left pixel (left edge, last row of the frame).
        const uint8_t index = f.indices[size_t(f.height - 1) * size_t(f.width)];
        const std::vector<Pixel>& map = gif.ColorMapOf(f);
        if (index < map.size()) {
          colour = map[index];
          haveColour = true;
        }
      }
      const int found = haveColour ? gif.FindGlobalColor(colour) : -1;
      if (found >= 0) {
        f.transparentIndex = found;
      } else {
        f.transparent = false;
      }
    }
    if (RefreshFrame) f.disposal = GifDisposal::RestoreBackground;
  }
}

void TGifObject::ShowFrame(const Bitmap32& frame) {
  auto lk = Lock();
  if (Buffer.width() != frame.width() || Buffer.height() != frame.height()) return;
  std::copy(frame.data(), frame.data() + frame.pixelCount(), Buffer.data());
  const int w = frame.width();
  for (int y = 0; y < frame.height(); ++y) {
    const Pixel* s = frame.scanline(y);
    Pixel* d = FlipBuffer.scanline(y);
    for (int x = 0; x < w; ++x) d[w - 1 - x] = s[x];
  }
}

void TGifObject::Stop() {
  // The worker first: its redisplay path may restart the painter.
  TAnimObject::Stop();
  painter_.Stop();
}

void TGifObject::Start() {
  std::string path;
  {
    auto lk = Lock();
    path = Filename;
  }
  const bool found = ResolveObjectFile(path);
  {
    auto lk = Lock();
    Filename = path;
  }
  if (!found) {
    painter_.Stop();
    return;
  }

  // The decoded GIF is shared by objects with the same file and frame options; a restart
  // takes it again without reading the file.
  const std::string options = std::to_string(Transparent) + ',' + std::to_string(TransparentType) + ',' +
                              std::to_string(TransparentColor) + ',' + std::to_string(RefreshFrame);
  std::shared_ptr<const GifImage> gif =
      pictures().Gif(path, options, [this](GifImage& g) { ApplyFrameOptions(g); });
  // The painter's canvas, Buffer, FlipBuffer and the pixels a frame may restore: four
  // screens of the GIF for each object, within the budget or not at all.
  if (gif && !ReserveBuffers(4 * int64_t(gif->width()) * int64_t(gif->height()))) gif.reset();
  if (!gif) ReserveBuffers(0);

  const uint8_t alpha = OpacityAlpha(Opacity);
  // A restart of the GIF already playing starts its animation over on the same painter.
  if (gif && painter_.Restart(gif, AnimSpeedPercent(AnimSpeed), clock())) {
    auto lk = Lock();
    Buffer.setMasterAlpha(alpha);
    FlipBuffer.setMasterAlpha(alpha);
    StartRunState(clock().Tick());
    return;
  }
  painter_.Stop();
  {
    auto lk = Lock();
    if (gif && gif->width() > 0 && gif->height() > 0) {
      Buffer.SetSize(gif->width(), gif->height());
      FlipBuffer.SetSize(gif->width(), gif->height());
      Buffer.Fill(kGifFillColor);
      FlipBuffer.Fill(kGifFillColor);
      KeyColor = kGifFillColor;
      ImageWidth = gif->width();
      ImageHeight = gif->height();
    } else {
      Buffer.SetSize(0, 0);
      FlipBuffer.SetSize(0, 0);
      ImageWidth = ImageHeight = 0;
      gif.reset();
    }
    Buffer.setMasterAlpha(alpha);
    FlipBuffer.setMasterAlpha(alpha);
    StartRunState(clock().Tick());
  }
  // The first frame is drawn into Buffer now; later frames come from the painter thread.
  if (gif) {
    painter_.Start(gif, AnimSpeedPercent(AnimSpeed), clock(),
                   [this](const Bitmap32& frame) { ShowFrame(frame); });
  }
}

void TGifObject::DrawStretched(Bitmap32& dst, int left, int top, int width, int height,
                               const Bitmap32& src) const {
  GifAlphaCombine combine{src.masterAlpha()};
  StretchDraw(dst, left, top, width, height, src, 0, 0, src.width(), src.height(), combine);
}

}  // namespace tp
