#include "platform/headless/FramePng.h"

#include <stdexcept>

#include "imaging/ImageWriter.h"

namespace tp {

bool WriteFramePng(const Bitmap32& frame, const std::string& path) {
  if (frame.empty()) return false;
  try {
    // Frame dumps are many and large; speed matters more than size.
    WritePngFile(frame, path, false, true);
    return true;
  } catch (const std::runtime_error&) {
    return false;
  }
}

}  // namespace tp
