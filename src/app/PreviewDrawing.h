#pragma once
// Mode P's drawing: the preview picture stretched once over a host window.
#include <chrono>
#include <string>

namespace tp {

// How long mode P waits for the host window to become viewable, and the pause between
// the checks.
inline constexpr std::chrono::milliseconds kPreviewWaitLimit{10000};
inline constexpr std::chrono::milliseconds kPreviewWaitPause{50};

// Draws the JPEG file stretched over the whole host window named by handleArgument
// (decimal, or hex with 0x), ignoring the picture's aspect ratio, once the window is
// viewable. Throws std::runtime_error when the handle is not a window id, the window does
// not exist or is not viewable within kPreviewWaitLimit, or the file is not a readable JPEG.
void DrawPreview(const std::string& previewPath, const std::string& handleArgument);

}  // namespace tp
