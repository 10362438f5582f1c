// Mode C: the configuration window.
#include "app/RunModes.h"

#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "project/ProjectLoader.h"
#include "project/UserSettings.h"

namespace tp {

void RunConfiguration(AppState& state) {
  if (!PrepareProject(state)) {
    CurrentPlatform().messageBoxes().Show(MessageKind::Info, kNoProjectMessage);
    return;
  }
  // The configuration window built from the form "MainWindow" is shown modally here.
  RemoveUnpackedProject(state.project);
}

}  // namespace tp
