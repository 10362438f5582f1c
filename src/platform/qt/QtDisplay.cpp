#include "platform/qt/QtDisplay.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QSurfaceFormat>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/EventLog.h"
#include "platform/GpuChoice.h"
#include "platform/MessageBox.h"
#include "platform/qt/GlProbe.h"
#include "platform/qt/GlViewWidget.h"
#include "platform/qt/SaverWidget.h"

namespace tp {
namespace {

// A logical size in the device pixels of a ratio.
QSize DeviceSize(QSize logical, double ratio) {
  return QSize(std::max(1, int(std::lround(logical.width() * ratio))),
               std::max(1, int(std::lround(logical.height() * ratio))));
}

}  // namespace

QList<QScreen*> ScreensPrimaryFirst() {
  QList<QScreen*> screens;
  QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return screens;
  screens.push_back(primary);
  for (QScreen* s : QGuiApplication::screens())
    if (s != primary) screens.push_back(s);
  return screens;
}

QtDisplay::QtDisplay(const DisplayOptions& options, InputHandler* handler, RunLoop* signalLoop)
    : handler_(handler) {
  // The screen asked for (the primary when there is no such screen).
  const QList<QScreen*> all = ScreensPrimaryFirst();
  QScreen* primary = options.screen > 0 && options.screen < all.size() ? all[options.screen]
                     : all.empty()                                    ? nullptr
                                                                      : all.front();
  if (primary) bitDepth_ = primary->depth();
  if (bitDepth_ <= 0) bitDepth_ = 32;
  // The saver's product name; else the application's title.
  const std::string appTitle = ApplicationTitle();
  const QString title = !options.title.empty() ? QString::fromStdString(options.title)
                        : !appTitle.empty()    ? QString::fromStdString(appTitle)
                                               : QGuiApplication::applicationDisplayName();

  if (!options.fullScreen || !primary) {
    // An ordinary window: a try-out of the show; any input still ends it.
    auto widget = std::make_unique<SaverWidget>(this, handler);
    widget->setFixedSize(std::max(options.windowWidth, 1), std::max(options.windowHeight, 1));
    pixelRatio_ = primary ? primary->devicePixelRatio() : 1.0;
    const QSize device = DeviceSize(widget->size(), pixelRatio_);
    screen_.SetSize(device.width(), device.height());
    widgets_.push_back(std::move(widget));
  } else {
    QList<QScreen*> screens;
    screens.push_back(primary);
    if (options.allScreens) {
      for (QScreen* s : all)
        if (s != primary) screens.push_back(s);
    }
    // The show is made at its screen's own pixel size; other screens draw it at theirs.
    pixelRatio_ = primary->devicePixelRatio();
    const QSize device = DeviceSize(primary->geometry().size(), pixelRatio_);
    screen_.SetSize(device.width(), device.height());
    for (QScreen* s : screens) {
      auto widget = std::make_unique<SaverWidget>(this, handler);
      widget->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Window);
      widget->setGeometry(s->geometry());
      widgets_.push_back(std::move(widget));
    }
  }
  LogEvent("display", "open " + std::to_string(screen_.width()) + "x" + std::to_string(screen_.height()) +
                          (options.fullScreen ? " full-screen" : " window"));
  // One window only: the others would paint the screen bitmap, which views do not update.
  if (options.movingViews && widgets_.size() == 1) OpenGpu();
  for (auto& w : widgets_) {
    w->setWindowTitle(title);
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
    // The watcher thread only posts; the request itself runs on the UI thread, and a
    // request that arrives after the display went is dropped with the relay.
    signals_ = std::make_unique<TerminationSignals>([signalLoop, weak = std::weak_ptr<CloseRelay>(relay_)] {
      signalLoop->Post([weak] {
        if (auto relay = weak.lock()) relay->RequestClose();
      });
    });
  }
}

QtDisplay::~QtDisplay() {
  signals_.reset();
  if (relay_) relay_->Detach(handler_);
  for (auto& w : widgets_) w->hide();
}

void QtDisplay::OpenGpu() {
  const GpuChoice choice = ChooseGpu(ProbeGlRenderer(), std::getenv("TIDEPOOL_GL"));
  LogEvent("display", "gpu " + choice.reason);
  if (!choice.use) return;
  // Swaps do not wait for the screen: presents are paced to its refresh as on the CPU path,
  // and a swap that waited too would miss every other refresh.
  QSurfaceFormat format = QSurfaceFormat::defaultFormat();
  format.setSwapInterval(0);
  QSurfaceFormat::setDefaultFormat(format);
  SaverWidget* window = widgets_.front().get();
  gpu_ = new GlViewWidget(window, screen_);  // owned by the window
  gpu_->setGeometry(window->rect());
}

bool QtDisplay::DrawsOnGpu() {
  if (gpu_ && gpu_->failed()) {
    // Lost or never working: the window paints the screen bitmap again, as without OpenGL.
    LogEvent("display", "gpu lost");
    gpu_->hide();
    gpu_->deleteLater();
    gpu_ = nullptr;
    viewShown_ = false;
    RepaintAll();
  }
  return gpu_ != nullptr;
}

void QtDisplay::TakeBackView() {
  if (!viewShown_) return;
  viewShown_ = false;
  // The GPU then shows the screen bitmap again, which now holds the same view.
  if (gpu_ && gpu_->ReadView(screen_)) gpu_->ScreenChanged(0, screen_.height());
}

void QtDisplay::ScreenChanged(int y0, int y1, const QRect& damaged) {
  if (DrawsOnGpu()) gpu_->ScreenChanged(y0, y1);
  for (size_t i = 0; i < widgets_.size(); ++i) {
    if (i == 0 && gpu_) continue;  // covered by the GPU's part
    if (i == 0 && widgets_[i]->PaintsOneToOne() && !damaged.isNull()) widgets_[i]->update(damaged);
    else widgets_[i]->update();
  }
}

bool QtDisplay::SetMovingPicture(const MovingPicture& picture) {
  if (!DrawsOnGpu()) return false;
  TakeBackView();  // what shows now stays the screen bitmap until the first view
  return gpu_->SetPicture(picture);
}

bool QtDisplay::PresentMovingView(const PictureView& view) {
  if (!DrawsOnGpu()) return false;
  gpu_->ShowView(view);
  viewShown_ = true;
  return true;
}

void QtDisplay::Capture(Bitmap32& out) {
  TakeBackView();
  out = screen_;
}

QWidget* QtDisplay::primaryWidget() const { return widgets_.empty() ? nullptr : widgets_.front().get(); }

void QtDisplay::RepaintAll() { ScreenChanged(0, screen_.height(), QRect()); }

void QtDisplay::Present(const Bitmap32& bitmap, int x, int y) {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + bitmap.width(), screen_.width());
  const int y1 = std::min(y + bitmap.height(), screen_.height());
  if (x0 >= x1 || y0 >= y1) return;
  // A bitmap over part of the screen keeps the rest as it shows now.
  if (x0 > 0 || y0 > 0 || x1 < screen_.width() || y1 < screen_.height()) TakeBackView();
  viewShown_ = false;
  const size_t bytes = size_t(x1 - x0) * sizeof(Pixel);
  for (int row = y0; row < y1; ++row)
    std::memcpy(screen_.scanline(row) + x0, bitmap.scanline(row - y) + (x0 - x), bytes);
  // Only the covered part of the primary window is painted again (in its logical pixels).
  const QRect damaged = QRectF(x0 / pixelRatio_, y0 / pixelRatio_, (x1 - x0) / pixelRatio_,
                               (y1 - y0) / pixelRatio_).toAlignedRect();
  ScreenChanged(y0, y1, damaged);
}

void QtDisplay::FillBlack() {
  viewShown_ = false;
  screen_.Fill(0);
  RepaintAll();
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
  viewShown_ = false;
  stretcher_.Stretch(bitmap, screen_, &back_);
  RepaintAll();
}

void QtDisplay::CaptureBackSurface(Bitmap32& out) { out = back_; }

double QtDisplay::RefreshHz() const {
  const QScreen* screen = widgets_.empty() ? QGuiApplication::primaryScreen() : widgets_.front()->screen();
  const double hz = screen ? screen->refreshRate() : 0;
  return hz > 0 ? hz : 60;  // also NaN
}

void QtDisplay::ShowCursor(bool show) {
  cursorCount_ += show ? 1 : -1;
  const Qt::CursorShape shape = cursorCount_ < 0 ? Qt::BlankCursor : Qt::ArrowCursor;
  for (auto& w : widgets_) w->setCursor(shape);
}

void QtDisplay::WidgetResized(const SaverWidget* widget) {
  if (widgets_.empty() || widget != widgets_.front().get()) return;
  const QSize device = DeviceSize(widget->size(), widget->devicePixelRatioF());
  const std::string state = widget->isFullScreen() ? "full-screen" : "window";
  const std::string line = "shown " + std::to_string(device.width()) + "x" + std::to_string(device.height()) + " " + state;
  if (line == lastShown_) return;
  lastShown_ = line;
  LogEvent("display", line);
}

}  // namespace tp
