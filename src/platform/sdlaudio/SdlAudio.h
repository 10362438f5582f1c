#pragma once
// Audio on SDL2_mixer (only SDL's audio subsystem is initialised).
#include <memory>

#include "platform/Audio.h"

namespace tp {

// Opens the default audio device; nullptr when no device can be opened.
std::unique_ptr<AudioSystem> CreateSdlAudioSystem();

}  // namespace tp
