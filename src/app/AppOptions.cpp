#include "app/AppOptions.h"

#include <sys/stat.h>

#include "core/TextUtil.h"

namespace tp {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
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
    else if (a == "--help") o.help = true;
    else if (a == "--version") o.version = true;
    else if (a.size() > 2 && a.rfind("--", 0) == 0) o.errors.push_back("unknown option " + a);
    else positional.push_back(a);
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
  --all-screens      run the show on every screen, not only the primary one
  --window-id ID     run the show inside the existing X window ID (decimal or 0x hex)
  --root             run the show on the root window
  --help             print this text and end
  --version          print the version and end
)";
}

}  // namespace tp
