#include "animation/GifObject.h"

#include <algorithm>

#include "animation/ObjectFiles.h"
#include "imaging/ImageLoader.h"
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
  for (GifFrame& f : gif.frames()) {
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
  painter_.Stop();
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
  if (!found) return;

  std::shared_ptr<GifImage> gif;
  try {
    const std::string bytes = ReadWholeFile(path);
    gif = std::make_shared<GifImage>(
        GifImage::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    ApplyFrameOptions(*gif);
  } catch (const std::exception&) {
    gif.reset();  // errors while loading are swallowed: no picture
  }

  const uint8_t alpha = OpacityAlpha(Opacity);
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
