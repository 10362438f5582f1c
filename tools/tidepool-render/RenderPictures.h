#pragma once
// What the effect commands share: the picture size option, the old and new pictures (any
// picture the player reads, stretched to the size, or built-in patterns) and one frame of
// an effect drawn the way the transition driver draws it.
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"

namespace tp::render {

struct FrameSize {
  int width = 0;
  int height = 0;
};

// "WxH" with both sides from 1 to 8192; throws std::invalid_argument otherwise.
FrameSize ParseFrameSize(const std::string& text);

// Progress values "P" or "P,P,...", each a whole number from 0 to 100; throws
// std::invalid_argument otherwise.
std::vector<int> ParseProgressList(const std::string& text);

// Effect number from 1 to the catalogue size; throws std::invalid_argument otherwise.
int ParseEffectNumber(const std::string& text);

// The picture in `path` (plain picture or packaged picture) stretched to the size; the
// built-in pattern (old or new) when path is empty. Throws when the file cannot be read.
Bitmap32 LoadPictureAt(const std::string& path, FrameSize size, bool isNew);

// Built-in test patterns: the old one cool with a grid, the new one warm with rings, both
// with a mark in the top-left corner so mirrored and turned frames can be told apart.
Bitmap32 OldPattern(FrameSize size);
Bitmap32 NewPattern(FrameSize size);

// One frame of the effect over the old picture at the progress, with the driver's extents.
Bitmap32 RenderEffectFrame(int effect, const Bitmap32& oldPicture, const Bitmap32& newPicture,
                           int progress);

// "frame.png" with several progress values becomes "frame-050.png" for P = 50.
std::string FramePathFor(const std::string& out, int progress, bool several);

}  // namespace tp::render
