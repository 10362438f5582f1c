#pragma once
// What a folder show is told: built-in defaults, then the settings file
// ($XDG_CONFIG_HOME/tidepool/pictures.ini), then the command line.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/PictureLibrary.h"
#include "photoshow/PhotoCaption.h"
#include "photoshow/PhotoFill.h"
#include "photoshow/PhotoMotion.h"

namespace tp {

constexpr int kDefaultFramesPerSecond = 60;

struct PhotoSettings {
  std::vector<std::string> folders;  // "" entries never; empty means the default folders
  int durationSeconds = 10;          // how long each picture stays
  DeckOrder order = DeckOrder::Shuffle;
  std::string transitions = "fade";  // "fade", "all" or a list "N,N-M" of effect numbers
  int transitionMs = 1500;           // length of one transition; 0 changes without one
  std::string music;                 // a sound file or a folder of them; "" for none
  bool musicShuffle = false;         // a folder's tracks shuffled instead of by name
  PhotoFill fill = PhotoFill::Blur;  // around a picture of another shape than the screen
  int cropLimitPercent = kDefaultCropLimitPercent;  // the most a crop may cut of a picture
  PhotoMotion motion = PhotoMotion::Gentle;  // pan and zoom over each picture' time
  int framesPerSecond = kDefaultFramesPerSecond;  // how often a moving picture is drawn
  PhotoCaptions captions = PhotoCaptions::Off;  // what is written in a lower corner
  bool pairs = true;  // two portrait pictures side by side on a landscape screen
};

// Bounds the settings are held to wherever they come from.
constexpr int kMinDurationSeconds = 1;
constexpr int kMaxDurationSeconds = 24 * 60 * 60;
constexpr int kMaxTransitionMs = 60 * 1000;
constexpr size_t kMaxSettingsFolders = 64;
constexpr int kMaxFramesPerSecond = 240;

// What the command line sets; unset members keep what the file said.
struct PhotoOverrides {
  std::vector<std::string> folders;
  std::optional<int> durationSeconds;
  std::optional<DeckOrder> order;
  std::optional<std::string> transitions;
  std::optional<std::string> music;
  std::optional<PhotoFill> fill;
  std::optional<int> cropLimitPercent;
  std::optional<PhotoMotion> motion;
  std::optional<int> framesPerSecond;
  std::optional<PhotoCaptions> captions;
  std::optional<bool> pairs;
};

// The settings file's path ("" when neither XDG_CONFIG_HOME nor HOME is known).
std::string PhotoSettingsPath();

// Reads the file over the defaults; a missing or unreadable file, or a value out of
// bounds, leaves the defaults.
PhotoSettings LoadPhotoSettings(const std::string& path);
// Writes the settings into the file, keeping every other section and key it holds;
// written atomically (a new file renamed into place). False when it cannot be written.
bool SavePhotoSettings(const std::string& path, const PhotoSettings& settings);

PhotoSettings ApplyOverrides(PhotoSettings settings, const PhotoOverrides& overrides);

// The effect numbers of a transitions text: "fade" is the plain cross-fade, "all" the
// whole catalogue, else numbers and ranges separated by commas ("3,10-12"). Empty when
// the text names no effect.
std::vector<int> TransitionEffectsOf(std::string_view text);

}  // namespace tp
