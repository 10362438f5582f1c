#include "platform/GpuChoice.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace tp {

bool IsSoftwareRenderer(const std::string& renderer) {
  std::string lower(renderer);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  for (std::string_view soft : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "lavapipe"})
    if (lower.find(soft) != std::string::npos) return true;
  return false;
}

GpuChoice ChooseGpu(const std::string& renderer, const char* setting) {
  const std::string_view value = setting ? setting : "";
  if (value == "0") return {false, "off (TIDEPOOL_GL=0)"};
  if (renderer.empty()) return {false, "off (no OpenGL)"};
  if (IsSoftwareRenderer(renderer) && value != "1") return {false, "off (software renderer " + renderer + ")"};
  return {true, renderer};
}

}  // namespace tp
