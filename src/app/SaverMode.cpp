// Mode S: the full-screen show.
#include "app/RunModes.h"

#include "animation/ObjectFiles.h"
#include "core/Paths.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "project/ProjectLoader.h"
#include "project/UserSettings.h"
#include "saver/MpfmScrSvr.h"

namespace tp {

SaverProject MakeSaverProject(const TMpCProject& project) {
  SaverProject out;
  out.pictures = project.fileList.pictures;
  out.selected = project.fileList.selected;
  const TMpCSetting& s = project.setting;
  TRunSettings& r = out.settings;
  r.stretch = s.Stretch;
  r.proportional = s.Proportional;
  r.advance = s.Random;
  r.displayTime = s.Duration;
  r.speed = s.Speed;
  r.orderMode = s.ShowImageMode;
  r.transition = s.Transition;
  r.transitionTime = s.TransitionTime;
  r.transitionEffects = s.TransitionEffects;
  r.sound = s.Sound;
  r.music = s.Music;
  r.musicFile = s.MusicFile;
  r.musicMode = s.MusicMode;
  r.directX = s.DirectX;
  r.directXQuality = s.DirectXQuality;
  out.extractionFolder = ExtractionFolderPath();
  out.commonFolder = CommonFolder();
  out.programFolder = WithTrailingSeparator(DirectoryOf(ExecutablePath()));
  return out;
}

DisplayOptions SaverDisplayOptions(const AppOptions& options, const TMpCProject& project) {
  DisplayOptions display;
  display.title = project.setting.ProductName;
  display.fullScreen = !options.window;
  display.allScreens = options.allScreens;
  return display;
}

namespace {

void ShowSaver(AppState& state) {
  TMpCFileList& files = state.project.fileList;
  if (files.Count() == 0) {
    CurrentPlatform().messageBoxes().Show(MessageKind::Info, kNoImageMessage);
    return;
  }
  files.SelectAll(true);
  ApplyUserSettings(state.project);

  const SaverProject project = MakeSaverProject(state.project);
  SetObjectCommonFolder(project.commonFolder);
  TMpfmScrSvr window(project, CurrentPlatform(), SaverDisplayOptions(state.options, state.project));
  window.ShowModal();
}

}  // namespace

void RunSaver(AppState& state) {
  WithUnpackedProject(state, [&] { ShowSaver(state); });
}

}  // namespace tp
