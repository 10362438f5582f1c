#include "platform/sdlaudio/SdlMusicDevice.h"
#include "platform/sdlaudio/SdlMixerLibrary.h"

#include <SDL.h>

#include <atomic>
#include <cmath>
#include <stdexcept>

#include "platform/Platform.h"
#include "platform/sdlaudio/SdlMixerSession.h"

namespace tp {
namespace {

// The mixer has one music stream, so one track plays at a time whatever the number of
// devices. The hook reads these two atomics only; everything else happens on the UI thread.
std::atomic<uint64_t> g_playingToken{0};
std::atomic<RunLoop*> g_runLoop{nullptr};
uint64_t g_nextToken = 1;                  // UI thread only
SdlMusicDevice* g_playingDevice = nullptr;  // UI thread only

uint32_t SecondsToMs(double seconds) {
  if (!(seconds > 0)) return 0;
  double ms = std::floor(seconds * 1000.0 + 0.5);
  return ms >= 4294967295.0 ? 0xFFFFFFFFu : (uint32_t)ms;
}

}  // namespace

SdlMusicDevice::SdlMusicDevice(std::shared_ptr<SdlMixerSession> session) : session_(std::move(session)) {}

SdlMusicDevice::~SdlMusicDevice() { Close(); }

void SdlMusicDevice::Open(const std::string& path) {
  Close();
  music_ = mix::LoadMUS(path.c_str());
  if (!music_) throw std::runtime_error("cannot open music file " + path + ": " + mix::GetError());
  path_ = path;
  finished_ = false;
}

void SdlMusicDevice::Play() {
  if (!music_) throw std::runtime_error("no music file is open");
  // A track still playing is stopped first; its report, if any, carries the old token.
  g_playingToken.store(0);
  if (g_playingDevice) g_playingDevice->token_ = 0;
  mix::HaltMusic();
  if (HasPlatform()) g_runLoop.store(&CurrentPlatform().runLoop());
  token_ = g_nextToken++;
  g_playingDevice = this;
  finished_ = false;
  g_playingToken.store(token_);
  if (mix::PlayMusic(music_, 0) != 0) {
    g_playingToken.store(0);
    token_ = 0;
    g_playingDevice = nullptr;
    throw std::runtime_error("cannot play music file " + path_ + ": " + mix::GetError());
  }
}

uint32_t SdlMusicDevice::LengthMs() const {
  if (!music_) return 0;
  return SecondsToMs(mix::MusicDuration(music_));
}

uint32_t SdlMusicDevice::PositionMs() const {
  if (!music_) return 0;
  // After the end the mixer's own position is decoder-dependent; the end is the length.
  if (finished_) return LengthMs();
  return SecondsToMs(mix::GetMusicPosition(music_));
}

void SdlMusicDevice::Close() {
  if (g_playingDevice == this) {
    g_playingToken.store(0);  // the halt below reports nothing
    g_playingDevice = nullptr;
    mix::HaltMusic();
  }
  token_ = 0;
  if (music_) {
    mix::FreeMusic(music_);
    music_ = nullptr;
  }
  path_.clear();
  finished_ = false;
}

void SdlMusicDevice::SetNotify(std::function<void()> onFinished) { notify_ = std::move(onFinished); }

void SDLCALL SdlMusicDevice::OnMixerMusicFinished() {
  uint64_t token = g_playingToken.exchange(0);
  RunLoop* loop = g_runLoop.load();
  if (token == 0 || !loop) return;
  loop->Post([token] {
    if (g_playingDevice && g_playingDevice->token_ == token) g_playingDevice->Finished(token);
  });
}

void SdlMusicDevice::Finished(uint64_t token) {
  if (token != token_) return;
  token_ = 0;
  g_playingDevice = nullptr;
  finished_ = true;
  if (notify_) notify_();
}

}  // namespace tp
