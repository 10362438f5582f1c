#pragma once
// Recording audio for the headless backend: devices that play nothing and write every
// call to the event log ("music open PATH", "music play", "sound play slot=K loop=0|1 PATH").
#include <memory>

#include "platform/Audio.h"

namespace tp {

std::unique_ptr<AudioSystem> CreateHeadlessAudioSystem();

}  // namespace tp
