#pragma once
// The project object: the list of pictures, the author's settings and the UI settings,
// read from the three settings texts of the project. Texts arrive in code page 1252 and
// are held as UTF-8.
#include <cstdint>
#include <string>
#include <vector>

#include "core/IniFile.h"

namespace tp {

// Two parallel lists of equal length: picture file names and "TRUE"/"FALSE" flags.
class TMpCFileList {
 public:
  std::vector<std::string> pictures;
  std::vector<std::string> selected;

  size_t Count() const { return pictures.size(); }
  bool IsSelected(size_t i) const { return i < selected.size() && selected[i] == "TRUE"; }
  void SetSelected(size_t i, bool on) {
    if (i < selected.size()) selected[i] = on ? "TRUE" : "FALSE";
  }
  void SelectAll(bool on);
  void Clear();
  // Clears both lists and reads the keys of [FileList] in file order, each value read as
  // a boolean (missing or not an integer: false).
  void Read(const IniFile& text);
  void ReadFile(const std::string& path);
};

// Every number from 1 to 169, ascending, comma-separated.
std::string AllTransitionEffects();

class TMpCSetting {
 public:
  // [General]
  std::string ProductName = "My Screensaver";
  std::string Publisher;
  std::string Website;
  // [Default]
  bool Stretch = true;
  bool Proportional = false;
  bool Sound = true;
  bool Music = true;  // default: the value of Sound
  bool Random = true;
  int32_t Duration = 30;
  bool Transition = true;
  int32_t TransitionTime = 2000;
  std::string TransitionEffects = AllTransitionEffects();
  bool Zoom = false;
  bool LivingZoom = false;
  int32_t ZoomDuration = 5;
  bool AutoWallpaper = false;
  int32_t Speed = 100;
  bool Animation = true;
  int32_t ShowImageMode = 0;
  bool DirectX = false;
  int32_t DirectXQuality = 0;
  // [Advance]
  std::string MusicFile;
  int32_t MusicMode = 0;
  std::string PreviewFile;
  // [Build]
  int32_t BuildMethod = 2;
  std::string BuildFileName;
  bool BuildSmallThumbs = true;
  std::string BuildIcon;
  std::string BuildInstall;
  bool CustomIcon = false;

  // Reads every key with the field's current value as default (BuildSmallThumbs and
  // CustomIcon default to true and false); Music defaults to the Sound just read.
  void Read(const IniFile& text);
  void ReadFile(const std::string& path);
};

class TUISetting {
 public:
  std::string UIFile;
  void Read(const IniFile& text);
  void ReadFile(const std::string& path);
};

class TMpCProject {
 public:
  TMpCFileList fileList;
  TMpCSetting setting;
  TUISetting uiSetting;

  // Reads the file list, the settings and the UI settings from an unpacked settings
  // container (3 or 4 entries; any other count leaves the defaults). The three texts are
  // unpacked into scratchFolder (the extraction folder) and deleted again; an empty
  // scratchFolder means the container's own folder.
  void LoadSettingsContainer(const std::string& path, const std::string& scratchFolder = {});
};

// Reads a settings text file (1252) as an INI; a missing file gives an empty one.
IniFile ReadProjectText(const std::string& path);

}  // namespace tp
