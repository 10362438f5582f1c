#pragma once
// What a saver run reads from the project: the file list and the settings (already holding
// the user's values), copied into the run at show time.
#include <string>
#include <vector>

namespace tp {

struct TRunSettings {
  bool stretch = true;
  bool proportional = true;  // set at window creation, before the project's value is copied
  bool advance = true;       // "Random": pictures change only when on
  int displayTime = 30;      // "Duration", seconds
  int speed = 100;           // percent of normal animation speed
  int orderMode = 0;         // "ShowImageMode": 0 and 2 random, every other value sequential
  bool transition = true;
  int transitionTime = 2000;  // milliseconds
  std::string transitionEffects;
  bool sound = true;
  bool music = true;
  std::string musicFile;
  int musicMode = 0;
  bool directX = false;
  int directXQuality = 0;
};

// The project as the saver window sees it.
struct SaverProject {
  std::vector<std::string> pictures;  // paths in file-list order
  std::vector<std::string> selected;  // "TRUE" / "FALSE", parallel to pictures
  TRunSettings settings;
  std::string extractionFolder;
  std::string commonFolder;
  std::string programFolder;
};

}  // namespace tp
