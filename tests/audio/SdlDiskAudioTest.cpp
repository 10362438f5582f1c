// The SDL2_mixer devices on SDL's disk driver, which writes the mixed samples to a file as
// fast as it can: real decoding and mixing, checked in the samples that came out.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "audio/AudioTestSupport.h"
#include "platform/sdlaudio/SdlAudio.h"
#include "platform/sdlaudio/SdlMixerSession.h"

namespace tp {
namespace {

using test::AudioTestEnvironment;
using Clock = std::chrono::steady_clock;

// Points SDL's disk driver at file; restores the driver the test runner chose.
class DiskDriver {
 public:
  explicit DiskDriver(const std::string& file) {
    const char* old = std::getenv("SDL_AUDIODRIVER");
    saved_ = old ? old : "";
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    ::setenv("SDL_DISKAUDIODELAY", "0", 1);
  }
  ~DiskDriver() {
    if (saved_.empty()) ::unsetenv("SDL_AUDIODRIVER");
    else ::setenv("SDL_AUDIODRIVER", saved_.c_str(), 1);
    ::unsetenv("SDL_DISKAUDIOFILE");
    ::unsetenv("SDL_DISKAUDIODELAY");
  }

 private:
  std::string saved_;
};

// Samples (16-bit) of the file whose magnitude is above a clear noise floor.
size_t LoudSamples(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  size_t loud = 0;
  int16_t s;
  while (in.read(reinterpret_cast<char*>(&s), sizeof s))
    if (s > 1000 || s < -1000) ++loud;
  return loud;
}

// Pumps the run loop in real time until done() or the time limit.
bool PumpUntil(AudioTestEnvironment& env, const std::function<bool()>& done, int limitMs = 10000) {
  auto end = Clock::now() + std::chrono::milliseconds(limitMs);
  while (!done() && Clock::now() < end) {
    env.runLoop().PumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return done();
}

TEST(SdlDiskAudio, MusicTrackIsMixedAndItsEndIsReportedOnTheUiThread) {
  AudioTestEnvironment env;
  const std::string wave = env.dir() + "/tone.wav", out = env.dir() + "/music.raw";
  test::WriteWave(wave, 300, 22050);
  {
    DiskDriver driver(out);
    auto audio = CreateSdlAudioSystem();
    ASSERT_NE(audio, nullptr);
    auto music = audio->CreateMusicDevice();
    ASSERT_NE(music, nullptr);
    int notified = 0;
    std::thread::id notifiedOn;
    music->SetNotify([&] {
      ++notified;
      notifiedOn = std::this_thread::get_id();
    });
    music->Open(wave);
    EXPECT_NEAR(double(music->LengthMs()), 300.0, 2.0);
    music->Play();
    ASSERT_TRUE(PumpUntil(env, [&] { return notified > 0; }));
    EXPECT_EQ(notifiedOn, std::this_thread::get_id());
    EXPECT_GE(music->PositionMs(), music->LengthMs());
    // Closing reports nothing more.
    music->Close();
    PumpUntil(env, [] { return false; }, 50);
    EXPECT_EQ(notified, 1);
  }
  // 300 ms of a loud tone, resampled to 44.1 kHz stereo: most of its samples are loud.
  EXPECT_GT(LoudSamples(out), 44100u * 2 * 3 / 10 / 2);
}

TEST(SdlDiskAudio, SoundEffectIsMixedAtItsVolumeAndOpeningFailuresAreReported) {
  AudioTestEnvironment env;
  const std::string wave = env.dir() + "/tone.wav", out = env.dir() + "/sound.raw";
  test::WriteWave(wave, 300, 22050);
  test::WriteText(env.dir() + "/bad.wav", "RIFF not really");
  {
    DiskDriver driver(out);
    auto audio = CreateSdlAudioSystem();
    ASSERT_NE(audio, nullptr);
    std::vector<std::unique_ptr<SoundDevice>> devices;
    for (int i = 0; i < 8; ++i) {
      devices.push_back(audio->CreateSoundDevice());
      ASSERT_NE(devices.back(), nullptr);
    }
    EXPECT_EQ(audio->CreateSoundDevice(), nullptr);  // eight channels only
    EXPECT_FALSE(devices[1]->Load(env.dir() + "/bad.wav"));
    EXPECT_FALSE(devices[1]->Load(env.dir() + "/missing.wav"));
    auto music = audio->CreateMusicDevice();
    EXPECT_THROW(music->Open(env.dir() + "/missing.wav"), std::runtime_error);
    EXPECT_THROW(music->Play(), std::runtime_error);

    ASSERT_TRUE(devices[0]->Load(wave));
    devices[0]->SetVolume(-800);
    // The driver has been writing silence since the device opened, so the wait counts from
    // the file's size at Play: a second more of output (44.1 kHz, 16-bit stereo) holds all
    // of the 300 ms sound however long the steps above took.
    std::error_code ec;
    const auto sizeAtPlay = std::filesystem::file_size(out, ec);
    devices[0]->Play(false);
    PumpUntil(env, [&] {
      std::error_code sizeError;
      const auto size = std::filesystem::file_size(out, sizeError);
      return !sizeError && size >= (ec ? 0 : sizeAtPlay) + 44100u * 4;
    });
  }
  EXPECT_GT(LoudSamples(out), 44100u * 2 * 3 / 10 / 2);
}

TEST(SdlMixerVolume, HundredthsOfADecibelMapToMixerVolume) {
  EXPECT_EQ(MixVolumeFromHundredthsDb(0), 128);
  EXPECT_EQ(MixVolumeFromHundredthsDb(250), 128);
  EXPECT_EQ(MixVolumeFromHundredthsDb(-600), 64);   // -6 dB is half the amplitude
  EXPECT_EQ(MixVolumeFromHundredthsDb(-800), 51);
  EXPECT_EQ(MixVolumeFromHundredthsDb(-4000), 1);
  EXPECT_EQ(MixVolumeFromHundredthsDb(-10000), 0);
  EXPECT_EQ(MixVolumeFromHundredthsDb(-20000), 0);
}

}  // namespace
}  // namespace tp
