#pragma once
// The catalogue of transition effects: a constant table in a fixed order whose 1-based
// position is the effect number used by the "TransitionEffects" setting.
#include <span>

#include "imaging/Bitmap32.h"

namespace tp {

// Draws one frame of an effect: dst holds the old picture on entry and receives the part
// of src uncovered at progress p (0..100); x and y are the progress extents (0..w, 0..h).
// Every catalogue procedure clips its arguments to the bitmaps, so out-of-range values
// never read or write outside them.
using EffectProc = void (*)(Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                            int p);

struct EffectEntry {
  int number;
  const char* name;
  EffectProc draw;
};

constexpr int kEffectCount = 169;

// All entries, number 1 first.
std::span<const EffectEntry> EffectCatalogue();
// The entry for an effect number, or nullptr outside 1..kEffectCount.
const EffectEntry* FindEffect(int number);

}  // namespace tp
