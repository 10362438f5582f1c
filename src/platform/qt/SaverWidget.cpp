#include "platform/qt/SaverWidget.h"

#include <QCloseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include "platform/qt/QtDisplay.h"

namespace tp {
namespace {

// Wraps a bitmap's pixels without copying: 0xAARRGGBB words are Qt's RGB32 layout.
QImage Wrap(const Bitmap32& bitmap) {
  if (bitmap.width() <= 0 || bitmap.height() <= 0) return {};
  return QImage(reinterpret_cast<const uchar*>(bitmap.scanline(0)), bitmap.width(), bitmap.height(),
                static_cast<qsizetype>(bitmap.stride()) * 4, QImage::Format_RGB32);
}

MouseButton ButtonFor(Qt::MouseButton button) {
  switch (button) {
    case Qt::RightButton: return MouseButton::Right;
    case Qt::MiddleButton: return MouseButton::Middle;
    default: return MouseButton::Left;
  }
}

}  // namespace

SaverWidget::SaverWidget(QtDisplay* display, InputHandler* handler) : display_(display), handler_(handler) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::black);
  setPalette(p);
}

int SaverWidget::VirtualKeyFor(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Shift: return kVkShift;
    case Qt::Key_Control: return kVkControl;
    case Qt::Key_Left: return kVkLeft;
    case Qt::Key_Up: return kVkUp;
    case Qt::Key_Right: return kVkRight;
    case Qt::Key_Down: return kVkDown;
    case Qt::Key_F1: return kVkF1;
    default: return 0;
  }
}

void SaverWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect target = rect();
  const bool scaled = display_->scaledShowing();
  const Bitmap32& source = scaled ? display_->backSurface() : display_->screenBitmap();
  QImage image = Wrap(source);
  if (image.isNull()) {
    painter.fillRect(event->rect(), Qt::black);
    return;
  }
  if (!scaled && image.size() == target.size()) {
    // 1:1: only the damaged part is copied to the window.
    painter.drawImage(event->rect().topLeft(), image, event->rect());
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target, image);
}

void SaverWidget::mouseMoveEvent(QMouseEvent* event) {
  QPoint p = event->globalPosition().toPoint();
  handler_->OnMouseMove(p.x(), p.y());
}

void SaverWidget::mousePressEvent(QMouseEvent* event) { handler_->OnMouseDown(ButtonFor(event->button())); }

void SaverWidget::mouseReleaseEvent(QMouseEvent* event) { handler_->OnMouseUp(ButtonFor(event->button())); }

void SaverWidget::keyPressEvent(QKeyEvent* event) {
  handler_->OnKeyDown(VirtualKeyFor(event->key()));
  const QString text = event->text();
  if (!text.isEmpty()) {
    // A key produces a character when Qt reports text for it (Shift or an arrow alone does not).
    const QList<uint> codes = text.toUcs4();
    if (!codes.isEmpty()) handler_->OnKeyPress(static_cast<char32_t>(codes.front()));
  }
}

void SaverWidget::closeEvent(QCloseEvent* event) {
  // The saver decides when it closes; the window system only asks.
  event->ignore();
  handler_->OnCloseRequest();
}

}  // namespace tp
