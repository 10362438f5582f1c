#pragma once
// A still picture moving over the packaged picture.
#include "animation/AnimImgObject.h"

namespace tp {

class TImgObject final : public TAnimImgObject {
 public:
  TImgObject() { TransparentType = 1; }
  ~TImgObject() override { EndThread(); }

  // Resolves the file, takes the decoded picture (shared, see ObjectPictures.h), the key
  // colour and opacity, then the base Start. A missing or undecodable file, or one over
  // the budget, leaves the object as it was (no picture).
  void Start() override;
  std::string SaveToText() override;
  using TAnimObject::LoadDescription;
  void LoadDescription(const IniFile& ini) override;

  void DrawStretched(Bitmap32& dst, int left, int top, int width, int height,
                     const Bitmap32& src) const override;

 private:
  std::shared_ptr<const Bitmap32> shown_;  // the decoded picture Buffer holds a copy of
};

}  // namespace tp
