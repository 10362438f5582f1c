// GIF decoding through giflib's record-level reader (so every frame's size is checked
// before its pixels are allocated) and the frame composer.
#include "imaging/import/GifAnimation.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <gif_lib.h>

#include "imaging/import/ImageLoader.h"
#include "imaging/Rect.h"

namespace tp {

namespace {

constexpr long long kMaxGifPixels = 64LL * 1024 * 1024;     // one frame or the screen
constexpr long long kMaxGifTotalBytes = 256LL * 1024 * 1024;  // all frames' indices

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int n) {
  auto* r = static_cast<MemoryReader*>(gif->UserData);
  const size_t take = std::min(size_t(n > 0 ? n : 0), r->size - r->pos);
  std::memcpy(out, r->data + r->pos, take);
  r->pos += take;
  return int(take);
}

std::vector<Pixel> ConvertMap(const ColorMapObject* map) {
  std::vector<Pixel> out;
  if (!map || !map->Colors || map->ColorCount <= 0) return out;
  out.reserve(size_t(map->ColorCount));
  for (int i = 0; i < map->ColorCount; ++i)
    out.push_back(MakePixel(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue, 255));
  return out;
}

struct GifCloser {
  void operator()(GifFileType* g) const {
    int err = 0;
    DGifCloseFile(g, &err);
  }
};

[[noreturn]] void Fail(const std::string& what) { throw ImageDecodeError("Corrupt GIF: " + what); }

}  // namespace

GifImage GifImage::Decode(const uint8_t* data, size_t size) {
  if (!data || size < 13) Fail("too short");
  MemoryReader reader{data, size, 0};
  int err = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadFromMemory, &err));
  if (!gif) Fail(GifErrorString(err) ? GifErrorString(err) : "cannot open");
  GifImage img;
  img.width_ = gif->SWidth;
  img.height_ = gif->SHeight;
  img.backgroundIndex_ = gif->SBackGroundColor;
  img.globalColorMap_ = ConvertMap(gif->SColorMap);
  img.gif87a_ = std::memcmp(data, "GIF87a", 6) == 0;

  GifFrame pendingControl;  // graphic control data for the next image
  bool haveControl = false;
  long long totalBytes = 0;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
      if (!img.frames_.empty()) break;  // keep the frames read before damage
      Fail("bad record");
    }
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) {
        if (!img.frames_.empty()) break;
        Fail("bad extension");
      }
      GraphicsControlBlock gcb{};
      if (code == GRAPHICS_EXT_FUNC_CODE) {
        // giflib fills the block only for the standard 4-byte extension; another length
        // still marks a control extension, with default values.
        pendingControl = GifFrame{};
        if (ext && DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK) {
          pendingControl.disposal = GifDisposal(std::clamp(gcb.DisposalMode, 0, 3));
          pendingControl.delayMs = gcb.DelayTime * 10;
          pendingControl.transparentIndex = gcb.TransparentColor;
          pendingControl.transparent = gcb.TransparentColor != NO_TRANSPARENT_COLOR;
        }
        haveControl = true;
      }
      while (ext) {
        if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) {
          ext = nullptr;
          if (img.frames_.empty()) Fail("bad extension data");
        }
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
      if (!img.frames_.empty()) break;
      Fail("bad image descriptor");
    }
    const GifImageDesc& d = gif->Image;
    const long long pixels = static_cast<long long>(std::max(d.Width, 0)) * std::max(d.Height, 0);
    if (pixels > kMaxGifPixels || totalBytes + pixels > kMaxGifTotalBytes) {
      if (!img.frames_.empty()) break;
      Fail("bad frame size");
    }
    GifFrame f = haveControl ? pendingControl : GifFrame{};
    f.hasControl = haveControl;
    haveControl = false;
    pendingControl = GifFrame{};
    f.left = d.Left;
    f.top = d.Top;
    f.width = std::max(d.Width, 0);
    f.height = std::max(d.Height, 0);
    f.interlaced = d.Interlace;
    if (pixels == 0) {
      // An empty image: its data holds no pixels and is skipped; it still takes its
      // place (and its timing) in the animation.
      f.width = f.height = 0;
      int codeSize = 0;
      GifByteType* block = nullptr;
      bool ok = DGifGetCode(gif.get(), &codeSize, &block) != GIF_ERROR;
      while (ok && block) ok = DGifGetCodeNext(gif.get(), &block) != GIF_ERROR;
      img.frames_.push_back(std::move(f));
      if (!ok) break;
      continue;
    }
    f.colorMap = ConvertMap(d.ColorMap);
    f.indices.resize(size_t(pixels));
    // Interlaced frames come in four passes; rows go to their display positions.
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    bool ok = true;
    if (f.interlaced) {
      for (int pass = 0; pass < 4 && ok; ++pass)
        for (int y = kStart[pass]; y < f.height && ok; y += kStep[pass])
          ok = DGifGetLine(gif.get(), &f.indices[size_t(y) * size_t(f.width)], f.width) != GIF_ERROR;
    } else {
      for (int y = 0; y < f.height && ok; ++y)
        ok = DGifGetLine(gif.get(), &f.indices[size_t(y) * size_t(f.width)], f.width) != GIF_ERROR;
    }
    totalBytes += pixels;
    img.frames_.push_back(std::move(f));
    if (!ok) break;  // a truncated frame keeps the rows read so far (the rest index 0)
  }
  if (img.frames_.empty()) Fail("no frame");
  if (img.width_ <= 0 || img.height_ <= 0) {
    // A zero logical screen: take the first non-empty image's extent.
    for (const GifFrame& f : img.frames_) {
      if (f.width == 0) continue;
      img.width_ = f.left + f.width;
      img.height_ = f.top + f.height;
      break;
    }
    if (img.width_ <= 0 || img.height_ <= 0) Fail("no picture");
  }
  if (static_cast<long long>(img.width_) * img.height_ > kMaxGifPixels) Fail("screen too large");
  return img;
}

int GifImage::FindGlobalColor(Pixel color) const {
  for (size_t i = 0; i < globalColorMap_.size(); ++i)
    if ((globalColorMap_[i] & 0x00FFFFFFu) == (color & 0x00FFFFFFu)) return int(i);
  return -1;
}

const std::vector<Pixel>& GifImage::ColorMapOf(const GifFrame& frame) const {
  return frame.colorMap.empty() ? globalColorMap_ : frame.colorMap;
}

GifAnimator::GifAnimator(const GifImage& gif, Pixel clearColor) : gif_(&gif), clear_(clearColor) {
  const auto& images = gif.frames();
  for (size_t i = 0; i < images.size(); ++i) {
    if (!images[i].hasControl && !gif.isGif87a()) continue;
    frameEnd_.push_back(i);
    frameControl_.push_back(i);
  }
  // Images after the last control extension join the last frame (or make the only one).
  if (!images.empty() && (frameEnd_.empty() || frameEnd_.back() + 1 != images.size())) {
    if (frameEnd_.empty()) {
      frameEnd_.push_back(images.size() - 1);
      frameControl_.push_back(images.size() - 1);
    } else {
      frameEnd_.back() = images.size() - 1;
    }
  }
}

void GifAnimator::Reset(Bitmap32& canvas) {
  if (canvas.width() != gif_->width() || canvas.height() != gif_->height())
    canvas.SetSize(gif_->width(), gif_->height());
  canvas.Fill(clear_);
  next_ = 0;
  havePrevious_ = false;
}

int GifAnimator::DelayMs(size_t i) const {
  return i < frameControl_.size() ? gif_->frames()[frameControl_[i]].delayMs : 0;
}

namespace {
Rect FrameRect(const GifFrame& f, const Bitmap32& canvas) {
  return Intersect(RectFromSize(f.left, f.top, f.width, f.height),
                   Rect{0, 0, canvas.width(), canvas.height()});
}
}  // namespace

void GifAnimator::Dispose(Bitmap32& canvas) {
  if (!havePrevious_) return;
  const GifFrame& f = gif_->frames()[previous_];
  const Rect r = FrameRect(f, canvas);
  if (r.empty()) return;
  if (f.disposal == GifDisposal::RestoreBackground) {
    for (int y = r.top; y < r.bottom; ++y) std::fill(canvas.scanline(y) + r.left, canvas.scanline(y) + r.right, clear_);
  } else if (f.disposal == GifDisposal::RestorePrevious && saved_.width() == r.width() &&
             saved_.height() == r.height()) {
    for (int y = r.top; y < r.bottom; ++y)
      std::memcpy(canvas.scanline(y) + r.left, saved_.scanline(y - r.top), size_t(r.width()) * sizeof(Pixel));
  }
}

void GifAnimator::DrawFrame(const GifFrame& f, Bitmap32& canvas) {
  const Rect r = FrameRect(f, canvas);
  if (f.disposal == GifDisposal::RestorePrevious && !r.empty()) {
    saved_.SetSize(r.width(), r.height());
    for (int y = r.top; y < r.bottom; ++y)
      std::memcpy(saved_.scanline(y - r.top), canvas.scanline(y) + r.left, size_t(r.width()) * sizeof(Pixel));
  }
  const std::vector<Pixel>& map = gif_->ColorMapOf(f);
  const int transparent = f.transparent ? f.transparentIndex : -1;
  for (int y = r.top; y < r.bottom; ++y) {
    const uint8_t* in = &f.indices[size_t(y - f.top) * size_t(f.width) + size_t(r.left - f.left)];
    Pixel* out = canvas.scanline(y) + r.left;
    for (int x = 0; x < r.width(); ++x) {
      const int i = in[x];
      if (i == transparent) continue;
      out[x] = size_t(i) < map.size() ? map[size_t(i)] : MakePixel(0, 0, 0, 255);
    }
  }
}

size_t GifAnimator::DrawNextFrame(Bitmap32& canvas) {
  const auto& images = gif_->frames();
  if (canvas.width() != gif_->width() || canvas.height() != gif_->height() || images.empty() ||
      next_ >= frameCount())
    Reset(canvas);
  if (images.empty()) return 0;
  if (next_ == 0) {
    canvas.Fill(clear_);
    havePrevious_ = false;
  }
  const size_t drawn = next_;
  for (size_t i = drawn == 0 ? 0 : frameEnd_[drawn - 1] + 1; i <= frameEnd_[drawn]; ++i) {
    Dispose(canvas);
    DrawFrame(images[i], canvas);
    previous_ = i;
    havePrevious_ = true;
  }
  next_ = drawn + 1 < frameCount() ? drawn + 1 : 0;
  return drawn;
}

Bitmap32 RenderGifFirstFrame(const GifImage& gif) {
  Bitmap32 canvas;
  GifAnimator animator(gif, 0);
  animator.DrawNextFrame(canvas);
  return canvas;
}

Bitmap32 DecodeGifFirstFrame(const uint8_t* data, size_t size) {
  return RenderGifFirstFrame(GifImage::Decode(data, size));
}

}  // namespace tp
