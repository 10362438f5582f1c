#include "platform/qt/GlProbe.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace tp {

std::string ProbeGlRenderer() {
  QOpenGLContext context;
  if (!context.create()) return {};
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!surface.isValid() || !context.makeCurrent(&surface)) return {};
  const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
  std::string renderer = name ? name : "";
  context.doneCurrent();
  // Bounded: the name goes to the event log.
  if (renderer.size() > 200) renderer.resize(200);
  return renderer;
}

}  // namespace tp
