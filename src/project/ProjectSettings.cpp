#include "project/ProjectSettings.h"

#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "project/ContainerReader.h"

namespace tp {

IniFile ReadProjectText(const std::string& path) {
  std::string bytes;
  if (!tp::ReadFile(path, bytes)) return IniFile();
  return IniFile::Parse(Cp1252ToUtf8(bytes));
}

std::string AllTransitionEffects() {
  std::string s;
  for (int i = 1; i <= 169; ++i) {
    if (i > 1) s += ',';
    s += std::to_string(i);
  }
  return s;
}

void TMpCFileList::SelectAll(bool on) {
  for (std::string& s : selected) s = on ? "TRUE" : "FALSE";
}

void TMpCFileList::Clear() {
  pictures.clear();
  selected.clear();
}

void TMpCFileList::Read(const IniFile& text) {
  Clear();
  // One pass over the section: a list of many thousand pictures reads in linear time.
  const size_t keys = text.LineCount("FileList");
  pictures.reserve(keys);
  selected.reserve(keys);
  text.ForEachKeyValue("FileList", [&](std::string_view name, std::string_view value) {
    const auto on = ParseInt32(value);
    pictures.emplace_back(name);
    selected.emplace_back(on && *on != 0 ? "TRUE" : "FALSE");
  });
}

void TMpCFileList::ReadFile(const std::string& path) { Read(ReadProjectText(path)); }

void TMpCSetting::Read(const IniFile& t) {
  ProductName = t.ReadString("General", "ProductName", ProductName);
  Publisher = t.ReadString("General", "Publisher", Publisher);
  Website = t.ReadString("General", "Website", Website);

  Stretch = t.ReadBool("Default", "Stretch", Stretch);
  Proportional = t.ReadBool("Default", "Proportional", Proportional);
  Sound = t.ReadBool("Default", "Sound", Sound);
  Music = t.ReadBool("Default", "Music", Sound);
  Random = t.ReadBool("Default", "Random", Random);
  Duration = t.ReadInteger("Default", "Duration", Duration);
  Transition = t.ReadBool("Default", "Transition", Transition);
  TransitionTime = t.ReadInteger("Default", "TransitionTime", TransitionTime);
  TransitionEffects = t.ReadString("Default", "TransitionEffects", TransitionEffects);
  Zoom = t.ReadBool("Default", "Zoom", Zoom);
  LivingZoom = t.ReadBool("Default", "LivingZoom", LivingZoom);
  ZoomDuration = t.ReadInteger("Default", "ZoomDuration", ZoomDuration);
  AutoWallpaper = t.ReadBool("Default", "AutoWallpaper", AutoWallpaper);
  Speed = t.ReadInteger("Default", "Speed", Speed);
  Animation = t.ReadBool("Default", "Animation", Animation);
  ShowImageMode = t.ReadInteger("Default", "ShowImageMode", ShowImageMode);
  DirectX = t.ReadBool("Default", "DirectX", DirectX);
  DirectXQuality = t.ReadInteger("Default", "DirectXQuality", DirectXQuality);

  MusicFile = t.ReadString("Advance", "MusicFile", MusicFile);
  MusicMode = t.ReadInteger("Advance", "MusicMode", MusicMode);
  PreviewFile = t.ReadString("Advance", "PreviewFile", PreviewFile);

  BuildMethod = t.ReadInteger("Build", "BuildMethod", BuildMethod);
  BuildFileName = t.ReadString("Build", "BuildFileName", BuildFileName);
  BuildSmallThumbs = t.ReadBool("Build", "BuildSmallThumbs", true);
  BuildIcon = t.ReadString("Build", "BuildIcon", BuildIcon);
  BuildInstall = t.ReadString("Build", "BuildInstall", BuildInstall);
  CustomIcon = t.ReadBool("Build", "CustomIcon", false);
}

void TMpCSetting::ReadFile(const std::string& path) { Read(ReadProjectText(path)); }

void TUISetting::Read(const IniFile& text) { UIFile = text.ReadString("UI", "UIFile", ""); }

void TUISetting::ReadFile(const std::string& path) { Read(ReadProjectText(path)); }

void TMpCProject::LoadSettingsContainer(const std::string& path, const std::string& scratchFolder) {
  SectionMarker marker = FindSectionMarker(path);
  const bool readable = marker.found && (marker.entryCount == 3 || marker.entryCount == 4);
  // "Mp" + the container's name up to and including its last "." + "~N.tmp".
  std::string base = BareFileName(path);
  size_t dot = base.rfind('.');
  std::string stem = "Mp" + (dot == std::string::npos ? base + "." : base.substr(0, dot + 1));
  std::string folder = scratchFolder.empty() ? DirectoryOf(path) : WithTrailingSeparator(scratchFolder);
  const std::vector<std::string> texts = {folder + stem + "~1.tmp", folder + stem + "~2.tmp",
                                          folder + stem + "~3.tmp"};
  for (const std::string& t : texts) RemoveFile(t);
  if (readable) ExtractEntries(path, texts);
  // The readers run either way: missing texts give an empty list and the defaults.
  fileList.ReadFile(texts[0]);
  setting.ReadFile(texts[1]);
  uiSetting.ReadFile(texts[2]);
  for (const std::string& t : texts) RemoveFile(t);
}

}  // namespace tp
