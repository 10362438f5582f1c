#pragma once
// Animated GIF support: the decoded images of a GIF (indices, colour maps, graphic
// control data) and an animator that composes them onto a canvas with their disposal
// methods and transparency. Frames are shown as viewers show them: an image without a
// graphic control extension belongs to the shown frame of the next image that has one
// (the last frame when none follows), so a picture built of several such images (tiles of
// a high-colour GIF) appears whole. A GIF87a file has no control extensions at all: each
// of its images is a frame of its own, as viewers show such animations. Threading is the caller's: the animator is a plain
// object driven from one thread.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/Bitmap32.h"
#include "imaging/ImageError.h"

namespace tp {

enum class GifDisposal : uint8_t {
  None = 0,               // not specified: leave the frame in place
  DoNotDispose = 1,       // leave the frame in place
  RestoreBackground = 2,  // clear the frame's rectangle to the background
  RestorePrevious = 3,    // restore what was under the frame
};

// One image of the GIF (a width or height of 0 is allowed and draws nothing).
struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;  // within the logical screen
  std::vector<uint8_t> indices;                  // width * height colour indices, top-down
  std::vector<Pixel> colorMap;  // local map (0xFFRRGGBB entries) or empty: use the global one
  bool interlaced = false;      // as stored; indices are already de-interlaced
  // Graphic control extension (defaults when absent or unreadable).
  bool hasControl = false;  // a control extension came before the image
  bool transparent = false;
  int transparentIndex = -1;
  GifDisposal disposal = GifDisposal::None;
  int delayMs = 0;  // as stored: hundredths of a second * 10
};

class GifImage {
 public:
  // Decodes all images; throws ImageDecodeError on bad data or a GIF with no image.
  static GifImage Decode(const uint8_t* data, size_t size);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<Pixel>& globalColorMap() const { return globalColorMap_; }
  int backgroundIndex() const { return backgroundIndex_; }
  // The file says "GIF87a": a version without graphic control extensions.
  bool isGif87a() const { return gif87a_; }
  std::vector<GifFrame>& frames() { return frames_; }
  const std::vector<GifFrame>& frames() const { return frames_; }

  // Index of the first global colour-map entry whose red, green and blue equal color's
  // (the fourth byte is ignored); -1 when there is none.
  int FindGlobalColor(Pixel color) const;
  // The colour map a frame uses (its own, else the global one; may be empty).
  const std::vector<Pixel>& ColorMapOf(const GifFrame& frame) const;

 private:
  int width_ = 0, height_ = 0;
  int backgroundIndex_ = 0;
  bool gif87a_ = false;
  std::vector<Pixel> globalColorMap_;
  std::vector<GifFrame> frames_;
};

// Composes shown frames onto a canvas of the GIF's size. Transparent pixels leave the
// canvas as it is; "restore background" clears a frame's rectangle to the clear colour
// given at construction (transparent black by default); "restore previous" puts back the
// pixels that were under the frame.
class GifAnimator {
 public:
  explicit GifAnimator(const GifImage& gif, Pixel clearColor = 0);

  // Clears the canvas to the clear colour and restarts at frame 0.
  void Reset(Bitmap32& canvas);
  // Draws the images of the next shown frame onto canvas (sized to the GIF on first use),
  // each after disposing of the image before it as that one asked, and returns the index
  // of the frame drawn. After the last frame the animation starts over at frame 0
  // (canvas cleared).
  size_t DrawNextFrame(Bitmap32& canvas);
  // Delay of shown frame i in milliseconds as stored (its control extension's).
  int DelayMs(size_t i) const;
  // Shown frames (at least 1 when the GIF has an image).
  size_t frameCount() const { return frameEnd_.size(); }
  size_t nextFrame() const { return next_; }

 private:
  void DrawFrame(const GifFrame& f, Bitmap32& canvas);
  void Dispose(Bitmap32& canvas);

  const GifImage* gif_;
  Pixel clear_;
  std::vector<size_t> frameEnd_;      // last image of each shown frame
  std::vector<size_t> frameControl_;  // the image whose control data times each shown frame
  size_t next_ = 0;                   // next shown frame
  bool havePrevious_ = false;
  size_t previous_ = 0;               // image drawn last
  Bitmap32 saved_;  // pixels under the previous frame, for RestorePrevious
};

// The first frame composed on a transparent canvas (0x00000000), opaque pixels 0xFF.
Bitmap32 RenderGifFirstFrame(const GifImage& gif);

}  // namespace tp
