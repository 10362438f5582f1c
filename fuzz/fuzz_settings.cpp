// The project's settings texts and the user settings file: any text reads into the
// project (file list, settings, UI settings, build information) and lays over it as the
// user's file without breaking the project's invariants.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/IniFile.h"
#include "FuzzSupport.h"
#include "project/PackagedPicture.h"
#include "project/ProjectSettings.h"
#include "project/RunContext.h"
#include "project/UserSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const tp::IniFile ini = tp::IniFile::Parse(text);
  tp::TMpCProject project;
  project.fileList.Read(ini);
  project.setting.Read(ini);
  project.uiSetting.Read(ini);
  if (project.fileList.pictures.size() != project.fileList.selected.size()) __builtin_trap();
  (void)tp::ParseExtraInfo(text);

  // The same bytes as the user settings file beside a saver.
  tp::CurrentRun().saverPath = tp::fuzz::ScratchFolder() + "Fuzz.scr";
  tp::CurrentRun().firstArgument = "/S";
  tp::fuzz::InputFile("Fuzz.ini", data, size);
  tp::ApplyUserSettings(project);
  if (project.fileList.pictures.size() != project.fileList.selected.size()) __builtin_trap();
  tp::UserSettingsValues values;
  tp::ReadUserSettings(project, values);
  tp::ReadDeselectedPictures(project.fileList);
  (void)tp::ReadSinglePictureIndex();
  // Writing keeps the file readable and holds what was written.
  tp::WriteUserSettings(values);
  tp::UserSettingsValues back;
  tp::ReadUserSettings(project, back);
  if (back.Duration != values.Duration || back.Speed != values.Speed || back.MusicList != values.MusicList)
    __builtin_trap();
  return 0;
}
