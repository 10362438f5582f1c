#include "project/UserSettings.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "core/SafeFile.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "project/RunContext.h"

namespace tp {
namespace {

constexpr const char* kSetting = "Setting";
constexpr const char* kFiles = "Files";
constexpr const char* kMusicList = "MusicList";

constexpr size_t kMaxUserFileBytes = 1 << 20;

// Where the file is read and written: beside the saver, or, when the saver's folder does
// not take new files, in the user's configuration folder (said once on stderr).
std::string UserFilePath() {
  const std::string beside = UserSettingsPath();
  if (FolderIsWritable(DirectoryOf(beside))) return beside;
  static std::mutex mutex;
  static std::string told;  // the fallback last announced
  const std::string fallback = UserSettingsFallbackPath();
  std::lock_guard<std::mutex> lock(mutex);
  if (told != fallback) {
    told = fallback;
    std::fprintf(stderr, "tidepool: %s is not writable; user settings are kept in %s\n",
                 DirectoryOf(beside).c_str(), fallback.c_str());
  }
  return fallback;
}

// Only a regular file of at most 1 MB is read; a link, a device or a larger file counts
// as no file. The text may be in the code page or UTF-8.
std::optional<IniFile> LoadExistingUserFile() {
  const std::string path = UserFilePath();
  std::string bytes;
  const ReadResult r = ReadWholeFile(path, kMaxUserFileBytes, bytes);
  if (r == ReadResult::NotRegular || r == ReadResult::TooLarge)
    std::fprintf(stderr, "tidepool: ignoring %s: %s\n", path.c_str(),
                 r == ReadResult::TooLarge ? "larger than 1 MB" : "not a regular file");
  if (r != ReadResult::Ok) return std::nullopt;
  return IniFile::Parse(AnyTextToUtf8(bytes));
}

IniFile LoadUserFile() { return LoadExistingUserFile().value_or(IniFile()); }

// Written in the code page, as the saver's own platform reads it; a text holding
// characters the code page lacks (a music path in another script) stays UTF-8 so that
// nothing is lost.
bool SaveUserFile(const IniFile& ini) {
  const std::string path = UserFilePath();
  const std::string text = ini.ToText();
  const std::optional<std::string> ansi = Utf8ToCp1252(text);
  if (path.empty() || !MakeFolders(DirectoryOf(path)) || !ReplaceFileAtomically(path, ansi ? *ansi : text)) {
    std::fprintf(stderr, "tidepool: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

int32_t ImageSizeOf(const TMpCSetting& s) {
  if (!s.Stretch) return 0;
  return s.Proportional ? 2 : 1;
}

}  // namespace

int SpeedIndexOf(int32_t speed) {
  int best = 0;
  for (int i = 0; i < int(kSpeedTable.size()); ++i) {
    if (kSpeedTable[size_t(i)] == speed) return i;
    if (std::abs(kSpeedTable[size_t(i)] - speed) < std::abs(kSpeedTable[size_t(best)] - speed)) best = i;
  }
  return best;
}

std::string UserSettingsPath() { return ChangeExtension(CurrentRun().saverPath, ".ini"); }

std::string UserSettingsFallbackPath() {
  const std::string config = UserConfigHome();
  if (config.empty()) return {};
  return JoinPath(JoinPath(config, "tidepool"), BareFileName(UserSettingsPath()));
}

bool UserSettingsAvailable() {
  return EqualsIgnoreCase(ExtensionOf(CurrentRun().saverPath), ".scr") || CurrentRun().firstArgument == "/C";
}

void ApplyUserSettings(TMpCProject& project) {
  if (CurrentRun().saverPath.empty()) return;
  const std::optional<IniFile> file = LoadExistingUserFile();
  if (!file) return;
  const IniFile& ini = *file;
  TMpCSetting& s = project.setting;
  TMpCFileList& files = project.fileList;

  const int32_t imageSize = ini.ReadInteger(kSetting, "ImageSize", -1);
  const int32_t imageMode = ini.ReadInteger(kSetting, "ImageMode", s.ShowImageMode);
  const int32_t speed = ini.ReadInteger(kSetting, "Speed", -1);
  const bool sound = ini.ReadBool(kSetting, "Sound", s.Sound);
  const bool music = ini.ReadBool(kSetting, "Music", s.Music);
  const bool transition = ini.ReadBool(kSetting, "Transition", s.Transition);
  const int32_t duration = ini.ReadInteger(kSetting, "Duration", s.Duration);
  int32_t index = ini.ReadInteger(kSetting, "Index", 0);
  // A missing display key leaves the project's value, as the settings dialog shows it;
  // otherwise a file holding only the current picture would switch the drawing path.
  const bool directX = ini.ReadBool(kSetting, "DirectX", s.DirectX);
  const int32_t directXQuality = ini.ReadInteger(kSetting, "DirectXQuality", s.DirectXQuality);
  const bool customMusic = ini.ReadBool(kSetting, "CustomMusic", false);
  const bool shuffleMusic = ini.ReadBool(kSetting, "ShuffleMusic", true);

  if (customMusic) {
    std::string joined;
    for (const std::string& k : ini.KeyNames(kMusicList)) {
      if (!joined.empty()) joined += ';';
      joined += k;
    }
    s.MusicFile = joined;
    s.MusicMode = shuffleMusic ? 0 : 1;
  }

  const std::vector<std::string> off = ini.KeyNames(kFiles);
  if (imageMode == 3) {
    if (index < 0 || size_t(index) >= files.Count()) index = 0;
    for (size_t i = 0; i < files.Count(); ++i) files.SetSelected(i, i == size_t(index));
  }
  if (imageMode == 2) {
    for (const std::string& k : off) {
      auto i = ParseInt32(k);
      if (i && *i >= 0 && size_t(*i) < files.Count()) files.SetSelected(size_t(*i), false);
    }
  }

  s.ShowImageMode = imageMode;
  s.Duration = duration;
  s.Sound = sound;
  s.Music = music;
  s.Transition = transition;
  s.DirectX = directX;
  s.DirectXQuality = directXQuality;
  if (speed >= 0 && speed < int32_t(kSpeedTable.size())) s.Speed = kSpeedTable[size_t(speed)];
  if (imageSize != -1) {
    s.Stretch = imageSize > 0;
    s.Proportional = imageSize == 2;
  }
}

bool ReadUserSettings(const TMpCProject& project, UserSettingsValues& v) {
  if (!UserSettingsAvailable()) return false;
  const IniFile ini = LoadUserFile();
  const TMpCSetting& s = project.setting;
  v.ImageSize = ini.ReadInteger(kSetting, "ImageSize", ImageSizeOf(s));
  v.ImageMode = ini.ReadInteger(kSetting, "ImageMode", s.ShowImageMode);
  v.Speed = ini.ReadInteger(kSetting, "Speed", SpeedIndexOf(s.Speed));
  v.Sound = ini.ReadBool(kSetting, "Sound", s.Sound);
  v.Music = ini.ReadBool(kSetting, "Music", s.Music);
  v.Transition = ini.ReadBool(kSetting, "Transition", s.Transition);
  v.Duration = ini.ReadInteger(kSetting, "Duration", s.Duration);
  v.DirectX = ini.ReadBool(kSetting, "DirectX", s.DirectX);
  v.DirectXQuality = ini.ReadInteger(kSetting, "DirectXQuality", s.DirectXQuality);
  v.CustomMusic = ini.ReadBool(kSetting, "CustomMusic", false);
  v.ShuffleMusic = ini.ReadBool(kSetting, "ShuffleMusic", true);
  v.MusicList = ini.KeyNames(kMusicList);
  return true;
}

bool WriteUserSettings(const UserSettingsValues& v) {
  if (!UserSettingsAvailable()) return false;
  IniFile ini = LoadUserFile();
  ini.WriteInteger(kSetting, "ImageSize", v.ImageSize);
  ini.WriteInteger(kSetting, "ImageMode", v.ImageMode);
  ini.WriteInteger(kSetting, "Speed", v.Speed);
  ini.WriteBool(kSetting, "Sound", v.Sound);
  ini.WriteBool(kSetting, "Music", v.Music);
  ini.WriteBool(kSetting, "Transition", v.Transition);
  ini.WriteInteger(kSetting, "Duration", v.Duration);
  ini.WriteBool(kSetting, "DirectX", v.DirectX);
  ini.WriteInteger(kSetting, "DirectXQuality", v.DirectXQuality);
  ini.WriteBool(kSetting, "CustomMusic", v.CustomMusic);
  ini.WriteBool(kSetting, "ShuffleMusic", v.ShuffleMusic);
  ini.EraseSection(kMusicList);
  for (const std::string& path : v.MusicList) ini.WriteString(kMusicList, path, "");
  return SaveUserFile(ini);
}

bool WriteDeselectedPictures(const TMpCFileList& fileList) {
  if (!UserSettingsAvailable()) return false;
  IniFile ini = LoadUserFile();
  ini.EraseSection(kFiles);
  bool any = false;
  for (size_t i = 0; i < fileList.Count(); ++i) {
    if (!fileList.IsSelected(i)) {
      ini.WriteString(kFiles, std::to_string(i), "");
      any = true;
    }
  }
  // An empty section still records that every picture is on.
  if (!any) ini.WriteString(kFiles, "", "");
  if (!any) ini.DeleteKey(kFiles, "");
  return SaveUserFile(ini);
}

bool ReadDeselectedPictures(TMpCFileList& fileList) {
  if (!UserSettingsAvailable()) return false;
  const IniFile ini = LoadUserFile();
  fileList.SelectAll(true);
  for (const std::string& k : ini.KeyNames(kFiles)) {
    auto i = ParseInt32(k);
    if (i && *i >= 0 && size_t(*i) < fileList.Count()) fileList.SetSelected(size_t(*i), false);
  }
  return true;
}

bool WriteSinglePictureIndex(int32_t index) {
  if (!UserSettingsAvailable()) return false;
  IniFile ini = LoadUserFile();
  ini.WriteInteger(kSetting, "Index", index);
  return SaveUserFile(ini);
}

int32_t ReadSinglePictureIndex() {
  if (!UserSettingsAvailable()) return 0;
  return LoadUserFile().ReadInteger(kSetting, "Index", 0);
}

std::string ProgramFilesFolder() {
  std::vector<std::string> candidates;
  const char* home = std::getenv("XDG_DATA_HOME");
  if (home && *home) candidates.push_back(home);
  else if (const char* h = std::getenv("HOME"); h && *h) candidates.push_back(std::string(h) + "/.local/share");
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  std::string list = (dirs && *dirs) ? dirs : "/usr/local/share:/usr/share";
  size_t start = 0;
  while (start <= list.size()) {
    size_t colon = list.find(':', start);
    std::string d = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!d.empty()) candidates.push_back(d);
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  for (const std::string& d : candidates)
    if (DirectoryExists(JoinPath(d, "Quillon/Common"))) return WithTrailingSeparator(d);
  return "/usr/share/";
}

std::string CommonFolder() { return ProgramFilesFolder() + "Quillon/Common/"; }

}  // namespace tp
