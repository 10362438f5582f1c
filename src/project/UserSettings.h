#pragma once
// The user settings file beside the saver (saver path with its extension replaced by
// ".ini"): the user's own choices, laid over the project's settings before a show.
// Nothing is cached; every operation opens, reads or writes, and closes the file. Writes
// are atomic (a link at the file's name is replaced, never written through), in the
// Windows-1252 code page, and keep every section and key the program does not know.
// Only a regular file of at most 1 MB is read. When the saver's folder is not writable,
// the file lives in UserSettingsFallbackPath() instead.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "project/ProjectSettings.h"

namespace tp {

// Animation speeds in percent, indexed 0..20.
inline constexpr std::array<int32_t, 21> kSpeedTable = {10,  20,  30,  45,  50,  60,  70,
                                                        75,  80,  90,  100, 120, 140, 160,
                                                        180, 200, 220, 240, 360, 480, 500};
// The index of speed in the table; a speed not in it gives the index of the nearest value.
int SpeedIndexOf(int32_t speed);

std::string UserSettingsPath();
// $XDG_CONFIG_HOME/tidepool/ (default ~/.config/tidepool/) + the bare name of
// UserSettingsPath(): the file used instead when the saver's folder is not writable.
std::string UserSettingsFallbackPath();
// True when the saver's extension is ".scr" (any case) or argument 1 is "/C".
bool UserSettingsAvailable();

// The values of section "Setting" (without Index) and the "MusicList" keys.
struct UserSettingsValues {
  int32_t ImageSize = 1;   // 0 own size, 1 stretched, 2 stretched keeping proportions
  int32_t ImageMode = 0;   // 0..3, replaces ShowImageMode
  int32_t Speed = 10;      // index into kSpeedTable
  bool Sound = true;
  bool Music = true;
  bool Transition = true;
  int32_t Duration = 30;
  bool DirectX = false;
  int32_t DirectXQuality = 0;
  bool CustomMusic = false;
  bool ShuffleMusic = true;
  std::vector<std::string> MusicList;  // full paths in play order
};

// Lays the user settings file over the project (settings and selection flags). Does
// nothing when the file does not exist.
void ApplyUserSettings(TMpCProject& project);

// Fills values from the file, each missing key taking the project's value. False when
// user settings are not available for this saver (values then untouched).
bool ReadUserSettings(const TMpCProject& project, UserSettingsValues& values);
// Writes the "Setting" keys in their fixed order and rewrites "MusicList". False when
// not available or the file could not be written.
bool WriteUserSettings(const UserSettingsValues& values);

// Rewrites "Files" with the index of every picture whose flag is "FALSE".
bool WriteDeselectedPictures(const TMpCFileList& fileList);
// Marks every picture on, then off each picture whose index is a key of "Files".
bool ReadDeselectedPictures(TMpCFileList& fileList);
bool WriteSinglePictureIndex(int32_t index);
// The "Index" key (0 when missing or not available).
int32_t ReadSinglePictureIndex();

// The shared resource folder: the first of $XDG_DATA_HOME (default ~/.local/share) and
// $XDG_DATA_DIRS (default /usr/local/share:/usr/share) that holds "Quillon/Common/",
// else "/usr/share/". Always ends with '/'.
std::string ProgramFilesFolder();
// ProgramFilesFolder() + "Quillon/Common/" (with subfolders "sounds/" and "images/").
std::string CommonFolder();

}  // namespace tp
