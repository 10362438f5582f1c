#pragma once
// The command line, parsed once: the run-mode switch and handle argument, and the
// options this player adds (each starting with "--", taken out before the switch is read).
#include <string>
#include <vector>

#include "photoshow/PhotoSettings.h"

namespace tp {

struct AppOptions {
  std::string runSwitch;      // argument 1 upper-cased, cut to its first two characters
  std::string firstArgument;  // argument 1 upper-cased, whole
  std::string handleArgument; // argument 2 upper-cased
  std::string projectFile;    // --project FILE (or a saver file as the only argument)
  bool saverFileArgument = false;  // projectFile came as the only argument: configure it
  bool window = false;        // --window: an ordinary window instead of full screen
  std::string windowId;       // --window-id ID: draw into this foreign window
  bool root = false;          // --root: draw into the root window
  bool allScreens = false;    // --all-screens: the show on every screen
  bool sameOnAllScreens = false;  // --same-on-all-screens: one folder show repeated on each
  int screen = 0;             // --screen N: full screen on screen N (0 the primary)
  std::vector<std::string> arguments;  // the command line as given, without the program
  bool help = false;          // --help: print the usage and end
  bool version = false;       // --version: print the version and end
  bool pictures = false;      // --pictures: a folder show of the folders given (photo.folders)
  PhotoOverrides photo;       // the folder show's options given on the command line
  std::vector<std::string> errors;  // options that could not be read
};

AppOptions ParseCommandLine(int argc, char** argv);

// What --help prints.
const char* UsageText();

}  // namespace tp
