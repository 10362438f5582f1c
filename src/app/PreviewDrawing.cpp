#include "app/PreviewDrawing.h"

#include <stdexcept>

#include "imaging/import/ImageLoader.h"
#include "platform/EventLog.h"
#include "platform/TerminationSignals.h"
#include "platform/x11/ForeignWindow.h"
#include "platform/x11/WindowId.h"

namespace tp {

void DrawPreview(const std::string& previewPath, const std::string& handleArgument) {
  const auto id = ParseWindowId(handleArgument);
  if (!id) throw std::runtime_error("not a window handle: \"" + handleArgument + "\"");
  // Decoded before the wait, so a bad file is reported without touching the window.
  const Bitmap32 picture = LoadJpegFile(previewPath);

  ForeignWindow host(*id);
  if (!host.WaitUntilViewable(kPreviewWaitLimit, kPreviewWaitPause)) {
    if (TerminationRequested()) return;  // ended by a signal while waiting: nothing drawn
    throw std::runtime_error("the host window " + handleArgument +
                             " did not become visible within 10 seconds");
  }
  host.DrawStretched(picture);
  LogEvent("preview", std::to_string(host.id()) + " " + std::to_string(host.width()) + "x" +
                          std::to_string(host.height()));
}

}  // namespace tp
