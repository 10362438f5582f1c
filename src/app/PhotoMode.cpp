// The folder show (--pictures): the show of mode S and the preview of mode P.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/PreviewDrawing.h"
#include "app/RunModes.h"
#include "imaging/Draw.h"
#include "library/DefaultFolders.h"
#include "photoshow/PhotoPreparation.h"
#include "photoshow/PhotoShow.h"
#include "platform/EventLog.h"
#include "platform/Platform.h"
#include "platform/ScreenShows.h"
#include "platform/TerminationSignals.h"
#include "platform/x11/ForeignWindow.h"
#include "platform/x11/WindowId.h"

namespace tp {
namespace {

struct PhotoRun {
  PhotoSettings settings;
  LibraryOptions library;
};

// Built-in defaults, then the settings file, then the command line; the folders as chosen.
PhotoRun PhotoRunOf(const AppOptions& options) {
  const PhotoSettings fromFile = LoadPhotoSettings(PhotoSettingsPath());
  PhotoRun run;
  run.settings = ApplyOverrides(fromFile, options.photo);
  run.library.folders = DefaultFolders(options.photo.folders, fromFile.folders);
  run.library.order = run.settings.order;
  return run;
}

// How long the preview waits for the scan to find a first picture.
constexpr int kPreviewPictureWaitMs = 5000;

// The command line for the shows of the other screens: the same options without those
// that choose screens.
std::vector<std::string> ScreenShowArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string> args;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--all-screens") continue;
    if (arguments[i] == "--screen") {
      ++i;
      continue;
    }
    args.push_back(arguments[i]);
  }
  return args;
}

}  // namespace

void RunPhotoShow(AppState& state) {
  EndWithStartingShow();
  PhotoRun run = PhotoRunOf(state.options);
  DisplayOptions display;
  display.title = "Tidepool Photos";
  display.fullScreen = !state.options.window;
  display.allScreens = state.options.allScreens;
  display.screen = state.options.screen;
  // Each screen its own pictures: one show on each of the others, dealing from one deck.
  ScreenShows others;
  if (display.fullScreen && state.options.allScreens && !state.options.sameOnAllScreens) {
    display.allScreens = false;
    const int count = std::min(CurrentPlatform().ScreenCount(), ScreenShows::kMaxScreens);
    const std::vector<std::string> args = ScreenShowArguments(state.options.arguments);
    for (int screen = 0; screen < count; ++screen) {
      if (screen == display.screen) continue;
      const bool started = others.Start(args, screen);
      LogEvent("screen-show", (started ? "start " : "cannot start ") + std::to_string(screen));
    }
  }
  TPhotoShow show(std::move(run.settings), std::move(run.library), CurrentPlatform(), display);
  show.ShowModal();
  others.EndAll();
  if (others.Ended() > 0) LogEvent("screen-show", "ended by another screen");
}

void RunPhotoPreview(AppState& state) {
  const auto id = ParseWindowId(state.options.handleArgument);
  if (!id) throw std::runtime_error("not a window handle: \"" + state.options.handleArgument + "\"");
  PhotoRun run = PhotoRunOf(state.options);
  ForeignWindow host(*id);
  if (!host.WaitUntilViewable(kPreviewWaitLimit, kPreviewWaitPause)) {
    if (TerminationRequested()) return;
    throw std::runtime_error("the host window " + state.options.handleArgument +
                             " did not become visible within 10 seconds");
  }
  // The picture the show would deal next, fitted to the window; given back to the deck.
  PictureLibrary library(run.library);
  library.StartScan();
  Bitmap32 frame;
  frame.SetSize(host.width(), host.height());  // black
  bool drawn = false;
  for (int tries = 0; tries < 8 && !drawn && !TerminationRequested(); ++tries) {
    const std::optional<LibraryPicture> picture = library.WaitAndReserve(kPreviewPictureWaitMs);
    if (!picture) break;
    try {
      PhotoLook look;
      look.fill = run.settings.fill;
      look.cropLimitPercent = run.settings.cropLimitPercent;
      const FittedPicture fitted = PreparePhoto(picture->path, host.width(), host.height(), look).shown;
      const int x = (host.width() - fitted.picture.width()) / 2;
      const int y = (host.height() - fitted.picture.height()) / 2;
      Copy(frame, x, y, fitted.picture.width(), fitted.picture.height(), fitted.picture, 0, 0);
      drawn = true;
      library.Release(*picture);
    } catch (const std::exception& e) {
      library.Skip(*picture, e.what());
    }
  }
  host.DrawStretched(frame);
  LogEvent(drawn ? "preview" : "preview-none",
           std::to_string(host.id()) + " " + std::to_string(host.width()) + "x" + std::to_string(host.height()));
}

}  // namespace tp
