#include "app/PreviewMode.h"

#include "app/PreviewDrawing.h"
#include "app/RunModes.h"
#include "platform/EventLog.h"
#include "platform/TerminationSignals.h"
#include "project/ProjectLoader.h"

namespace tp {

void RunPreview(const std::string& handleArgument, const std::function<std::string()>& prepare,
                const std::function<void()>& removeUnpacked) {
  struct RemoveOnExit {
    const std::function<void()>& remove;
    ~RemoveOnExit() {
      if (remove) remove();
    }
  } cleanUp{removeUnpacked};

  const std::string previewPath = prepare ? prepare() : std::string();
  if (TerminationRequested()) return;
  if (previewPath.empty()) {
    LogEvent("preview-none");
    return;
  }
  DrawPreview(previewPath, handleArgument);
}

void RunPreviewMode(AppState& state) {
  RunPreview(
      state.options.handleArgument,
      [&] { return PrepareProject(state) ? state.project.setting.PreviewFile : std::string(); },
      // Also after an error in the middle of unpacking.
      [&] { RemoveUnpackedProject(state.project); });
}

}  // namespace tp
