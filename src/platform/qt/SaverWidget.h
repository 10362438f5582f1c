#pragma once
// One saver window: paints what its display shows and hands input to the handler.
#include <QWidget>

#include "platform/Input.h"

namespace tp {

class QtDisplay;

class SaverWidget : public QWidget {
  Q_OBJECT

 public:
  SaverWidget(QtDisplay* display, InputHandler* handler);

  // Maps a Qt key to the virtual key codes the saver logic knows (0 for any other key).
  static int VirtualKeyFor(int qtKey);

  // The window's size in device pixels, and whether that is the display's bitmap size
  // (then each bitmap pixel is one screen pixel).
  QSize DevicePixelSize() const;
  bool PaintsOneToOne() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Draws the screen bitmap (the damaged part at 1:1, or all of it fitted).
  void PaintShow(QPainter& painter, const QRect& damaged);
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QtDisplay* display_;
  InputHandler* handler_;
};

}  // namespace tp
