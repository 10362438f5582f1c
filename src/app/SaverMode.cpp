// Mode S: the full-screen show.
#include "app/RunModes.h"

#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "project/ProjectLoader.h"
#include "project/UserSettings.h"

namespace tp {

void RunSaver(AppState& state) {
  if (!PrepareProject(state)) {
    CurrentPlatform().messageBoxes().Show(MessageKind::Info, kNoProjectMessage);
    return;
  }
  TMpCFileList& files = state.project.fileList;
  if (files.Count() == 0) {
    CurrentPlatform().messageBoxes().Show(MessageKind::Info, kNoImageMessage);
  } else {
    files.SelectAll(true);
    ApplyUserSettings(state.project);
    // The saver window is shown modally here.
  }
  RemoveUnpackedProject(state.project);
}

}  // namespace tp
