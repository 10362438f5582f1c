#include <cstdio>
#include <exception>
#include <cstdlib>
#include <string>

#include "TidepoolVersion.h"
#include "app/RunModes.h"
#include "platform/EventLog.h"
#include "platform/Platform.h"
#include "platform/TerminationSignals.h"
#include "platform/headless/HeadlessPlatform.h"
#include "project/ProjectLoader.h"
#include "project/RunContext.h"

#ifdef TIDEPOOL_HAVE_X11
#include "platform/x11/HostWindowPlatform.h"
#endif
#ifdef TIDEPOOL_HAVE_SDL
#include "platform/sdlaudio/SdlAudio.h"
#endif

#if __has_include("platform/qt/QtPlatform.h") && defined(TIDEPOOL_HAVE_QT)
#include "platform/qt/QtPlatform.h"
#define TIDEPOOL_QT_BACKEND 1
#endif

namespace tp {
namespace {

// TIDEPOOL_PLATFORM=headless selects the headless backend, anything else the desktop.
std::unique_ptr<Platform> CreateBackend(int& argc, char** argv, bool withAudio) {
  const char* name = std::getenv("TIDEPOOL_PLATFORM");
  if (name && std::string(name) == "headless") return CreateHeadlessPlatform();
#ifdef TIDEPOOL_QT_BACKEND
  std::unique_ptr<AudioSystem> audio;
#ifdef TIDEPOOL_HAVE_SDL
  // Music and sound effects play through SDL; without an audio device the show is silent.
  if (withAudio) audio = CreateSdlAudioSystem();
#else
  (void)withAudio;
#endif
  return CreateQtPlatform(argc, argv, std::move(audio));
#else
  (void)argc;
  (void)argv;
  (void)withAudio;
  return CreateHeadlessPlatform();
#endif
}

int Exit(int code) {
  LogEvent("exit", std::to_string(code));
  return code;
}

// The desktop toolkit ends the process outright when it finds no display, so look first.
bool DisplayReachable() {
  for (const char* name : {"TIDEPOOL_PLATFORM", "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* v = std::getenv(name);
    if (v && *v) return true;
  }
  return false;
}

// --help, --version and options it cannot read are answered before anything opens:
// the exit code, or -1 to go on.
int AnswerCommandLine(const AppOptions& options) {
  if (options.help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("tidepool %s\n", TIDEPOOL_VERSION);
    return 0;
  }
  if (!options.errors.empty()) {
    std::fprintf(stderr, "tidepool: %s (see tidepool --help)\n", options.errors.front().c_str());
    return 2;
  }
  return -1;
}

}  // namespace

int RunMain(int argc, char** argv) {
  InstallTerminationSignals();
  AppState state;
  state.options = ParseCommandLine(argc, argv);
  if (const int code = AnswerCommandLine(state.options); code >= 0) return code;

  CurrentRun().firstArgument = state.options.firstArgument;
  SetSaverPath(state.options.projectFile.empty() ? ExecutablePath() : LongPathName(state.options.projectFile));
  if (!state.options.projectFile.empty() && SaverPath().empty()) {
    std::fprintf(stderr, "tidepool: cannot open %s\n", state.options.projectFile.c_str());
    return Exit(2);
  }

  // A folder show plays with no switch; a saver opens its configuration then.
  const RunMode mode = state.options.pictures && state.options.runSwitch.empty()
                           ? RunMode::Saver
                           : SelectRunMode(state.options.runSwitch);
  if (mode == RunMode::Password) {
    ChangePassword(state);
    return Exit(0);
  }
  // Any other switch shows nothing: no window system is needed for that.
  if (mode == RunMode::None) return Exit(0);
  if (!DisplayReachable()) {
    std::fprintf(stderr, "tidepool: no display to show on (DISPLAY is not set)\n");
    return Exit(1);
  }
  // Only the show plays music and sounds.
  InstallPlatform(CreateBackend(argc, argv, mode == RunMode::Saver));
  int code = 0;
  try {
#ifdef TIDEPOOL_HAVE_X11
    // A show asked to run inside a host's window (a screensaver daemon, --window-id,
    // --root) draws there instead of into a window of its own.
    if (mode == RunMode::Saver) {
      if (auto host = ChooseHostWindow(state.options.windowId, state.options.root))
        InstallPlatform(CreateHostWindowPlatform(UninstallPlatform(), *host));
    }
#endif
    if (state.options.pictures) {
      switch (mode) {
        case RunMode::Saver: RunPhotoShow(state); break;
        case RunMode::Configuration: RunPhotoSettings(state); break;
        case RunMode::Preview: RunPhotoPreview(state); break;
        case RunMode::Password:
        case RunMode::None: break;
      }
    } else switch (mode) {
      case RunMode::Saver: RunSaver(state); break;
      case RunMode::Configuration: RunConfiguration(state); break;
      case RunMode::Preview: RunPreviewMode(state); break;
      case RunMode::Password:
      case RunMode::None: break;
    }
  } catch (const std::exception& e) {
    // A failure outside the show (no such host window, an unreadable preview picture)
    // ends the process with a message instead of an abort.
    std::fprintf(stderr, "tidepool: %s\n", e.what());
    code = 1;
  }
  code = Exit(code);
  UninstallPlatform();
  return code;
}

}  // namespace tp
