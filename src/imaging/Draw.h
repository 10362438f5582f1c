#pragma once
// Block drawing between 32-bit bitmaps: 1:1 copies and nearest-pixel stretches with
// clipping and mirroring, moves within one bitmap, copies through a list of clip
// rectangles, and the per-channel blend toward another bitmap.
//
// Conventions for every function here:
// - Coordinates are pixels, (0, 0) the top-left pixel; sizes may be zero or negative.
// - Parts of a block that fall outside the destination or the source bitmap are skipped;
//   the destination pixels they would cover keep their value. Nothing is ever read or
//   written outside a bitmap.
// - No allocation per call beyond a reused per-thread scratch buffer.
#include <span>

#include "imaging/Bitmap32.h"
#include "imaging/Rect.h"

namespace tp {

// The w x h block of src at (sx, sy) goes unchanged to (dx, dy) in dst. w or h <= 0
// draws nothing. src and dst must be different bitmaps (use SelfCopy otherwise).
void Copy(Bitmap32& dst, int dx, int dy, int w, int h, const Bitmap32& src, int sx, int sy);

// The block (sx, sy, sw, sh) of src is scaled into the block (dx, dy, dw, dh) of dst by
// nearest-pixel sampling: whole rows and columns are dropped or repeated, never blended.
// A negative dw mirrors left-right: the block then covers the columns dx - |dw| + 1 .. dx,
// with source column sx landing on column dx. A negative dh mirrors top-bottom the same
// way (rows dy - |dh| + 1 .. dy). A negative sw or sh mirrors the source likewise
// (columns sx - |sw| + 1 .. sx). Zero sizes draw nothing. Destination pixel i of the block
// (0-based from the block's first pixel) samples source pixel floor((2i + 1) * |sw| /
// (2 * |dw|)) of the block, so equal sizes copy 1:1. src and dst must be different bitmaps.
void Stretch(Bitmap32& dst, int dx, int dy, int dw, int dh, const Bitmap32& src, int sx, int sy,
             int sw, int sh);

// Copy and Stretch with bmp as its own source; overlapping blocks are handled as if the
// source block had been read completely before anything was written.
void SelfCopy(Bitmap32& bmp, int dx, int dy, int w, int h, int sx, int sy);
void SelfStretch(Bitmap32& bmp, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);

// Reveal through a clip: every pixel of dst that lies inside one of the rectangles
// (right and bottom edges excluded) takes the pixel of src at the same position. The
// rectangles may overlap and extend past the bitmaps; src is read at (0, 0) aligned
// with dst (the whole of src is "copied to (0, 0)" through the clip).
void CopyThroughRects(Bitmap32& dst, const Bitmap32& src, std::span<const Rect> rects);

// Per-channel blend toward src with weight alpha/256 (alpha 0..256): for blue, green and
// red, d := d + floor((s - d) * alpha / 256); the fourth byte of dst is untouched. alpha
// 256 makes the colour channels equal to src; alpha <= 0 changes nothing. The first form
// covers the common area of both bitmaps, the second only the rectangle (clipped).
void BlendToward(Bitmap32& dst, const Bitmap32& src, int alpha);
void BlendToward(Bitmap32& dst, const Bitmap32& src, int alpha, const Rect& rect);

// Left-right mirror image of src into dst (dst takes src's size and master alpha).
void MirrorHorizontal(const Bitmap32& src, Bitmap32& dst);

}  // namespace tp
