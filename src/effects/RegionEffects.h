#pragma once
// The families that uncover the new picture through a clip region: each builds one
// region for the frame and copies the whole new picture through it.
#include "imaging/Bitmap32.h"

namespace tp {

// 61, 62, 72, 73, 83-88: rounded rectangles and ellipses.
void CurvedRevealFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x,
                        int y, int p);
// 63-67, 74-78, 89-102.
void BarsFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                int p);
// 68-71, 79-82, 103-112 (running random generator).
void UnevenShredFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x,
                       int y, int p);
// 125-128 (running random generator).
void SpeckleFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                   int p);
// 113-119, 153-161, 165-167.
void PolygonFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                   int p);
// 162, 163.
void ZigzagFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                  int p);
// 120, 144, 152, 164.
void ShredGridFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                     int p);
// 129 (seeded from w and h; the generator is restored).
void RandomSquaresFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x,
                         int y, int p);
// 138-143, 145-148.
void BlindFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                 int p);
// 149-151.
void RotatingShapeFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x,
                         int y, int p);

}  // namespace tp
