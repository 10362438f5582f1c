#include "platform/qt/QtDisplay.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include <algorithm>
#include <cstring>

#include "platform/MessageBox.h"
#include "platform/qt/SaverWidget.h"

namespace tp {

QtDisplay::QtDisplay(const DisplayOptions& options, InputHandler* handler, RunLoop* signalLoop)
    : handler_(handler) {
  QScreen* primary = QGuiApplication::primaryScreen();
  if (primary) bitDepth_ = primary->depth();
  if (bitDepth_ <= 0) bitDepth_ = 32;

  if (!options.fullScreen || !primary) {
    // An ordinary window: a try-out of the show; any input still ends it.
    auto widget = std::make_unique<SaverWidget>(this, handler);
    const std::string title = ApplicationTitle();
    widget->setWindowTitle(title.empty() ? QGuiApplication::applicationDisplayName() : QString::fromStdString(title));
    widget->setFixedSize(std::max(options.windowWidth, 1), std::max(options.windowHeight, 1));
    screen_.SetSize(widget->width(), widget->height());
    widgets_.push_back(std::move(widget));
  } else {
    QList<QScreen*> screens;
    screens.push_back(primary);
    if (options.allScreens) {
      for (QScreen* s : QGuiApplication::screens())
        if (s != primary) screens.push_back(s);
    }
    const QRect primaryRect = primary->geometry();
    screen_.SetSize(primaryRect.width(), primaryRect.height());
    for (QScreen* s : screens) {
      auto widget = std::make_unique<SaverWidget>(this, handler);
      widget->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Window);
      widget->setGeometry(s->geometry());
      widgets_.push_back(std::move(widget));
    }
  }
  for (auto& w : widgets_) {
    if (options.fullScreen) w->showFullScreen();
    else w->show();
  }
  if (!widgets_.empty()) {
    widgets_.front()->raise();
    widgets_.front()->activateWindow();
    widgets_.front()->setFocus();
  }
  if (signalLoop) {
    relay_ = std::make_shared<CloseRelay>();
    relay_->Attach(handler_);
    try {
      // The watcher thread only posts; the request itself runs on the UI thread, and a
      // request that arrives after the display went is dropped with the relay.
      signals_ = std::make_unique<TerminationSignals>([signalLoop, weak = std::weak_ptr<CloseRelay>(relay_)] {
        signalLoop->Post([weak] {
          if (auto relay = weak.lock()) relay->RequestClose();
        });
      });
    } catch (const std::exception&) {
      // Another part of the program watches the signals already.
    }
  }
}

QtDisplay::~QtDisplay() {
  signals_.reset();
  if (relay_) relay_->Detach(handler_);
  for (auto& w : widgets_) w->hide();
}

QWidget* QtDisplay::primaryWidget() const { return widgets_.empty() ? nullptr : widgets_.front().get(); }

void QtDisplay::RepaintAll() {
  for (auto& w : widgets_) w->update();
}

void QtDisplay::Present(const Bitmap32& bitmap, int x, int y) {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + bitmap.width(), screen_.width());
  const int y1 = std::min(y + bitmap.height(), screen_.height());
  showingBack_ = false;
  if (x0 >= x1 || y0 >= y1) return;
  const size_t bytes = size_t(x1 - x0) * sizeof(Pixel);
  for (int row = y0; row < y1; ++row)
    std::memcpy(screen_.scanline(row) + x0, bitmap.scanline(row - y) + (x0 - x), bytes);
  // Only the covered part of the window is painted again.
  const QRect damaged(x0, y0, x1 - x0, y1 - y0);
  for (size_t i = 0; i < widgets_.size(); ++i) {
    if (i == 0 && widgets_[i]->size() == QSize(screen_.width(), screen_.height())) widgets_[i]->update(damaged);
    else widgets_[i]->update();
  }
}

void QtDisplay::FillBlack() {
  screen_.Fill(0);
  showingBack_ = false;
  RepaintAll();
}

void QtDisplay::Capture(Bitmap32& out) {
  if (!scaledShowing()) {
    out = screen_;
    return;
  }
  // What the windows show: the back surface stretched over the screen.
  out.SetSize(screen_.width(), screen_.height());
  if (out.empty() || back_.empty()) return;
  QImage source(reinterpret_cast<const uchar*>(back_.data()), back_.width(), back_.height(),
                static_cast<qsizetype>(back_.stride()) * 4, QImage::Format_RGB32);
  QImage stretched = source.scaled(out.width(), out.height(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
  for (int row = 0; row < out.height(); ++row)
    std::memcpy(out.scanline(row), stretched.constScanLine(row), size_t(out.width()) * sizeof(Pixel));
}

bool QtDisplay::InitScaled(int width, int height, int bitsPerPixel) {
  if (width <= 0 || height <= 0 || widgets_.empty()) return false;
  if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) return false;
  back_.SetSize(width, height);
  scaled_ = true;
  return true;
}

void QtDisplay::PresentScaled(const Bitmap32& bitmap) {
  if (!scaled_) return;
  if (back_.width() != bitmap.width() || back_.height() != bitmap.height())
    back_.SetSize(bitmap.width(), bitmap.height());
  if (!bitmap.empty()) std::memcpy(back_.data(), bitmap.data(), bitmap.pixelCount() * sizeof(Pixel));
  showingBack_ = true;
  RepaintAll();
}

void QtDisplay::CaptureBackSurface(Bitmap32& out) { out = back_; }

void QtDisplay::ShowCursor(bool show) {
  cursorCount_ += show ? 1 : -1;
  const Qt::CursorShape shape = cursorCount_ < 0 ? Qt::BlankCursor : Qt::ArrowCursor;
  for (auto& w : widgets_) w->setCursor(shape);
}

}  // namespace tp
