#include "platform/qt/GlViewPainter.h"

#include <algorithm>
#include <vector>

#include "imaging/LetterboxStretch.h"

namespace tp {
namespace {

// Positions in screen pixels (top-left origin). Bitmaps are uploaded as they lie in memory,
// so a texel's red holds the pixel's blue: the fragment shader turns them back.
const char* const kVertexShader = R"(
attribute vec2 position;
attribute vec2 texturePosition;
uniform vec2 screenSize;
varying vec2 at;
void main() {
  at = texturePosition;
  gl_Position = vec4(position.x / screenSize.x * 2.0 - 1.0, 1.0 - position.y / screenSize.y * 2.0, 0.0, 1.0);
}
)";

const char* const kFragmentShader = R"(
#ifdef GL_ES
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
#endif
uniform sampler2D picture;
uniform float opaque;
varying vec2 at;
void main() {
  vec4 c = texture2D(picture, at);
  gl_FragColor = vec4(c.b, c.g, c.r, max(c.a, opaque));
}
)";

}  // namespace

bool GlViewPainter::Init() {
  initializeOpenGLFunctions();
  if (!hasOpenGLFeature(QOpenGLFunctions::Shaders) || !hasOpenGLFeature(QOpenGLFunctions::NPOTTextures)) return false;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
  if (maxTextureSize_ < 64) return false;
  program_ = std::make_unique<QOpenGLShaderProgram>();
  program_->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader);
  program_->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader);
  program_->bindAttributeLocation("position", 0);
  program_->bindAttributeLocation("texturePosition", 1);
  if (!program_->link()) {
    program_.reset();
    return false;
  }
  return true;
}

void GlViewPainter::Release() {
  for (Texture* t : {&screen_, &picture_, &background_, &caption_}) Free(*t);
  program_.reset();
}

void GlViewPainter::Free(Texture& texture) {
  if (texture.id) glDeleteTextures(1, &texture.id);
  texture = {};
}

bool GlViewPainter::Upload(Texture& texture, const Bitmap32& bitmap, bool mipmaps) {
  Free(texture);
  if (bitmap.empty()) return true;
  if (bitmap.width() > maxTextureSize_ || bitmap.height() > maxTextureSize_) return false;
  glGenTextures(1, &texture.id);
  glBindTexture(GL_TEXTURE_2D, texture.id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, bitmap.width(), bitmap.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
               bitmap.scanline(0));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  // A view larger than the screen shrinks the picture: mipmaps keep it from aliasing.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  if (mipmaps) glGenerateMipmap(GL_TEXTURE_2D);
  texture.width = bitmap.width();
  texture.height = bitmap.height();
  return glGetError() == GL_NO_ERROR;
}

bool GlViewPainter::SetPicture(const MovingPicture& p) {
  while (glGetError() != GL_NO_ERROR) {
  }
  static const Bitmap32 kNone;
  const bool ok = p.picture && p.originalWidth > 0 && p.originalHeight > 0 && Upload(picture_, *p.picture, true) &&
                  Upload(background_, p.background ? *p.background : kNone, false) &&
                  Upload(caption_, p.caption ? *p.caption : kNone, false);
  if (!ok) {
    for (Texture* t : {&picture_, &background_, &caption_}) Free(*t);
    return false;
  }
  originalWidth_ = p.originalWidth;
  originalHeight_ = p.originalHeight;
  captionX_ = p.captionX;
  captionY_ = p.captionY;
  return true;
}

void GlViewPainter::UpdateScreen(const Bitmap32& screen, int y0, int y1) {
  y0 = std::clamp(y0, 0, screen.height());
  y1 = std::clamp(y1, y0, screen.height());
  if (screen.empty()) return;
  if (screen_.width != screen.width() || screen_.height != screen.height()) {
    Upload(screen_, screen, false);
    return;
  }
  if (y1 <= y0) return;
  glBindTexture(GL_TEXTURE_2D, screen_.id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y0, screen.width(), y1 - y0, GL_RGBA, GL_UNSIGNED_BYTE, screen.scanline(y0));
}

void GlViewPainter::Begin(int W, int H, int fw, int fh) {
  glViewport(0, 0, fw, fh);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_DEPTH_TEST);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  const Rect fit = FitKeepingShape(W, H, fw, fh);
  glViewport(fit.left, fh - fit.bottom, fit.width(), fit.height());
  program_->bind();
  program_->setUniformValue("screenSize", float(W), float(H));
  program_->setUniformValue("picture", 0);
  glActiveTexture(GL_TEXTURE0);
}

void GlViewPainter::Quad(const Texture& texture, double x, double y, double w, double h, double u0, double v0,
                         double u1, double v1, bool opaque, bool smooth) {
  if (!texture.id) return;
  const GLfloat positions[] = {GLfloat(x), GLfloat(y), GLfloat(x + w), GLfloat(y),
                               GLfloat(x), GLfloat(y + h), GLfloat(x + w), GLfloat(y + h)};
  const GLfloat at[] = {GLfloat(u0), GLfloat(v0), GLfloat(u1), GLfloat(v0),
                        GLfloat(u0), GLfloat(v1), GLfloat(u1), GLfloat(v1)};
  glBindTexture(GL_TEXTURE_2D, texture.id);
  if (!smooth) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  }
  program_->setUniformValue("opaque", opaque ? 1.0f : 0.0f);
  if (opaque) {
    glDisable(GL_BLEND);
  } else {
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);  // captions are premultiplied
  }
  program_->enableAttributeArray(0);
  program_->enableAttributeArray(1);
  program_->setAttributeArray(0, GL_FLOAT, positions, 2);
  program_->setAttributeArray(1, GL_FLOAT, at, 2);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  program_->disableAttributeArray(0);
  program_->disableAttributeArray(1);
  if (!smooth) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  }
}

void GlViewPainter::DrawScreen(int W, int H, int fw, int fh) {
  if (!program_ || W <= 0 || H <= 0) return;
  Begin(W, H, fw, fh);
  // One texel per device pixel when the framebuffer is the screen's size: exact.
  Quad(screen_, 0, 0, W, H, 0, 0, 1, 1, true, fw != W || fh != H);
}

void GlViewPainter::DrawView(const PictureView& view, int W, int H, int fw, int fh) {
  if (!program_ || W <= 0 || H <= 0) return;
  Begin(W, H, fw, fh);
  Quad(background_, 0, 0, W, H, 0, 0, 1, 1, true, fw != W || fh != H);
  // Views count in the file's pixels; texture coordinates are fractions of it.
  const double ow = originalWidth_, oh = originalHeight_;
  Quad(picture_, view.x, view.y, view.width, view.height, view.sourceX / ow, view.sourceY / oh,
       (view.sourceX + view.sourceWidth) / ow, (view.sourceY + view.sourceHeight) / oh, true, true);
  Quad(caption_, captionX_, captionY_, caption_.width, caption_.height, 0, 0, 1, 1, false, fw != W || fh != H);
}

void GlViewPainter::ReadPixels(int W, int H, Bitmap32& out) {
  if (W <= 0 || H <= 0) return;
  std::vector<uint8_t> rgba(size_t(W) * size_t(H) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  out.SetSizeUninitialized(W, H);
  for (int y = 0; y < H; ++y) {
    const uint8_t* from = rgba.data() + size_t(H - 1 - y) * size_t(W) * 4;  // bottom row first
    Pixel* to = out.scanline(y);
    for (int x = 0; x < W; ++x, from += 4) to[x] = MakePixel(from[0], from[1], from[2], 255);
  }
}

}  // namespace tp
