#pragma once
// The music device on SDL2_mixer's one music stream. The mixer reports the end of a track
// on its audio thread; the report is posted to the UI thread through the run loop, and a
// report that belongs to a track closed or replaced meanwhile is dropped there.
#include <SDL_mixer.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Audio.h"

namespace tp {

class SdlMixerSession;

class SdlMusicDevice : public MusicDevice {
 public:
  explicit SdlMusicDevice(std::shared_ptr<SdlMixerSession> session);
  ~SdlMusicDevice() override;

  void Open(const std::string& path) override;
  void Play() override;
  uint32_t LengthMs() const override;
  uint32_t PositionMs() const override;
  void Close() override;
  void SetNotify(std::function<void()> onFinished) override;

  // Installed as the mixer's music-finished hook (audio thread).
  static void SDLCALL OnMixerMusicFinished();

 private:
  void Finished(uint64_t token);  // UI thread

  std::shared_ptr<SdlMixerSession> session_;
  Mix_Music* music_ = nullptr;
  std::string path_;
  uint64_t token_ = 0;     // token of this device's playing track; 0 when not playing
  bool finished_ = false;  // the open track has played to its end
  std::function<void()> notify_;
};

}  // namespace tp
