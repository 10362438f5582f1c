#include "photoshow/PhotoPair.h"

#include <algorithm>
#include <exception>

#include "imaging/Draw.h"
#include "photoshow/PhotoPreparation.h"

namespace tp {

PairHalves HalvesOf(int W, int H) {
  if (W <= H || H <= 0) return {};
  const int gap = std::max(kMinPairGapPixels, W / 100);
  const int width = (W - gap) / 2;
  if (width < 1) return {};
  return {width, W - width};
}

bool IsPortrait(const LibraryPicture& picture) { return picture.width > 0 && picture.height > picture.width; }

PairedPhoto PlacePair(const ComposedPhoto& left, const ComposedPhoto& right, int W, int H) {
  const PairHalves halves = HalvesOf(W, H);
  PairedPhoto pair;
  pair.shown.picture.SetSize(W, H);  // black
  pair.shown.width = W;
  pair.shown.height = H;
  const ComposedPhoto* sides[2] = {&left, &right};
  const int lefts[2] = {0, halves.rightX};
  for (int i = 0; i < 2; ++i) {
    // A picture smaller than its half (between bars) is centred in it, as the presentation
    // centres a fitted picture on the screen.
    const Bitmap32& p = sides[i]->shown.picture;
    const int w = std::min(p.width(), halves.width), h = std::min(p.height(), H);
    Copy(pair.shown.picture, lefts[i] + (halves.width - w) / 2, (H - h) / 2, w, h, p, 0, 0);
    PictureView view = sides[i]->view;
    view.x += lefts[i];
    pair.views.push_back(view);
  }
  return pair;
}

PairHalvesPrepared PreparePairHalves(const std::string& left, const std::string& right, int W, int H,
                                     const PhotoLook& look, const std::atomic<bool>* cancel) {
  const int halfWidth = HalvesOf(W, H).width;
  PairHalvesPrepared prepared;
  const std::string* paths[2] = {&left, &right};
  for (int i = 0; i < 2; ++i) {
    try {
      prepared.halves[i] = PreparePhoto(*paths[i], halfWidth, H, look, cancel);
    } catch (const std::exception& e) {
      if (cancel && cancel->load(std::memory_order_relaxed)) throw;
      prepared.errors[i] = e.what();
      if (prepared.errors[i].empty()) prepared.errors[i] = "cannot be shown";
    }
  }
  return prepared;
}

}  // namespace tp
