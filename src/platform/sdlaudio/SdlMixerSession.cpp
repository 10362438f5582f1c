#include "platform/sdlaudio/SdlMixerSession.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/sdlaudio/SdlMixerLibrary.h"
#include "platform/sdlaudio/SdlMusicDevice.h"

namespace tp {
namespace {

void Debug(const SdlMixerLibrary& lib, const char* what) {
  const char* flag = std::getenv("TIDEPOOL_DEBUG");
  if (flag && *flag && *flag != '0') std::fprintf(stderr, "tidepool audio: %s: %s\n", what, lib.GetError());
}

}  // namespace

std::shared_ptr<SdlMixerSession> SdlMixerSession::Open() {
  const SdlMixerLibrary* lib = LoadSdlMixer();
  if (!lib) return nullptr;
  // The program handles SIGTERM and SIGINT itself: SDL would turn them into quit events
  // that nobody reads, and the process could no longer be ended.
  lib->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (lib->InitSubSystem(SDL_INIT_AUDIO) != 0) {
    Debug(*lib, "audio subsystem");
    return nullptr;
  }
  // Decoders that are missing are simply not available; WAV needs none.
  lib->Init(MIX_INIT_FLAC | MIX_INIT_MOD | MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_MID | MIX_INIT_OPUS);
  if (lib->OpenAudio(44100, AUDIO_S16SYS, 2, 2048) != 0) {
    Debug(*lib, "open device");
    lib->Quit();
    lib->QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  lib->AllocateChannels(kSoundChannels + 1);
  lib->HookMusicFinished(&SdlMusicDevice::OnMixerMusicFinished);
  return std::shared_ptr<SdlMixerSession>(new SdlMixerSession());
}

SdlMixerSession::~SdlMixerSession() {
  const SdlMixerLibrary& lib = mix::Lib();
  lib.HookMusicFinished(nullptr);
  lib.HaltMusic();
  lib.HaltChannel(-1);
  lib.CloseAudio();
  lib.Quit();
  lib.QuitSubSystem(SDL_INIT_AUDIO);
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
