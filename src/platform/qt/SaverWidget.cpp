#include "platform/qt/SaverWidget.h"

#include <QCloseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

#include "imaging/LetterboxStretch.h"

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

QSize SaverWidget::DevicePixelSize() const {
  const double ratio = devicePixelRatioF();
  return QSize(std::max(1, int(std::lround(width() * ratio))), std::max(1, int(std::lround(height() * ratio))));
}

bool SaverWidget::PaintsOneToOne() const {
  const Bitmap32& screen = display_->screenBitmap();
  return DevicePixelSize() == QSize(screen.width(), screen.height());
}

void SaverWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  PaintShow(painter, event->rect());
  // The show's pixels carry no meaningful alpha byte (black is often all zero bytes), and
  // an RGB32 picture is copied into the window as it is. Where the window keeps an alpha
  // channel (a Wayland compositor blends it), opaque black goes in behind what was drawn:
  // colours stay, every pixel becomes opaque. An X server ignores the byte.
  const QPaintDevice* target = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
  if (target && target->devType() == QInternal::Image && static_cast<const QImage*>(target)->hasAlphaChannel()) {
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
    painter.fillRect(event->rect(), Qt::black);
  }
}

void SaverWidget::PaintShow(QPainter& painter, const QRect& damaged) {
  QImage image = Wrap(display_->screenBitmap());
  if (image.isNull()) {
    painter.fillRect(damaged, Qt::black);
    return;
  }
  const double ratio = devicePixelRatioF();
  if (PaintsOneToOne()) {
    // One bitmap pixel per device pixel; the painter clips to the damaged part.
    image.setDevicePixelRatio(ratio);
    painter.drawImage(QPointF(0, 0), image);
    return;
  }
  // Another screen (or a window that changed screens): the show at this window's own
  // pixel size, keeping its shape.
  painter.fillRect(rect(), Qt::black);
  const QSize device = DevicePixelSize();
  const Rect fit = FitKeepingShape(image.width(), image.height(), device.width(), device.height());
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.drawImage(QRectF(fit.left / ratio, fit.top / ratio, fit.width() / ratio, fit.height() / ratio), image);
}

void SaverWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The GPU's part, where there is one, covers the whole window.
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->setGeometry(rect());
  display_->WidgetResized(this);
}

void SaverWidget::mouseMoveEvent(QMouseEvent* event) {
  // In device pixels, so that the movement threshold means screen pixels at any scale factor.
  const QPointF p = event->globalPosition() * devicePixelRatioF();
  handler_->OnMouseMove(int(std::lround(p.x())), int(std::lround(p.y())));
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
