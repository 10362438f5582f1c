#pragma once
// Recording audio for the headless backend: devices that play nothing and write every
// call to the event log (docs/headless.md lists the lines). A music track "plays" in the
// platform's clock time: it ends after its real length (read from a wave file's header;
// any other format lasts a fixed 3 s), and its end is reported on the UI thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Audio.h"

namespace tp {

class Clock;

struct HeadlessAudioOptions {
  bool available = true;      // TIDEPOOL_AUDIO=none: no device of any kind
  int soundDevices = 8;       // TIDEPOOL_AUDIO=devices=N: sound devices beyond N fail
  uint32_t otherFormatMs = 3000;  // length of a track that is not a wave file

  static HeadlessAudioOptions FromEnvironment();
};

// Runs fn on the UI thread once the clock has reached tick.
using PostAtFunction = std::function<void(uint32_t tick, std::function<void()> fn)>;

// The recording system for the installed platform: its clock and its run loop's timed
// posts, looked up when a device needs them. Options from the environment.
std::unique_ptr<AudioSystem> CreateHeadlessAudioSystem();
// The same with explicit options, clock and timed posting (tests).
std::unique_ptr<AudioSystem> CreateHeadlessAudioSystem(const HeadlessAudioOptions& options,
                                                       Clock* clock, PostAtFunction postAt);

}  // namespace tp
