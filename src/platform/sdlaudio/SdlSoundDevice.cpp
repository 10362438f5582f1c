#include "platform/sdlaudio/SdlSoundDevice.h"
#include "platform/sdlaudio/SdlMixerLibrary.h"

#include "platform/sdlaudio/SdlMixerSession.h"

namespace tp {

SdlSoundDevice::SdlSoundDevice(std::shared_ptr<SdlMixerSession> session, int channel)
    : session_(std::move(session)), channel_(channel) {}

SdlSoundDevice::~SdlSoundDevice() {
  Release();
  session_->ReturnSoundChannel(channel_);
}

void SdlSoundDevice::Release() {
  if (!chunk_) return;
  mix::HaltChannel(channel_);
  mix::FreeChunk(chunk_);
  chunk_ = nullptr;
}

bool SdlSoundDevice::Load(const std::string& path) {
  Release();
  chunk_ = mix::LoadWAV(path.c_str());
  return chunk_ != nullptr;
}

void SdlSoundDevice::SetVolume(int hundredthsDb) {
  volume_ = MixVolumeFromHundredthsDb(hundredthsDb);
  mix::Volume(channel_, volume_);
}

void SdlSoundDevice::Play(bool loop) {
  if (!chunk_) return;
  mix::Volume(channel_, volume_);
  mix::PlayChannel(channel_, chunk_, loop ? -1 : 0);
}

void SdlSoundDevice::Stop() { mix::HaltChannel(channel_); }

}  // namespace tp
