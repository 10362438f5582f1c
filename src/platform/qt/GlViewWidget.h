#pragma once
// The GPU's part of a saver window: an OpenGL child covering the window that draws what the
// display shows, the screen bitmap as presented last or a moving picture's view. It takes
// neither the mouse nor the keyboard: input still goes to the window under it.
#include <QOpenGLWidget>

#include "imaging/Bitmap32.h"
#include "platform/MovingPicture.h"
#include "platform/PictureView.h"
#include "platform/gl/GlViewPainter.h"

namespace tp {

class GlViewWidget : public QOpenGLWidget {
  Q_OBJECT

 public:
  // screen: the display's screen bitmap, which this widget shows and must outlive it.
  GlViewWidget(QWidget* parent, const Bitmap32& screen);
  ~GlViewWidget() override;

  // True once the context lost (or never made) what drawing needs: the CPU path draws then.
  bool failed() const { return failed_; }

  // Rows y0..y1 of the screen bitmap changed; the screen bitmap is shown again.
  void ScreenChanged(int y0, int y1);
  // Uploads a moving picture; false when this widget cannot draw it.
  bool SetPicture(const MovingPicture& picture);
  // Shows a view of the picture uploaded last.
  void ShowView(const PictureView& view);
  // Draws the view shown last at the screen bitmap's size and reads it back into out.
  bool ReadView(Bitmap32& out);

  // Drops everything the context held, as when the window system takes the context away.
  void ContextLost();

 protected:
  void initializeGL() override;
  void paintGL() override;

 private:
  // Makes the context current, initialising it first when the widget has not been shown.
  bool Current();

  const Bitmap32& screen_;
  GlViewPainter painter_;
  bool ready_ = false;
  bool failed_ = false;
  bool showsView_ = false;
  PictureView view_;
  int dirtyTop_ = 0, dirtyBottom_ = 0;
};

}  // namespace tp
