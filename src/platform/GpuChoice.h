#pragma once
// Whether a display draws moving views on the GPU, from the renderer the desktop's OpenGL
// names and the TIDEPOOL_GL setting ("0" never, "1" even on a software renderer).
#include <string>

namespace tp {

struct GpuChoice {
  bool use = false;
  std::string reason;  // what the event log says: the renderer, or why not
};

// renderer: GL_RENDERER of a context the desktop gave, empty when it gave none.
// setting: the value of TIDEPOOL_GL, or null when unset.
GpuChoice ChooseGpu(const std::string& renderer, const char* setting);

// True for Mesa's software rasterisers, which draw on the CPU and cost more than our own
// CPU path does.
bool IsSoftwareRenderer(const std::string& renderer);

}  // namespace tp
