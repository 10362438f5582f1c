#include "presentation/TransitionDriver.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string>

#include "core/CommaText.h"
#include "core/IntMath.h"
#include "core/ProgramRandom.h"
#include "effects/EffectCatalogue.h"
#include "imaging/Draw.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/EventLog.h"
#include "platform/RunLoop.h"

namespace tp {
namespace {

void Pump(TransitionContext& c) {
  if (c.runLoop) c.runLoop->PumpMessages();
}

// A whole decimal number from 1 to the catalogue size (leading zeros allowed), or 0.
int EffectNumber(const std::string& entry) {
  if (entry.empty()) return 0;
  int value = 0;
  const auto [end, ec] = std::from_chars(entry.data(), entry.data() + entry.size(), value);
  if (ec != std::errc() || end != entry.data() + entry.size()) return 0;
  return value >= 1 && value <= kEffectCount ? value : 0;
}

// Draws the new picture 1:1 into the new-picture buffer at the offset.
void DrawNewPicture(TransitionContext& c, const Bitmap32& picture, int x0, int y0) {
  Copy(*c.newPicture, x0, y0, picture.width(), picture.height(), picture, 0, 0);
}

}  // namespace

std::vector<int> ParseTransitionEffects(std::string_view text) {
  std::vector<int> effects;
  for (const std::string& entry : SplitCommaText(text)) {
    if (const int n = EffectNumber(entry)) effects.push_back(n);
  }
  if (effects.empty()) effects.push_back(1);
  return effects;
}

void TransitionExtents(int width, int height, int progress, int& x, int& y) {
  if (width >= height) {
    x = MulDiv(width, progress, 100);
    y = MulDiv(x, height, width);
  } else {
    y = MulDiv(height, progress, 100);
    x = MulDiv(y, width, height);
  }
}

void DrawTransitionFrame(TransitionContext& c, int effect, int progress) {
  const EffectEntry* entry = FindEffect(effect);
  if (entry == nullptr) throw std::out_of_range("no transition effect " + std::to_string(effect));
  Bitmap32& work = *c.work;
  const Bitmap32& old = *c.oldPicture;
  if (work.width() != old.width() || work.height() != old.height()) {
    work.SetSize(old.width(), old.height());
  }
  std::copy_n(old.data(), old.pixelCount(), work.data());
  const int w = work.width(), h = work.height();
  if (w <= 0 || h <= 0) return;
  int x = 0, y = 0;
  TransitionExtents(w, h, progress, x, y);
  entry->draw(work, *c.newPicture, w, h, x, y, progress);
  if (!c.directDrawInUse) {
    c.display->Present(work, 0, 0);
  } else if (c.display->CanDraw()) {
    c.display->PresentScaled(work);
  } else {
    return;
  }
  if (c.framePresented) c.framePresented(progress);
}

TransitionRun RunTransition(TransitionContext& c, int durationMs) {
  Display& display = *c.display;
  Clock& clock = *c.clock;
  Pump(c);
  int width = 0, height = 0;
  if (!c.directDrawInUse) {
    width = display.ScreenWidth();
    height = display.ScreenHeight();
    if (width <= 0 || height <= 0) return {};
    c.oldPicture->SetSize(width, height);
    c.newPicture->SetSize(width, height);
    c.work->SetSize(width, height);
    Pump(c);
    c.newPicture->Fill(0);
    display.Capture(*c.oldPicture);
  } else {
    // The back surface has the size of the bitmap presented last.
    display.CaptureBackSurface(*c.oldPicture);
    width = c.oldPicture->width();
    height = c.oldPicture->height();
    if (width <= 0 || height <= 0) return {};
    c.newPicture->SetSize(width, height);
    c.work->SetSize(width, height);
    Pump(c);
    c.newPicture->Fill(0);
  }
  // Capture gives the screen's size; keep the three buffers equal whatever it returned.
  if (c.oldPicture->width() != width || c.oldPicture->height() != height) {
    c.oldPicture->SetSize(width, height);
  }
  Pump(c);

  // The new picture at its presentation offset: centred unless stretched over the whole
  // screen; the scaled path always draws at (0, 0).
  const bool centred = !c.stretch || c.proportional;
  auto offsetFor = [&](const Bitmap32& picture, int& x0, int& y0) {
    x0 = y0 = 0;
    if (!c.directDrawInUse && centred) {
      x0 = Div(width - picture.width(), 2);
      y0 = Div(height - picture.height(), 2);
    }
  };
  int x0 = 0, y0 = 0;
  uint32_t t0 = 0;
  if (c.plainPicture) {
    static const Bitmap32 kNothing;
    const Bitmap32& picture = c.fittedPicture ? *c.fittedPicture : kNothing;
    offsetFor(picture, x0, y0);
    DrawNewPicture(c, picture, x0, y0);
    t0 = clock.Tick();
  } else {
    t0 = clock.Tick();
    const Bitmap32& frame = c.advanceEngine();
    offsetFor(frame, x0, y0);
    DrawNewPicture(c, frame, x0, y0);
  }

  static const std::vector<int> kFallback = {1};
  const std::vector<int>& allowed =
      c.allowedEffects && !c.allowedEffects->empty() ? *c.allowedEffects : kFallback;
  const int index = ProgramRandom::Random(int32_t(allowed.size()));
  const int effect = allowed[size_t(index)];

  if (c.beforeFrame) c.beforeFrame(0);
  DrawTransitionFrame(c, effect, 0);

  // The first frame's cost, plus one millisecond, stands for every frame's.
  const int32_t cost = int32_t(clock.Tick() - t0) + 1;
  const int steps = cost > 0 ? durationMs / cost : 0;
  LogEvent("transition", "effect=" + std::to_string(effect) + " steps=" + std::to_string(steps));
  for (int i = 1; i <= steps; ++i) {
    const int progress = int(RoundHalfEven(double(i) * 100.0 / double(steps)));
    if (!c.plainPicture) DrawNewPicture(c, c.advanceEngine(), x0, y0);
    if (c.beforeFrame) c.beforeFrame(progress);
    DrawTransitionFrame(c, effect, progress);
    Pump(c);
  }
  return {effect, std::max(steps, 0)};
}

}  // namespace tp
