#include "app/RunModes.h"

#include <cstdio>

#include "core/FileSystem.h"
#include "platform/EventLog.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/TerminationSignals.h"
#include "project/ProjectLoader.h"
#include "project/UserSettings.h"

namespace tp {

RunMode SelectRunMode(const std::string& s) {
  auto is = [&](char letter) {
    const std::string one(1, letter);
    return s == "/" + one || s == "-" + one || s == one;
  };
  if (is('A')) return RunMode::Password;
  if (is('S')) return RunMode::Saver;
  if (s.empty() || is('C')) return RunMode::Configuration;
  if (is('P')) return RunMode::Preview;
  return RunMode::None;
}

bool PrepareProject(AppState& state) {
  state.projectFound = UnpackProject(state.project, SaverPath());
  if (!state.projectFound) return false;
  const std::string& ui = state.project.uiSetting.UIFile;
  // A missing or damaged UI description leaves the forms read so far; the show itself
  // does not need them.
  std::string probe;
  if (FileExists(ui) && ReadFile(ui, probe) && !probe.empty()) {
    try {
      state.forms.LoadUiDescription(ui);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tidepool: UI description: %s\n", e.what());
    }
  }
  return true;
}

void WithUnpackedProject(AppState& state, const std::function<void()>& mode) {
  // The unpacked project goes whatever happens from here on: an error while unpacking,
  // a signal, the mode's own end.
  struct RemoveOnExit {
    TMpCProject& project;
    ~RemoveOnExit() { RemoveUnpackedProject(project); }
  } cleanUp{state.project};
  if (!PrepareProject(state)) {
    CurrentPlatform().messageBoxes().Show(MessageKind::Info, kNoProjectMessage);
    return;
  }
  // Asked to end while unpacking: nothing is shown.
  if (TerminationRequested()) return;
  mode();
}

void ChangePassword(AppState& /*state*/) {}

}  // namespace tp
