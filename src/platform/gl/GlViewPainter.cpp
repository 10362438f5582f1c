#include "platform/gl/GlViewPainter.h"

#include <algorithm>
#include <vector>

#include "imaging/LetterboxStretch.h"
#include "platform/gl/GlFunctions.h"

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

GlViewPainter::GlViewPainter() : gl_(std::make_unique<GlFunctions>()) {}
GlViewPainter::~GlViewPainter() = default;

namespace {

GLuint Compile(const GlFunctions& gl, GLenum kind, const char* source) {
  const GLuint shader = gl.CreateShader(kind);
  if (!shader) return 0;
  gl.ShaderSource(shader, 1, &source, nullptr);
  gl.CompileShader(shader);
  GLint ok = GL_FALSE;
  gl.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok != GL_TRUE) {
    gl.DeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

bool GlViewPainter::Init(GlResolver resolve) {
  if (!gl_->Load(resolve)) return false;
  const GlFunctions& gl = *gl_;
  gl.GetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
  if (maxTextureSize_ < 64) return false;
  const GLuint vertex = Compile(gl, GL_VERTEX_SHADER, kVertexShader);
  const GLuint fragment = Compile(gl, GL_FRAGMENT_SHADER, kFragmentShader);
  GLint linked = GL_FALSE;
  if (vertex && fragment) {
    program_ = gl.CreateProgram();
    gl.AttachShader(program_, vertex);
    gl.AttachShader(program_, fragment);
    gl.BindAttribLocation(program_, 0, "position");
    gl.BindAttribLocation(program_, 1, "texturePosition");
    gl.LinkProgram(program_);
    gl.GetProgramiv(program_, GL_LINK_STATUS, &linked);
  }
  if (vertex) gl.DeleteShader(vertex);  // kept by the program while it lives
  if (fragment) gl.DeleteShader(fragment);
  if (linked != GL_TRUE) {
    if (program_) gl.DeleteProgram(program_);
    program_ = 0;
    return false;
  }
  screenSizeAt_ = gl.GetUniformLocation(program_, "screenSize");
  opaqueAt_ = gl.GetUniformLocation(program_, "opaque");
  pictureAt_ = gl.GetUniformLocation(program_, "picture");
  return true;
}

std::string GlViewPainter::Renderer() const {
  const auto* name = gl_->GetString ? reinterpret_cast<const char*>(gl_->GetString(GL_RENDERER)) : nullptr;
  std::string renderer = name ? name : "";
  if (renderer.size() > 200) renderer.resize(200);  // it goes to the event log
  return renderer;
}

void GlViewPainter::Release() {
  if (!program_) return;
  for (Texture* t : {&screen_, &picture_, &background_, &caption_}) Free(*t);
  gl_->DeleteProgram(program_);
  program_ = 0;
}

void GlViewPainter::Free(Texture& texture) {
  if (texture.id) gl_->DeleteTextures(1, &texture.id);
  texture = {};
}

bool GlViewPainter::Upload(Texture& texture, const Bitmap32& bitmap, bool mipmaps) {
  Free(texture);
  if (bitmap.empty()) return true;
  if (bitmap.width() > maxTextureSize_ || bitmap.height() > maxTextureSize_) return false;
  gl_->GenTextures(1, &texture.id);
  gl_->BindTexture(GL_TEXTURE_2D, texture.id);
  gl_->PixelStorei(GL_UNPACK_ALIGNMENT, 4);
  gl_->TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, bitmap.width(), bitmap.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
               bitmap.scanline(0));
  gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  // A view larger than the screen shrinks the picture: mipmaps keep it from aliasing.
  gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  if (mipmaps) gl_->GenerateMipmap(GL_TEXTURE_2D);
  texture.width = bitmap.width();
  texture.height = bitmap.height();
  return gl_->GetError() == GL_NO_ERROR;
}

bool GlViewPainter::SetPicture(const MovingPicture& p) {
  if (!program_) return false;
  for (int i = 0; i < 16 && gl_->GetError() != GL_NO_ERROR; ++i) {
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
  if (!program_) return;
  y0 = std::clamp(y0, 0, screen.height());
  y1 = std::clamp(y1, y0, screen.height());
  if (screen.empty()) return;
  if (screen_.width != screen.width() || screen_.height != screen.height()) {
    Upload(screen_, screen, false);
    return;
  }
  if (y1 <= y0) return;
  gl_->BindTexture(GL_TEXTURE_2D, screen_.id);
  gl_->PixelStorei(GL_UNPACK_ALIGNMENT, 4);
  gl_->TexSubImage2D(GL_TEXTURE_2D, 0, 0, y0, screen.width(), y1 - y0, GL_RGBA, GL_UNSIGNED_BYTE, screen.scanline(y0));
}

void GlViewPainter::Begin(int W, int H, int fw, int fh) {
  gl_->Viewport(0, 0, fw, fh);
  gl_->Disable(GL_SCISSOR_TEST);
  gl_->Disable(GL_DEPTH_TEST);
  gl_->ClearColor(0, 0, 0, 1);
  gl_->Clear(GL_COLOR_BUFFER_BIT);
  const Rect fit = FitKeepingShape(W, H, fw, fh);
  gl_->Viewport(fit.left, fh - fit.bottom, fit.width(), fit.height());
  gl_->UseProgram(program_);
  gl_->Uniform2f(screenSizeAt_, float(W), float(H));
  gl_->Uniform1i(pictureAt_, 0);
  gl_->ActiveTexture(GL_TEXTURE0);
}

void GlViewPainter::Quad(const Texture& texture, double x, double y, double w, double h, double u0, double v0,
                         double u1, double v1, bool opaque, bool smooth) {
  if (!texture.id) return;
  const GLfloat positions[] = {GLfloat(x), GLfloat(y), GLfloat(x + w), GLfloat(y),
                               GLfloat(x), GLfloat(y + h), GLfloat(x + w), GLfloat(y + h)};
  const GLfloat at[] = {GLfloat(u0), GLfloat(v0), GLfloat(u1), GLfloat(v0),
                        GLfloat(u0), GLfloat(v1), GLfloat(u1), GLfloat(v1)};
  gl_->BindTexture(GL_TEXTURE_2D, texture.id);
  if (!smooth) {
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  }
  gl_->Uniform1f(opaqueAt_, opaque ? 1.0f : 0.0f);
  if (opaque) {
    gl_->Disable(GL_BLEND);
  } else {
    gl_->Enable(GL_BLEND);
    gl_->BlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);  // captions are premultiplied
  }
  gl_->EnableVertexAttribArray(0);
  gl_->EnableVertexAttribArray(1);
  gl_->VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, positions);
  gl_->VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, at);
  gl_->DrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  gl_->DisableVertexAttribArray(0);
  gl_->DisableVertexAttribArray(1);
  if (!smooth) {
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
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
  if (!program_ || W <= 0 || H <= 0) return;
  std::vector<uint8_t> rgba(size_t(W) * size_t(H) * 4);
  gl_->PixelStorei(GL_PACK_ALIGNMENT, 4);
  gl_->ReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  out.SetSizeUninitialized(W, H);
  for (int y = 0; y < H; ++y) {
    const uint8_t* from = rgba.data() + size_t(H - 1 - y) * size_t(W) * 4;  // bottom row first
    Pixel* to = out.scanline(y);
    for (int x = 0; x < W; ++x, from += 4) to[x] = MakePixel(from[0], from[1], from[2], 255);
  }
}

}  // namespace tp
