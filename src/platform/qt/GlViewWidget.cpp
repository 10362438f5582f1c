#include "platform/qt/GlViewWidget.h"

#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <algorithm>
#include <cmath>
#include <climits>

namespace tp {
namespace {

void* ResolveInCurrentContext(const char* name) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

GlViewWidget::GlViewWidget(QWidget* parent, const Bitmap32& screen) : QOpenGLWidget(parent), screen_(screen) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  dirtyBottom_ = INT_MAX;  // everything, once the context is there
}

GlViewWidget::~GlViewWidget() {
  // The context goes with the base class, after this object's members.
  if (context()) disconnect(context(), nullptr, this, nullptr);
  ContextLost();
}

void GlViewWidget::initializeGL() {
  if (ready_ || failed_) {
    // A second context (the widget moved to another window): what the first held is gone.
    ContextLost();
    return;
  }
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &GlViewWidget::ContextLost);
  ready_ = painter_.Init(&ResolveInCurrentContext);
  failed_ = !ready_;
}

void GlViewWidget::ContextLost() {
  if (ready_ && isValid()) {
    makeCurrent();
    painter_.Release();
    doneCurrent();
  }
  ready_ = false;
  failed_ = true;
}

bool GlViewWidget::Current() {
  if (failed_) return false;
  if (!isValid()) grabFramebuffer();  // makes the context of a widget not yet shown
  if (!isValid() || !ready_) return false;
  makeCurrent();
  return true;
}

void GlViewWidget::ScreenChanged(int y0, int y1) {
  dirtyTop_ = std::min(dirtyTop_, y0);
  dirtyBottom_ = std::max(dirtyBottom_, y1);
  showsView_ = false;
  update();
}

bool GlViewWidget::SetPicture(const MovingPicture& picture) {
  if (!Current()) return false;
  const bool ok = painter_.SetPicture(picture);
  doneCurrent();
  return ok;
}

void GlViewWidget::ShowView(const PictureView& view) {
  view_ = view;
  showsView_ = true;
  update();
}

bool GlViewWidget::ReadView(Bitmap32& out) {
  const int W = screen_.width(), H = screen_.height();
  if (W <= 0 || H <= 0 || !Current()) return false;
  QOpenGLFramebufferObject target(W, H);
  const bool bound = target.bind();
  if (bound) {
    painter_.DrawView(view_, W, H, W, H);
    painter_.ReadPixels(W, H, out);
    target.release();
  }
  doneCurrent();
  return bound;
}

void GlViewWidget::paintGL() {
  if (!ready_) return;
  if (!context()->isValid()) {
    ContextLost();
    return;
  }
  if (dirtyTop_ < dirtyBottom_) {
    painter_.UpdateScreen(screen_, dirtyTop_, std::min(dirtyBottom_, screen_.height()));
    dirtyTop_ = INT_MAX;
    dirtyBottom_ = 0;
  }
  const double ratio = devicePixelRatioF();
  const int fw = std::max(1, int(std::lround(width() * ratio))), fh = std::max(1, int(std::lround(height() * ratio)));
  if (showsView_) painter_.DrawView(view_, screen_.width(), screen_.height(), fw, fh);
  else painter_.DrawScreen(screen_.width(), screen_.height(), fw, fh);
}

}  // namespace tp
