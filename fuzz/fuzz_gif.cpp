// GIF decoder and frame composer: any input decodes (and every frame composes) or
// throws ImageDecodeError.
#include <cstddef>
#include <cstdint>

#include "imaging/import/GifAnimation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const tp::GifImage gif = tp::GifImage::Decode(data, size);
    // Composing is the same at any size; huge screens would only slow the search down.
    if (int64_t(gif.width()) * gif.height() > 1 << 22) return 0;
    tp::GifAnimator animator(gif, tp::MakePixel(1, 2, 3, 0));
    tp::Bitmap32 canvas;
    // Every frame once and the wrap back to the first.
    for (size_t i = 0; i <= gif.frames().size() && i < 64; ++i) animator.DrawNextFrame(canvas);
    const tp::Bitmap32 first = tp::RenderGifFirstFrame(gif);
    volatile tp::Pixel sink = first.empty() ? 0 : first.at(first.width() - 1, first.height() - 1);
    (void)sink;
  } catch (const tp::ImageDecodeError&) {
  }
  return 0;
}
