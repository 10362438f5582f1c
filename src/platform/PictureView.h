#pragma once
// What a frame of a folder show shows of one picture: a rectangle of the picture, in its
// own pixels once turned upright (fractional), scaled over a rectangle of the screen.
namespace tp {

struct PictureView {
  int x = 0, y = 0, width = 0, height = 0;  // on the screen
  double sourceX = 0, sourceY = 0, sourceWidth = 0, sourceHeight = 0;  // in the picture
  bool operator==(const PictureView&) const = default;
};

}  // namespace tp
