#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

#include "platform/qt/QtClock.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtMessageBoxes.h"
#include "platform/qt/QtRunLoop.h"
#include "platform/qt/QtShell.h"

namespace tp {
namespace {

class QtPlatform : public Platform {
 public:
  QtPlatform(int& argc, char** argv, std::unique_ptr<AudioSystem> audio) : audio_(std::move(audio)) {
    if (!QApplication::instance()) ownApp_ = std::make_unique<QApplication>(argc, argv);
    if (!audio_) audio_ = std::make_unique<SilentAudioSystem>();
  }

  const char* Name() const override { return "qt"; }
  Clock& clock() override { return clock_; }
  RunLoop& runLoop() override { return runLoop_; }
  MessageBoxes& messageBoxes() override { return messageBoxes_; }
  Shell& shell() override { return shell_; }
  Desktop& desktop() override { return desktop_; }
  AudioSystem& audio() override { return *audio_; }

  // In the screen's own pixels, whatever scale factor the desktop uses.
  int ScreenWidth() const override {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? int(std::lround(s->geometry().width() * s->devicePixelRatio())) : 0;
  }
  int ScreenHeight() const override {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? int(std::lround(s->geometry().height() * s->devicePixelRatio())) : 0;
  }
  int DesktopBitDepth() const override {
    QScreen* s = QGuiApplication::primaryScreen();
    return s && s->depth() > 0 ? s->depth() : 32;
  }

  int ScreenCount() const override { return std::max(1, int(ScreensPrimaryFirst().size())); }

  std::unique_ptr<Display> CreateDisplay(const DisplayOptions& options, InputHandler* handler) override {
    return std::make_unique<QtDisplay>(options, handler, &runLoop_);
  }

 private:
  std::unique_ptr<QApplication> ownApp_;
  QtClock clock_;
  QtRunLoop runLoop_;
  QtMessageBoxes messageBoxes_;
  QtShell shell_;
  QtDesktop desktop_;
  std::unique_ptr<AudioSystem> audio_;
};

}  // namespace

std::unique_ptr<Platform> CreateQtPlatform(int& argc, char** argv, std::unique_ptr<AudioSystem> audio) {
  return std::make_unique<QtPlatform>(argc, argv, std::move(audio));
}

}  // namespace tp
