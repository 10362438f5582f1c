#include "animation/ImgObject.h"

#include "animation/ObjectFiles.h"
#include "imaging/Draw.h"
#include "imaging/import/ImageLoader.h"
#include "imaging/PixelCombine.h"

namespace tp {

void TAnimImgObject::SaveFileKeys(const char* type) {
  const std::string s = Section();
  Ini.WriteString(s, "ObjType", type);
  Ini.WriteString(s, "Filename", Filename);
}

void TAnimImgObject::LoadPictureKeys(const IniFile& ini, uint8_t defaultTransparentType) {
  const std::string s = Section();
  Filename = ini.ReadString(s, "Filename", Filename);
  Transparent = ini.ReadBool(s, "Transparent", true);
  TransparentType = uint8_t(ini.ReadInteger(s, "TransparentType", defaultTransparentType));
  TransparentColor = ini.ReadInteger(s, "TransparentColor", TransparentColor);
}

void TAnimImgObject::SaveTransparencyKeys() {
  const std::string s = Section();
  Ini.WriteBool(s, "Transparent", Transparent);
  Ini.WriteInteger(s, "TransparentType", TransparentType);
  Ini.WriteInteger(s, "TransparentColor", TransparentColor);
}

void TImgObject::LoadDescription(const IniFile& ini) {
  LoadPictureKeys(ini, 1);
  LoadFromText(ini);
}

std::string TImgObject::SaveToText() {
  auto lk = Lock();
  SaveCommonKeys();
  SaveFileKeys("IMG");
  SaveTransparencyKeys();
  return Ini.ToText();
}

void TImgObject::Start() {
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

  // The decoded picture is shared; a restart takes it again without reading the file.
  const std::shared_ptr<const Bitmap32> picture = pictures().Image(path);
  if (!picture) return;
  const uint8_t alpha = OpacityAlpha(Opacity);
  const Pixel key = TransparentType == 2 ? ColorRefToPixel(TransparentColor)
                                         : picture->at(0, picture->height() - 1);
  if (shown_ != picture) {
    // The picture and its mirror image, copied outside the lock: the drawing thread
    // keeps drawing the old picture meanwhile.
    if (!ReserveBuffers(2 * int64_t(picture->pixelCount()))) return;  // over the budget: left out
    Bitmap32 copy = *picture;
    Bitmap32 flipped;
    MirrorHorizontal(copy, flipped);
    auto lk = Lock();
    Buffer = std::move(copy);
    FlipBuffer = std::move(flipped);
    shown_ = picture;
  }
  auto lk = Lock();
  Buffer.setMasterAlpha(alpha);
  FlipBuffer.setMasterAlpha(alpha);
  KeyColor = key;
  ImageWidth = Buffer.width();
  ImageHeight = Buffer.height();
  StartRunState(clock().Tick());
}

void TImgObject::DrawStretched(Bitmap32& dst, int left, int top, int width, int height,
                               const Bitmap32& src) const {
  KeyedAlphaCombine combine{src.masterAlpha(), Transparent, KeyColor};
  StretchDraw(dst, left, top, width, height, src, 0, 0, src.width(), src.height(), combine);
}

}  // namespace tp
