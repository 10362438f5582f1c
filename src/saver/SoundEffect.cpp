#include "saver/SoundEffect.h"

#include "platform/EventLog.h"

namespace tp {

TSoundEffect::TSoundEffect(AudioSystem& audio) {
  state_ = kConstructing;
  for (int k = 0; k < kSlotCount; ++k) {
    devices_[k] = audio.CreateSoundDevice();
    if (!devices_[k]) {
      state_ = kConstructing;
      break;
    }
    state_ = kDeviceMode;
  }
  if (state_ == kConstructing) {
    state_ = kFallbackMode;
    // The devices made before the failure are never used in fallback mode.
    for (auto& d : devices_) d.reset();
    LogEvent("sound", "fallback");
  }
  wavePlayer_ = audio.CreateWavePlayer();
}

TSoundEffect::~TSoundEffect() {
  StopAll();
  StopWavePlayer();
}

const std::string& TSoundEffect::file(int slot) const {
  static const std::string kNone;
  return slot >= 0 && slot < kSlotCount ? files_[slot] : kNone;
}

bool TSoundEffect::Add(int slot, const std::string& file) {
  if (slot < 0 || slot >= kSlotCount) return false;
  files_[slot] = file;
  if (state_ == kDeviceMode && !devices_[slot]->Load(file)) {
    files_[slot].clear();
    return false;
  }
  return true;
}

void TSoundEffect::Play(int slot, bool loop) {
  if (slot < 0 || slot >= kSlotCount || files_[slot].empty()) return;
  if (state_ == kDeviceMode) {
    devices_[slot]->SetVolume(DeviceVolume());
    devices_[slot]->Play(loop);
  } else if (slot == 0 && wavePlayer_) {
    wavePlayer_->Play(files_[0], loop);
  }
}

void TSoundEffect::StopAll() {
  if (state_ == kDeviceMode) {
    for (auto& d : devices_) d->Stop();
  } else {
    StopWavePlayer();
  }
}

void TSoundEffect::Clear() {
  for (auto& f : files_) f.clear();
}

void TSoundEffect::StopWavePlayer() {
  if (wavePlayer_) wavePlayer_->Stop();
}

}  // namespace tp
