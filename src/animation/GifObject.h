#pragma once
// An animated GIF moving over the packaged picture. Its painter keeps Buffer (and the
// mirrored FlipBuffer) current with the animation; pixels the painter has not covered
// keep the fill colour 0x00FFFF00 and are never drawn.
#include <memory>

#include "animation/AnimImgObject.h"
#include "animation/GifPainter.h"
#include "imaging/import/GifAnimation.h"

namespace tp {

class TGifObject final : public TAnimImgObject {
 public:
  TGifObject() { TransparentType = 0; }
  ~TGifObject() override;

  // Resolves the file, loads the GIF and applies the transparency and refresh keys,
  // starts the painter (a restart of the GIF already playing starts it over at frame 0
  // on the same painter), sets the opacity and runs the base Start. A missing file leaves
  // the object as it was; a GIF that does not decode leaves it without a picture.
  void Start() override;
  // Suspends the worker thread, then stops the painter.
  void Stop() override;
  std::string SaveToText() override;
  using TAnimObject::LoadDescription;
  void LoadDescription(const IniFile& ini) override;

  void DrawStretched(Bitmap32& dst, int left, int top, int width, int height,
                     const Bitmap32& src) const override;

  // Applies "Transparent", "TransparentType"/"TransparentColor" and "RefreshFrame" to the
  // frames of a decoded GIF (exposed for tests).
  void ApplyFrameOptions(GifImage& gif) const;

  bool Painting() const { return painter_.Painting(); }
  long FramesPainted() const { return painter_.FramesPainted(); }
  long PainterThreadsStarted() const { return painter_.ThreadsStarted(); }

  int AnimSpeed = 10;
  bool RefreshFrame = false;

 private:
  void ShowFrame(const Bitmap32& frame);
  TGifPainter painter_;
};

}  // namespace tp
