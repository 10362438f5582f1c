#pragma once
// Two portrait pictures of a folder show side by side on a landscape screen: each composed
// into its half of the screen with the show's fill, a thin black gap between the halves.
// Made once per pair, on the preparer's thread; a pair stands still.
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "library/PictureLibrary.h"
#include "photoshow/PhotoComposition.h"

namespace tp {

// The gap between the halves is a 100th of the screen's width, at least this.
constexpr int kMinPairGapPixels = 2;

// Each half is width x the screen's height; the left one starts at 0, the right at rightX.
struct PairHalves {
  int width = 0;  // 0: the screen takes no pair (not landscape, or too small)
  int rightX = 0;
};
PairHalves HalvesOf(int W, int H);

// Taller than wide once upright, as far as the library knows: a picture whose size the
// header pass has not read yet is no portrait.
bool IsPortrait(const LibraryPicture& picture);

struct PairedPhoto {
  FittedPicture shown;              // screen-sized
  std::vector<PictureView> views;   // the left picture's, then the right's
};

// Puts the two pictures, each composed for a half of the W x H screen, on one black screen.
PairedPhoto PlacePair(const ComposedPhoto& left, const ComposedPhoto& right, int W, int H);

// Reads and composes both pictures for their halves of the W x H screen. A picture that
// cannot be shown is left out (its reason in errors); throws only once cancel turns true.
struct PairHalvesPrepared {
  std::optional<ComposedPhoto> halves[2];
  std::string errors[2];
};
PairHalvesPrepared PreparePairHalves(const std::string& left, const std::string& right, int W, int H,
                                     const PhotoLook& look, const std::atomic<bool>* cancel = nullptr);

}  // namespace tp
