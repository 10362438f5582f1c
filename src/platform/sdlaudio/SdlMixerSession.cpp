#include "platform/sdlaudio/SdlMixerSession.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/sdlaudio/SdlMusicDevice.h"

namespace tp {
namespace {

void Debug(const char* what) {
  const char* flag = std::getenv("TIDEPOOL_DEBUG");
  if (flag && *flag && *flag != '0') std::fprintf(stderr, "tidepool audio: %s: %s\n", what, SDL_GetError());
}

}  // namespace

std::shared_ptr<SdlMixerSession> SdlMixerSession::Open() {
  // The program handles SIGTERM and SIGINT itself: SDL would turn them into quit events
  // that nobody reads, and the process could no longer be ended.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    Debug("audio subsystem");
    return nullptr;
  }
  // Decoders that are missing are simply not available; WAV needs none.
  Mix_Init(MIX_INIT_FLAC | MIX_INIT_MOD | MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_MID | MIX_INIT_OPUS);
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 2048) != 0) {
    Debug("open device");
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  Mix_AllocateChannels(kSoundChannels + 1);
  Mix_HookMusicFinished(&SdlMusicDevice::OnMixerMusicFinished);
  return std::shared_ptr<SdlMixerSession>(new SdlMixerSession());
}

SdlMixerSession::~SdlMixerSession() {
  Mix_HookMusicFinished(nullptr);
  Mix_HaltMusic();
  Mix_HaltChannel(-1);
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

int SdlMixerSession::TakeSoundChannel() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (int c = 0; c < kSoundChannels; ++c) {
    if (!channelTaken_[c]) {
      channelTaken_[c] = true;
      return c;
    }
  }
  return -1;
}

void SdlMixerSession::ReturnSoundChannel(int channel) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (channel >= 0 && channel < kSoundChannels) channelTaken_[channel] = false;
}

int MixVolumeFromHundredthsDb(int hundredthsDb) {
  if (hundredthsDb >= 0) return MIX_MAX_VOLUME;
  if (hundredthsDb <= -10000) return 0;
  // Amplitude ratio 10^(dB/20), with dB = hundredths / 100.
  double gain = std::pow(10.0, hundredthsDb / 2000.0);
  long v = std::lround(gain * MIX_MAX_VOLUME);
  return v < 0 ? 0 : (v > MIX_MAX_VOLUME ? MIX_MAX_VOLUME : (int)v);
}

}  // namespace tp
