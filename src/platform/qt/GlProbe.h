#pragma once
// What OpenGL the desktop offers, asked once before a window depends on it.
#include <string>

namespace tp {

// GL_RENDERER of a context made on an offscreen surface; empty when the desktop makes none.
std::string ProbeGlRenderer();

}  // namespace tp
