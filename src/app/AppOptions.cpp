#include "app/AppOptions.h"

#include <sys/stat.h>

#include <charconv>
#include <functional>

#include "core/TextUtil.h"
#include "platform/ScreenShows.h"

namespace tp {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder show's own options; false when a is none of them.
bool ReadPhotoOption(const std::string& a, const std::function<std::string(const char*)>& value, AppOptions& o) {
  if (a == "--pictures") {
    o.pictures = true;
  } else if (a == "--duration") {
    const std::string v = value("--duration");
    int seconds = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), seconds);
    if (ec != std::errc() || p != v.data() + v.size() || seconds < kMinDurationSeconds || seconds > kMaxDurationSeconds)
      o.errors.push_back("--duration takes whole seconds from 1 to 86400, not \"" + v + "\"");
    else
      o.photo.durationSeconds = seconds;
  } else if (a == "--order") {
    const std::string v = value("--order");
    DeckOrder order;
    if (ParseDeckOrder(v, order)) o.photo.order = order;
    else o.errors.push_back("--order takes shuffle, name, date or newest, not \"" + v + "\"");
  } else if (a == "--transitions") {
    const std::string v = value("--transitions");
    if (!TransitionEffectsOf(v).empty()) o.photo.transitions = v;
    else o.errors.push_back("--transitions takes fade, all or effect numbers such as 1,5-9, not \"" + v + "\"");
  } else if (a == "--fill") {
    const std::string v = value("--fill");
    PhotoFill fill;
    if (ParsePhotoFill(v, fill)) o.photo.fill = fill;
    else o.errors.push_back("--fill takes blur, bars or crop, not \"" + v + "\"");
  } else if (a == "--crop-limit") {
    const std::string v = value("--crop-limit");
    int percent = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), percent);
    if (ec != std::errc() || p != v.data() + v.size() || percent < 0 || percent > kMaxCropLimitPercent)
      o.errors.push_back("--crop-limit takes a whole percentage from 0 to 50, not \"" + v + "\"");
    else
      o.photo.cropLimitPercent = percent;
  } else if (a == "--motion") {
    const std::string v = value("--motion");
    PhotoMotion motion;
    if (ParsePhotoMotion(v, motion)) o.photo.motion = motion;
    else o.errors.push_back("--motion takes off, gentle or strong, not \"" + v + "\"");
  } else if (a == "--captions") {
    const std::string v = value("--captions");
    PhotoCaptions captions;
    if (ParsePhotoCaptions(v, captions)) o.photo.captions = captions;
    else o.errors.push_back("--captions takes off, date or date+folder, not \"" + v + "\"");
  } else if (a == "--pairs") {
    const std::string v = value("--pairs");
    const std::string lower = LowerAscii(v);
    if (lower == "on" || lower == "off") o.photo.pairs = lower == "on";
    else o.errors.push_back("--pairs takes on or off, not \"" + v + "\"");
  } else if (a == "--fps") {
    const std::string v = value("--fps");
    int fps = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), fps);
    if (ec != std::errc() || p != v.data() + v.size() || fps < 1 || fps > kMaxFramesPerSecond)
      o.errors.push_back("--fps takes whole frames a second from 1 to 240, not \"" + v + "\"");
    else
      o.photo.framesPerSecond = fps;
  } else if (a == "--folder") {
    o.pictures = true;
    if (std::string folder = value("--folder"); !folder.empty()) o.photo.folders.push_back(std::move(folder));
  } else if (a == "--music") {
    o.photo.music = value("--music");
  } else {
    return false;
  }
  return true;
}

// The run-mode switches: "/X", "-X" or the letter alone, judged on the first two characters.
bool IsRunModeSwitch(const std::string& argument) {
  const std::string s = UpperAscii(argument).substr(0, 2);
  for (char letter : {'S', 'C', 'P', 'A'}) {
    const std::string one(1, letter);
    if (s == "/" + one || s == "-" + one || s == one) return true;
  }
  return false;
}

// A lone argument that names a saver file (an existing file, or a name ending in ".scr"
// that is no switch) asks for that saver's configuration, as a file manager would start it.
bool IsSaverFileArgument(const std::string& argument) {
  if (argument.size() <= 2) return false;
  if (IsRegularFile(argument)) return true;
  return EndsWithIgnoreCase(argument, ".scr") && !IsRunModeSwitch(argument);
}

}  // namespace

AppOptions ParseCommandLine(int argc, char** argv) {
  AppOptions o;
  for (int i = 1; i < argc; ++i) o.arguments.push_back(argv[i]);
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char* name) -> std::string {
      if (i + 1 < argc) return argv[++i];
      o.errors.push_back(std::string(name) + " needs a value");
      return {};
    };
    if (a == "--project") o.projectFile = value("--project");
    else if (a.rfind("--project=", 0) == 0) o.projectFile = a.substr(10);
    else if (a == "--window") o.window = true;
    else if (a == "--window-id") o.windowId = value("--window-id");
    else if (a.rfind("--window-id=", 0) == 0) o.windowId = a.substr(12);
    else if (a == "--root") o.root = true;
    else if (a == "--all-screens") o.allScreens = true;
    else if (a == "--same-on-all-screens") o.allScreens = o.sameOnAllScreens = true;
    else if (a == "--screen") {
      const std::string v = value("--screen");
      const auto n = ParseInt32(v);
      if (n && *n >= 0 && *n < ScreenShows::kMaxScreens) o.screen = *n;
      else o.errors.push_back("--screen takes a screen number from 0 to 15, not \"" + v + "\"");
    }
    else if (a == "--help") o.help = true;
    else if (a == "--version") o.version = true;
    else if (ReadPhotoOption(a, value, o)) continue;
    else if (a.size() > 2 && a.rfind("--", 0) == 0) o.errors.push_back("unknown option " + a);
    else positional.push_back(a);
  }
  if (o.pictures) {
    // Folders, then the switch and its window: an existing folder is always a folder.
    size_t i = 0;
    for (; i < positional.size(); ++i) {
      if (!IsDirectory(positional[i]) && IsRunModeSwitch(positional[i])) break;
      o.photo.folders.push_back(positional[i]);
    }
    if (i < positional.size()) {
      o.firstArgument = UpperAscii(positional[i]);
      o.runSwitch = o.firstArgument.substr(0, 2);
    }
    if (i + 1 < positional.size()) o.handleArgument = UpperAscii(positional[i + 1]);
    if (i + 2 < positional.size()) o.errors.push_back("unexpected argument " + positional[i + 2]);
    return o;
  }
  if (positional.size() == 1 && o.projectFile.empty() && IsSaverFileArgument(positional[0])) {
    o.projectFile = positional[0];
    o.saverFileArgument = true;
    return o;
  }
  if (!positional.empty()) {
    o.firstArgument = UpperAscii(positional[0]);
    o.runSwitch = o.firstArgument.substr(0, 2);
  }
  if (positional.size() > 1) o.handleArgument = UpperAscii(positional[1]);
  return o;
}

const char* UsageText() {
  return R"(usage: tidepool [SWITCH [WINDOW]] [OPTIONS]
       tidepool SAVER.scr
       tidepool --pictures [FOLDER]... [SWITCH [WINDOW]] [OPTIONS]

Plays the slideshow saver appended to the program (or to the file given with
--project). Only the first two characters of SWITCH count, in any case, with or
without a leading / or -:

  /s            run the saver full screen; a key, a click or a mouse move ends it
  /c            show the saver's configuration window (also with no switch)
  /p WINDOW     draw the saver's preview picture into the X window WINDOW and end
  /a            change the screensaver password (nothing to do on Linux)

Any other switch does nothing. A saver file as the only argument opens that
saver's configuration window.

Options:
  --project FILE     play the saver stored in FILE instead of the program's own
  --window           run the show in an 800 x 600 window instead of full screen
  --all-screens      run the show on every screen, not only the primary one; a
                     folder show shows each screen its own pictures
  --same-on-all-screens
                     a folder show on every screen, the same pictures on each
  --screen N         run the show full screen on screen N (0, the primary, by default)
  --window-id ID     run the show inside the existing X window ID (decimal or 0x hex)
  --root             run the show on the root window
  --help             print this text and end
  --version          print the version and end

Folder shows play your own photos straight from the disk, every picture once
before any repeats, going on where the last show stopped:

  --pictures         show the pictures of the FOLDERs and their subfolders (else
                     the folders of the settings file, else xscreensaver's image
                     folder, else XDG_PICTURES_DIR, else ~/Pictures); /s or no
                     switch plays the show, /c opens its settings, /p WINDOW draws
                     the next picture into the X window WINDOW
  --duration SECONDS how long each picture stays (default 10)
  --order ORDER      shuffle (default), name, date (oldest first) or newest
  --transitions LIST fade (default), all, or effect numbers such as 1,5-9
  --fill FILL        around a picture of another shape than the screen: blur
                     (the default: the picture itself, blurred and dimmed),
                     bars (black) or crop (cover the screen, cutting its edges)
  --crop-limit PERCENT
                     the most of a picture --fill crop may cut, 0 to 50
                     (default 15); a picture past it gets the blurred fill
  --motion MOTION    off, gentle (the default) or strong: each picture pans
                     along its long side, or zooms in or out a little
  --fps N            frames a second of a moving picture (default 60)
  --captions CAPTIONS
                     off (the default), date or date+folder: the date taken,
                     and the folder's name, in a lower corner
  --pairs on|off     on a landscape screen, two portrait pictures that come
                     next are shown side by side (on by default)
  --music FILE|DIR   play a sound file, or the sound files of a folder by name

Settings are read from $XDG_CONFIG_HOME/tidepool/pictures.ini (written by /c);
the options above override them for one show.
)";
}

}  // namespace tp
