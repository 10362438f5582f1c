#pragma once
// The transition driver: uncovers the new picture over what the screen shows now,
// through one effect of the catalogue chosen at random from the allowed list.
#include <functional>
#include <string_view>
#include <vector>

#include "imaging/Bitmap32.h"

namespace tp {

class Clock;
class Display;
class RunLoop;

// What a transition needs from the saver window. The window owns the buffers and the
// pictures; the driver only borrows them for one run.
struct TransitionContext {
  Display* display = nullptr;
  RunLoop* runLoop = nullptr;
  Clock* clock = nullptr;

  // The three transition buffers; resized by each run.
  Bitmap32* oldPicture = nullptr;
  Bitmap32* newPicture = nullptr;
  Bitmap32* work = nullptr;

  // The picture being uncovered.
  bool plainPicture = true;
  const Bitmap32* fittedPicture = nullptr;  // plain picture: the fitted picture
  // Packaged picture: advances the animation engine by one step and returns its composed
  // frame (whose size is the background's). Called once before the first frame and once
  // per later frame.
  std::function<const Bitmap32&()> advanceEngine;

  // Fitting flags and drawing path of the current run.
  bool stretch = true;
  bool proportional = false;
  bool directDrawInUse = false;

  // Effect numbers to choose from (see ParseTransitionEffects); empty means effect 1.
  const std::vector<int>* allowedEffects = nullptr;

  // Called before each frame is composed with its progress (0..100), when set: it may draw
  // the old and new buffers anew (pictures that keep moving through the transition). Its
  // cost is part of the first frame's, so the step count allows for it.
  std::function<void(int progress)> beforeFrame;
  // Called after each presented frame with its progress (0..100), when set.
  std::function<void(int progress)> framePresented;
};

// The "TransitionEffects" text as comma text: entries separated by commas or blanks,
// optionally double-quoted. Entries that are not whole numbers from 1 to the catalogue
// size are dropped; the list {1} is returned when none remain.
std::vector<int> ParseTransitionEffects(std::string_view text);

struct TransitionRun {
  int effect = 0;  // effect number drawn (0 when the transition was skipped)
  int steps = 0;   // frames after the progress-0 frame
};

// Runs one whole transition of about durationMs milliseconds, pumping messages after
// every frame. Returns when the last frame has been shown. A zero-sized screen or back
// surface skips the transition.
TransitionRun RunTransition(TransitionContext& context, int durationMs);

// Composes one frame of effect number `effect` at `progress` (0..100) from the old and
// new buffers into the work buffer and presents it.
void DrawTransitionFrame(TransitionContext& context, int effect, int progress);

// The progress extents for a W x H buffer: the longer side drives, the other keeps
// the aspect ratio.
void TransitionExtents(int width, int height, int progress, int& x, int& y);

}  // namespace tp
