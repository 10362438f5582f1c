#include "platform/headless/HeadlessPlatform.h"

#include <cstdio>

#include "core/FileSystem.h"
#include "platform/EventLog.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessOptions.h"
#include "platform/headless/HeadlessRunLoop.h"
#include "platform/headless/HeadlessScript.h"

namespace tp {
namespace {

class HeadlessMessageBoxes : public MessageBoxes {
 public:
  explicit HeadlessMessageBoxes(bool confirmAnswer) : confirmAnswer_(confirmAnswer) {}
  bool Show(MessageKind kind, const std::string& text) override {
    const char* k = kind == MessageKind::Info ? "info " : kind == MessageKind::Error ? "error " : "confirm ";
    LogEvent("message", k + text);
    return kind == MessageKind::Confirm ? confirmAnswer_ : true;
  }

 private:
  bool confirmAnswer_;
};

class HeadlessShell : public Shell {
 public:
  bool Open(const std::string& target) override {
    LogEvent("shell-open", target);
    return true;
  }
};

class HeadlessDesktop : public Desktop {
 public:
  bool SetWallpaper(const std::string& path) override {
    LogEvent("wallpaper", path);
    return true;
  }
};

std::vector<ScriptEvent> LoadScript(const std::string& path) {
  if (path.empty()) return {};
  std::string text;
  if (!ReadFile(path, text)) {
    std::fprintf(stderr, "tidepool: cannot read TIDEPOOL_SCRIPT %s\n", path.c_str());
    return {};
  }
  ParsedScript script = ParseScript(text);
  for (const std::string& e : script.errors) std::fprintf(stderr, "tidepool: %s: %s\n", path.c_str(), e.c_str());
  return std::move(script.events);
}

class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(const HeadlessOptions& options)
      : options_(options),
        clock_(options.realClock),
        loop_(clock_, LoadScript(options.scriptPath), options.runMs),
        boxes_(options.confirmAnswer),
        recorder_(options),
        audio_(CreateHeadlessAudioSystem(HeadlessAudioOptions::FromEnvironment(), &clock_,
                                          [this](uint32_t tick, std::function<void()> fn) {
                                            loop_.PostAt(tick, std::move(fn));
                                          })) {}

  const char* Name() const override { return "headless"; }
  Clock& clock() override { return clock_; }
  RunLoop& runLoop() override { return loop_; }
  MessageBoxes& messageBoxes() override { return boxes_; }
  Shell& shell() override { return shell_; }
  Desktop& desktop() override { return desktop_; }
  AudioSystem& audio() override { return *audio_; }
  int ScreenWidth() const override { return options_.screenWidth; }
  int ScreenHeight() const override { return options_.screenHeight; }
  int DesktopBitDepth() const override { return 32; }
  int ScreenCount() const override { return 1 + int(options_.moreScreens.size()); }

  std::unique_ptr<Display> CreateDisplay(const DisplayOptions& options, InputHandler* handler) override {
    int w = options.fullScreen ? options_.screenWidth : options.windowWidth;
    int h = options.fullScreen ? options_.screenHeight : options.windowHeight;
    if (options.fullScreen && options.screen > 0 && size_t(options.screen) <= options_.moreScreens.size()) {
      w = options_.moreScreens[size_t(options.screen) - 1].first;
      h = options_.moreScreens[size_t(options.screen) - 1].second;
    }
    return std::make_unique<HeadlessDisplay>(w, h, clock_, loop_, recorder_, options_, handler);
  }

 private:
  HeadlessOptions options_;
  HeadlessClock clock_;
  HeadlessRunLoop loop_;
  HeadlessMessageBoxes boxes_;
  HeadlessShell shell_;
  HeadlessDesktop desktop_;
  FrameRecorder recorder_;
  std::unique_ptr<AudioSystem> audio_;
};

}  // namespace

std::unique_ptr<Platform> CreateHeadlessPlatform() {
  return std::make_unique<HeadlessPlatform>(HeadlessOptions::FromEnvironment());
}

}  // namespace tp
