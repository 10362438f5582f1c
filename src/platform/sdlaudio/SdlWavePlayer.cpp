#include "platform/sdlaudio/SdlWavePlayer.h"
#include "platform/sdlaudio/SdlMixerLibrary.h"

#include "platform/sdlaudio/SdlMixerSession.h"

namespace tp {

SdlWavePlayer::SdlWavePlayer(std::shared_ptr<SdlMixerSession> session) : session_(std::move(session)) {}

SdlWavePlayer::~SdlWavePlayer() { Stop(); }

void SdlWavePlayer::Play(const std::string& path, bool loop) {
  Stop();
  chunk_ = mix::LoadWAV(path.c_str());
  if (!chunk_) return;
  mix::Volume(SdlMixerSession::kWaveChannel, MIX_MAX_VOLUME);
  mix::PlayChannel(SdlMixerSession::kWaveChannel, chunk_, loop ? -1 : 0);
}

void SdlWavePlayer::Stop() {
  if (!chunk_) return;
  mix::HaltChannel(SdlMixerSession::kWaveChannel);
  mix::FreeChunk(chunk_);
  chunk_ = nullptr;
}

}  // namespace tp
