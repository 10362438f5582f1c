#include "photoshow/PhotoSettings.h"

#include <algorithm>
#include <charconv>

#include "core/CommaText.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/SafeFile.h"
#include "core/TextUtil.h"
#include "effects/EffectCatalogue.h"

namespace tp {
namespace {

constexpr const char* kShow = "Show";
constexpr const char* kFolders = "Folders";

bool ReadNumber(std::string_view text, int& out) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && p == end;
}

std::string TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

std::string PhotoSettingsPath() {
  const std::string config = UserConfigHome();
  return config.empty() ? std::string() : JoinPath(JoinPath(config, "tidepool"), "pictures.ini");
}

PhotoSettings LoadPhotoSettings(const std::string& path) {
  PhotoSettings s;
  if (path.empty()) return s;
  const IniFile ini = IniFile::Load(path);  // a missing or unreadable file is empty
  for (const std::string& key : ini.KeyNames(kFolders)) {
    if (s.folders.size() >= kMaxSettingsFolders) break;
    std::string folder = ini.ReadString(kFolders, key, "");
    if (!folder.empty()) s.folders.push_back(std::move(folder));
  }
  const int duration = ini.ReadInteger(kShow, "Duration", s.durationSeconds);
  if (duration >= kMinDurationSeconds && duration <= kMaxDurationSeconds) s.durationSeconds = duration;
  DeckOrder order;
  if (ParseDeckOrder(ini.ReadString(kShow, "Order", ""), order)) s.order = order;
  const std::string transitions = ini.ReadString(kShow, "Transitions", "");
  if (!TransitionEffectsOf(transitions).empty()) s.transitions = transitions;
  const int transitionMs = ini.ReadInteger(kShow, "TransitionTime", s.transitionMs);
  if (transitionMs >= 0 && transitionMs <= kMaxTransitionMs) s.transitionMs = transitionMs;
  s.music = ini.ReadString(kShow, "Music", "");
  s.musicShuffle = ini.ReadBool(kShow, "MusicShuffle", s.musicShuffle);
  PhotoFill fill;
  if (ParsePhotoFill(ini.ReadString(kShow, "Fill", ""), fill)) s.fill = fill;
  const int cropLimit = ini.ReadInteger(kShow, "CropLimit", s.cropLimitPercent);
  if (cropLimit >= 0 && cropLimit <= kMaxCropLimitPercent) s.cropLimitPercent = cropLimit;
  PhotoMotion motion;
  if (ParsePhotoMotion(ini.ReadString(kShow, "Motion", ""), motion)) s.motion = motion;
  PhotoCaptions captions;
  if (ParsePhotoCaptions(ini.ReadString(kShow, "Captions", ""), captions)) s.captions = captions;
  s.pairs = ini.ReadBool(kShow, "Pairs", s.pairs);
  return s;
}

bool SavePhotoSettings(const std::string& path, const PhotoSettings& s) {
  if (path.empty()) return false;
  IniFile ini = IniFile::Load(path);
  ini.EraseSection(kFolders);
  for (size_t i = 0; i < s.folders.size() && i < kMaxSettingsFolders; ++i)
    ini.WriteString(kFolders, "Folder" + std::to_string(i + 1), s.folders[i]);
  ini.WriteInteger(kShow, "Duration", s.durationSeconds);
  ini.WriteString(kShow, "Order", DeckOrderName(s.order));
  ini.WriteString(kShow, "Transitions", s.transitions);
  ini.WriteInteger(kShow, "TransitionTime", s.transitionMs);
  ini.WriteString(kShow, "Music", s.music);
  ini.WriteBool(kShow, "MusicShuffle", s.musicShuffle);
  ini.WriteString(kShow, "Fill", PhotoFillName(s.fill));
  ini.WriteInteger(kShow, "CropLimit", s.cropLimitPercent);
  ini.WriteString(kShow, "Motion", PhotoMotionName(s.motion));
  ini.WriteString(kShow, "Captions", PhotoCaptionsName(s.captions));
  ini.WriteBool(kShow, "Pairs", s.pairs);
  const std::string folder = DirectoryOf(path);
  if (!folder.empty() && !MakeFolders(folder)) return false;
  return ini.SaveAtomic(path);
}

PhotoSettings ApplyOverrides(PhotoSettings s, const PhotoOverrides& o) {
  if (!o.folders.empty()) s.folders = o.folders;
  if (o.durationSeconds) s.durationSeconds = std::clamp(*o.durationSeconds, kMinDurationSeconds, kMaxDurationSeconds);
  if (o.order) s.order = *o.order;
  if (o.transitions) s.transitions = *o.transitions;
  if (o.music) s.music = *o.music;
  if (o.fill) s.fill = *o.fill;
  if (o.cropLimitPercent) s.cropLimitPercent = std::clamp(*o.cropLimitPercent, 0, kMaxCropLimitPercent);
  if (o.motion) s.motion = *o.motion;
  if (o.captions) s.captions = *o.captions;
  if (o.pairs) s.pairs = *o.pairs;
  if (o.framesPerSecond) s.framesPerSecond = std::clamp(*o.framesPerSecond, 1, kMaxFramesPerSecond);
  return s;
}

std::vector<int> TransitionEffectsOf(std::string_view text) {
  const std::string t = LowerAscii(TrimBlanks(text));
  std::vector<int> effects;
  if (t == "fade") return {1};
  if (t == "all") {
    for (int n = 1; n <= kEffectCount; ++n) effects.push_back(n);
    return effects;
  }
  std::vector<bool> taken(size_t(kEffectCount) + 1, false);
  for (const std::string& raw : SplitCommaText(t)) {
    const std::string entry = TrimBlanks(raw);
    int first = 0, last = 0;
    if (const size_t dash = entry.find('-'); dash != std::string::npos && dash > 0) {
      if (!ReadNumber(std::string_view(entry).substr(0, dash), first) ||
          !ReadNumber(std::string_view(entry).substr(dash + 1), last))
        continue;
    } else if (!ReadNumber(entry, first)) {
      continue;
    } else {
      last = first;
    }
    first = std::max(first, 1);
    last = std::min(last, kEffectCount);
    for (int n = first; n <= last; ++n) {
      if (!taken[size_t(n)]) effects.push_back(n);
      taken[size_t(n)] = true;
    }
  }
  return effects;
}

}  // namespace tp
