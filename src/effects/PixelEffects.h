#pragma once
// The pixel families: Fade, Pixelate, Dissolve, Random Bars, Unroll, Build up, Pivots,
// and the shading and rotation helpers behind them. Each family procedure takes the
// member's effect number and the seven effect arguments (already clipped to the bitmaps).
#include "imaging/Bitmap32.h"
#include "imaging/Rect.h"

namespace tp {

// Mixes src into dst inside rect by percent (alpha = MulDiv(256, percent, 100)).
void BlendBlock(Bitmap32& dst, const Bitmap32& src, int percent, const Rect& rect);

// Adds a ramp of offsets (-amount at the edges, about 0 in the middle) to blue, green
// and red of `count` columns (rows) starting at `first`, over the first `length` rows
// (columns); clamped to 0..255. Nothing when count <= 1 or amount is 0.
void ShadeColumns(Bitmap32& dst, int amount, int first, int count, int length);
void ShadeRows(Bitmap32& dst, int amount, int first, int count, int length);

// Every dst pixel inside w x h takes the src pixel its offset from the pivot maps to when
// turned by `angle` (16.16 fixed point), or keeps its value when that lies outside src.
void RotatePixels(Bitmap32& dst, const Bitmap32& src, int w, int h, int pivotX, int pivotY,
                  double angle);

void FadeFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y, int p);
void PixelateFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                    int p);
// 3 Dissolve (per pixel), 168 rows, 169 columns; reseeded with w + h, seed restored.
void DissolveFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                    int p);
// 17 left, 18 right, 34 top, 35 bottom.
void UnrollFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                  int p);
// 19, 20, 36, 37.
void BuildUpFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                   int p);
// 121 to 124.
void PivotFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                 int p);

}  // namespace tp
