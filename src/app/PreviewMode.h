#pragma once
// Mode P: the project's preview picture drawn once into the host's window.
#include <functional>
#include <string>

namespace tp {

// prepare unpacks the project and gives its preview picture path ("" when the project
// has none); removeUnpacked deletes what prepare unpacked. With a path, the picture is
// drawn stretched over the host window named by handleArgument (DrawPreview). The
// unpacked files are removed before RunPreview returns or throws, so a preview leaves no
// extraction folder behind. Errors of the drawing (bad handle, no window, unreadable
// JPEG) are thrown on after the clean-up.
void RunPreview(const std::string& handleArgument, const std::function<std::string()>& prepare,
                const std::function<void()>& removeUnpacked);

}  // namespace tp
