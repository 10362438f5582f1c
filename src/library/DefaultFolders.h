#pragma once
// Which folders a folder show plays when none are given on the command line: the settings
// file's folders; else the picture folder xscreensaver's settings name; else the desktop's
// pictures folder (user-dirs.dirs); else ~/Pictures.
#include <string>
#include <string_view>
#include <vector>

namespace tp {

// Files read for the choice are bounded to this size (larger ones are not read).
constexpr size_t kMaxFolderSettingsBytes = 1024 * 1024;

// The value of "imageDirectory:" in an ~/.xscreensaver file, "~/" expanded against home;
// "" when the file names none.
std::string ParseXScreenSaverImageDirectory(std::string_view text, std::string_view home);
// XDG_PICTURES_DIR from a user-dirs.dirs file ("$HOME/..." or an absolute path, in double
// quotes, with \" \\ \$ escapes); "" when it names none, or names the home folder itself
// (the desktop's way of saying there is no such folder).
std::string ParseUserDirsPictures(std::string_view text, std::string_view home);

struct FolderSources {
  std::vector<std::string> given;     // from the command line
  std::vector<std::string> settings;  // from the settings file
  std::string home;                   // "" when unknown
  std::string xscreensaverText;       // contents of ~/.xscreensaver, or ""
  std::string userDirsText;           // contents of user-dirs.dirs, or ""
};

// The choice from these sources, in the order above.
std::vector<std::string> ChooseFolders(const FolderSources& sources);
// The same, reading HOME, XDG_CONFIG_HOME and the two files from the environment.
std::vector<std::string> DefaultFolders(const std::vector<std::string>& given, const std::vector<std::string>& settings);

}  // namespace tp
