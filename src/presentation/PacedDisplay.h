#pragma once
// A display whose presents wait for the screen's refresh (see RefreshPacer). Everything
// else goes straight to the backend's display.
#include <memory>

#include "platform/Display.h"
#include "presentation/RefreshPacer.h"

namespace tp {

class Platform;

class PacedDisplay : public Display {
 public:
  // Paces to the refresh rate the screen reports (none when it reports none) and writes
  // the rate used to the event log ("display refresh 60.00").
  PacedDisplay(std::unique_ptr<Display> screen, Clock& clock);

  // The backend's display.
  Display& screen() const { return *screen_; }
  uint32_t refreshIntervalUs() const { return pacer_.intervalUs(); }

  int ScreenWidth() const override { return screen_->ScreenWidth(); }
  int ScreenHeight() const override { return screen_->ScreenHeight(); }
  int BitDepth() const override { return screen_->BitDepth(); }
  void Present(const Bitmap32& bitmap, int x, int y) override;
  void FillBlack() override;
  void Capture(Bitmap32& out) override { screen_->Capture(out); }
  bool InitScaled(int width, int height, int bitsPerPixel) override {
    return screen_->InitScaled(width, height, bitsPerPixel);
  }
  bool CanDraw() const override { return screen_->CanDraw(); }
  void PresentScaled(const Bitmap32& bitmap) override;
  void CaptureBackSurface(Bitmap32& out) override { screen_->CaptureBackSurface(out); }
  double RefreshHz() const override { return screen_->RefreshHz(); }
  void ShowCursor(bool show) override { screen_->ShowCursor(show); }
  void NoteView(const PictureView& view) override { screen_->NoteView(view); }
  bool SetMovingPicture(const MovingPicture& picture) override { return screen_->SetMovingPicture(picture); }
  bool PresentMovingView(const PictureView& view) override;

 private:
  std::unique_ptr<Display> screen_;
  RefreshPacer pacer_;
};

// The platform's display for options, paced to its screen's refresh.
std::unique_ptr<PacedDisplay> OpenPacedDisplay(Platform& platform, const DisplayOptions& options,
                                               InputHandler* handler);

}  // namespace tp
