// The sound-effect player on the recording devices: device mode, fallback mode, loading.
#include <gtest/gtest.h>

#include "audio/AudioTestSupport.h"
#include "saver/SoundEffect.h"

namespace tp {
namespace {

using test::AudioTestEnvironment;
using test::WriteWave;

HeadlessAudioOptions WithSoundDevices(int n) {
  HeadlessAudioOptions o;
  o.soundDevices = n;
  return o;
}

TEST(SoundEffectPlayer, EightDevicesPlayEachSlotAtMinusEightDecibels) {
  AudioTestEnvironment env;
  WriteWave(env.dir() + "/a.wav", 200);
  WriteWave(env.dir() + "/b.wav", 200);
  TSoundEffect player(env.audio());
  ASSERT_EQ(player.state(), TSoundEffect::kDeviceMode);
  EXPECT_EQ(player.volume, 80);
  ASSERT_TRUE(player.Add(0, env.dir() + "/a.wav"));
  ASSERT_TRUE(player.Add(5, env.dir() + "/b.wav"));
  player.Play(5, true);
  player.Play(0, false);
  player.Play(3, false);  // no file: nothing
  auto plays = env.EventsStarting("sound", "play");
  ASSERT_EQ(plays.size(), 2u);
  EXPECT_EQ(plays[0].details, "play slot=5 loop=1 " + env.dir() + "/b.wav");
  EXPECT_EQ(plays[1].details, "play slot=0 loop=0 " + env.dir() + "/a.wav");
  EXPECT_EQ(env.EventsStarting("sound", "volume slot=5 -800").size(), 1u);
  player.volume = 100;
  player.Play(0, false);
  EXPECT_EQ(env.EventsStarting("sound", "volume slot=0 0").size(), 1u);
  EXPECT_TRUE(env.EventsStarting("sound", "fallback").empty());
}

TEST(SoundEffectPlayer, StopAllCutsPlayingSoundsAndClearSilencesTheSlots) {
  AudioTestEnvironment env;
  WriteWave(env.dir() + "/a.wav", 5000);
  TSoundEffect player(env.audio());
  ASSERT_TRUE(player.Add(1, env.dir() + "/a.wav"));
  player.Play(1, true);
  player.StopAll();
  EXPECT_EQ(env.EventsStarting("sound", "stop slot=").size(), 1u);
  player.Clear();
  player.Play(1, true);
  EXPECT_EQ(env.EventsStarting("sound", "play").size(), 1u);
  EXPECT_EQ(player.file(1), "");
}

TEST(SoundEffectPlayer, CorruptOrMissingWaveIsASlotThatFailedToLoad) {
  AudioTestEnvironment env;
  using namespace std::string_literals;
  // A format chunk too short to hold a format.
  test::WriteText(env.dir() + "/bad.wav", "RIFF\x14\0\0\0WAVEfmt \x02\0\0\0xxdata\0\0\0\0"s);
  TSoundEffect player(env.audio());
  EXPECT_FALSE(player.Add(2, env.dir() + "/bad.wav"));
  EXPECT_FALSE(player.Add(3, env.dir() + "/nothing-here.wav"));
  EXPECT_FALSE(player.Add(8, env.dir() + "/bad.wav"));
  player.Play(2, false);
  EXPECT_TRUE(env.EventsStarting("sound", "play").empty());
}

TEST(SoundEffectFallback, AnyFailingDeviceMeansOnlySlotZeroThroughTheWavePlayer) {
  for (int devices : {0, 3, 7}) {
    AudioTestEnvironment env(WithSoundDevices(devices));
    WriteWave(env.dir() + "/a.wav", 200);
    WriteWave(env.dir() + "/b.wav", 200);
    TSoundEffect player(env.audio());
    ASSERT_EQ(player.state(), TSoundEffect::kFallbackMode) << devices;
    EXPECT_EQ(env.EventsStarting("sound", "fallback").size(), 1u);
    // In fallback mode files are recorded, not loaded.
    EXPECT_TRUE(player.Add(0, env.dir() + "/a.wav"));
    EXPECT_TRUE(player.Add(1, env.dir() + "/b.wav"));
    player.Play(1, false);
    player.Play(0, true);
    EXPECT_TRUE(env.EventsStarting("sound", "play").empty());
    auto waves = env.EventsStarting("wave", "play");
    ASSERT_EQ(waves.size(), 1u);
    EXPECT_EQ(waves[0].details, "play loop=1 " + env.dir() + "/a.wav");
    player.StopAll();
    EXPECT_EQ(env.EventsStarting("wave", "stop").size(), 1u);
  }
}

TEST(SoundEffectFallback, WithoutAnyAudioNothingPlaysAndNothingFails) {
  HeadlessAudioOptions none;
  none.available = false;
  AudioTestEnvironment env(none);
  WriteWave(env.dir() + "/a.wav", 200);
  TSoundEffect player(env.audio());
  EXPECT_EQ(player.state(), TSoundEffect::kFallbackMode);
  EXPECT_TRUE(player.Add(0, env.dir() + "/a.wav"));
  player.Play(0, false);
  player.StopAll();
  player.StopWavePlayer();
  EXPECT_TRUE(env.Events("wave").empty());
}

}  // namespace
}  // namespace tp
