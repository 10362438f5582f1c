#pragma once
// The objects that carry a picture: a still image (TImgObject) or an animated GIF
// (TGifObject). Buffer holds the picture, FlipBuffer its left-right mirror image; both
// change only under the object's lock.
#include <memory>
#include <string>

#include "animation/AnimObject.h"
#include "animation/ObjectPictures.h"
#include "imaging/Bitmap32.h"

namespace tp {

class TAnimImgObject : public TAnimObject {
 public:
  TAnimImgObject() : pictures_(std::make_shared<TObjectPictures>()) {}
  ~TAnimImgObject() override { pictures_->Release(reserved_); }
  TAnimImgObject* AsImage() override { return this; }

  // The decoded pictures and budget this object shares with the others of its list (an
  // object on its own has its own). Set before Start.
  void SetPictures(std::shared_ptr<TObjectPictures> pictures) {
    pictures_->Release(reserved_);
    reserved_ = 0;
    pictures_ = std::move(pictures);
  }
  TObjectPictures& pictures() const { return *pictures_; }

  // Stretches src (Buffer or FlipBuffer) into (left, top, width, height) of dst through
  // the object's pixel combine. The caller holds the lock.
  virtual void DrawStretched(Bitmap32& dst, int left, int top, int width, int height,
                             const Bitmap32& src) const = 0;
  // True when there is a picture to draw (caller holds the lock while the thread runs).
  bool HasPicture() const { return !Buffer.empty(); }

  Bitmap32 Buffer;
  Bitmap32 FlipBuffer;
  std::string Filename;
  Pixel KeyColor = 0;
  bool Transparent = true;
  uint8_t TransparentType = 1;
  int32_t TransparentColor = 0;

 protected:
  // Reads "Filename" and the transparency keys; "TransparentType" defaults to the type's own.
  void LoadPictureKeys(const IniFile& ini, uint8_t defaultTransparentType);
  // Writes "ObjType" and "Filename" after the common keys.
  void SaveFileKeys(const char* type);
  // Writes "Transparent", "TransparentType" and "TransparentColor".
  void SaveTransparencyKeys();
  // Holds room for pixels of this object's own buffers, giving back what it held before;
  // false when they do not fit (the object then keeps nothing).
  bool ReserveBuffers(int64_t pixels) {
    pictures_->Release(reserved_);
    reserved_ = 0;
    if (!pictures_->Reserve(pixels)) return false;
    reserved_ = pixels;
    return true;
  }

 private:
  std::shared_ptr<TObjectPictures> pictures_;
  int64_t reserved_ = 0;
};

}  // namespace tp
