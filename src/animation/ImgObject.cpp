#include "animation/ImgObject.h"

#include "animation/ObjectFiles.h"
#include "imaging/Draw.h"
#include "imaging/ImageLoader.h"
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

  // Decode outside the lock: the drawing thread keeps drawing the old picture meanwhile.
  Bitmap32 picture;
  try {
    picture = LoadImageFile(path);
  } catch (const std::exception&) {
    return;
  }
  if (picture.empty()) return;
  const Pixel key = TransparentType == 2 ? ColorRefToPixel(TransparentColor)
                                         : picture.at(0, picture.height() - 1);
  Bitmap32 flipped;
  MirrorHorizontal(picture, flipped);
  const uint8_t alpha = OpacityAlpha(Opacity);
  picture.setMasterAlpha(alpha);
  flipped.setMasterAlpha(alpha);

  auto lk = Lock();
  Buffer = std::move(picture);
  FlipBuffer = std::move(flipped);
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
