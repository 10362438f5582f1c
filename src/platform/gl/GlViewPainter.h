#pragma once
// Draws the show with OpenGL into the current framebuffer: the screen bitmap as presented
// last, or a view of a moving picture over its fill with its caption. The screen's W x H
// pixels are fitted into the framebuffer keeping their shape. Everything it makes belongs
// to the context current at Init, which must be current for every call.
#include <memory>
#include <string>

#include "imaging/Bitmap32.h"
#include "platform/MovingPicture.h"
#include "platform/PictureView.h"

namespace tp {

struct GlFunctions;
using GlResolver = void* (*)(const char* name);

class GlViewPainter {
 public:
  GlViewPainter();
  ~GlViewPainter();

  // Looks the entry points up and builds the program. False when the context cannot draw
  // the show (an entry point or shaders missing, tiny textures).
  bool Init(GlResolver resolve);
  // Frees the textures and the program (the context current).
  void Release();
  // GL_RENDERER of the current context (after Init).
  std::string Renderer() const;

  // Uploads a moving picture (the picture with its mipmaps, the fill, the caption). False
  // when it is larger than the context's textures can hold; nothing of it is kept then.
  bool SetPicture(const MovingPicture& picture);
  // Rows y0..y1 of the screen bitmap changed (the whole bitmap when its size did).
  void UpdateScreen(const Bitmap32& screen, int y0, int y1);

  // framebufferWidth x framebufferHeight device pixels; the screen is W x H.
  void DrawScreen(int W, int H, int framebufferWidth, int framebufferHeight);
  void DrawView(const PictureView& view, int W, int H, int framebufferWidth, int framebufferHeight);

  // The current framebuffer's bottom-left W x H pixels, upright, as a bitmap.
  void ReadPixels(int W, int H, Bitmap32& out);

 private:
  struct Texture {
    unsigned id = 0;
    int width = 0, height = 0;
  };
  bool Upload(Texture& texture, const Bitmap32& bitmap, bool mipmaps);
  void Free(Texture& texture);
  // The screen fitted into the framebuffer, the rest black; the program bound.
  void Begin(int W, int H, int framebufferWidth, int framebufferHeight);
  // A textured rectangle in screen pixels, from texture coordinates (u0, v0)-(u1, v1).
  void Quad(const Texture& texture, double x, double y, double w, double h, double u0, double v0, double u1,
            double v1, bool opaque, bool smooth);

  std::unique_ptr<GlFunctions> gl_;
  unsigned program_ = 0;
  int screenSizeAt_ = -1, opaqueAt_ = -1, pictureAt_ = -1;  // uniform locations
  int maxTextureSize_ = 0;
  Texture screen_, picture_, background_, caption_;
  int originalWidth_ = 0, originalHeight_ = 0;
  int captionX_ = 0, captionY_ = 0;
};

}  // namespace tp
