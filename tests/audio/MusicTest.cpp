// Music sequencing on the recording music device and a manual clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "audio/AudioTestSupport.h"
#include "core/ProgramRandom.h"
#include "saver/Music.h"

namespace tp {
namespace {

using test::AudioTestEnvironment;
using test::WriteWave;

// The bare names of the tracks opened, in order.
std::vector<std::string> OpenedTracks(const AudioTestEnvironment& env) {
  std::vector<std::string> names;
  for (auto& e : env.EventsStarting("music", "open ")) names.push_back(e.details.substr(e.details.rfind('/') + 1));
  return names;
}

TEST(MusicFileSplit, SkipsEmptyItemsAndTakesBareNamesFromTheExtractionFolder) {
  AudioTestEnvironment env;
  WriteWave(env.dir() + "/Theme.wav", 100);
  const std::string ext = env.dir();
  // An empty item between two names and a trailing ";" make no difference.
  auto list = SplitMusicFile("theme.WAV;;/music/other.mp3;", ext);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], ext + "/Theme.wav");  // found without regard to case
  EXPECT_EQ(list[1], "/music/other.mp3");  // a name with a directory is kept as it is
  EXPECT_EQ(SplitMusicFile("theme.WAV;;/music/other.mp3", ext), list);
  // A name that is not there still refers to the extraction folder.
  EXPECT_EQ(SplitMusicFile("missing.mid", ext), std::vector<std::string>{ext + "/missing.mid"});
  EXPECT_TRUE(SplitMusicFile(";;", ext).empty());
  EXPECT_TRUE(SplitMusicFile("", ext).empty());
}

TEST(MusicSequence, SequentialListWrapsAfterEachTrackEnds) {
  AudioTestEnvironment env;
  WriteWave(env.dir() + "/a.wav", 1000);
  WriteWave(env.dir() + "/b.wav", 2000);
  WriteWave(env.dir() + "/c.wav", 500);
  TSaverMusic music(env.audio());
  music.Start("a.wav;b.wav;c.wav", 1, env.dir());
  ASSERT_TRUE(music.on());
  env.Run(7100);
  EXPECT_EQ(OpenedTracks(env),
            (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "a.wav", "b.wav", "c.wav", "a.wav"}));
  // Each track starts when the one before has played its whole length.
  auto plays = env.EventsStarting("music", "play");
  ASSERT_GE(plays.size(), 5u);
  EXPECT_EQ(plays[1].tick - plays[0].tick, 1000u);
  EXPECT_EQ(plays[2].tick - plays[1].tick, 2000u);
  EXPECT_EQ(plays[3].tick - plays[2].tick, 500u);
  // The device is closed before the next track opens.
  EXPECT_EQ(env.EventsStarting("music", "close ").size(), 6u);
}

TEST(MusicSequence, ShuffledTwoTrackListAlternates) {
  for (uint32_t seed : {1u, 77u, 123456u}) {
    AudioTestEnvironment env;
    WriteWave(env.dir() + "/a.wav", 300);
    WriteWave(env.dir() + "/b.wav", 300);
    ProgramRandom::SetSeed(seed);
    TSaverMusic music(env.audio());
    music.Start("a.wav;b.wav", 0, env.dir());
    env.Run(3000);
    auto tracks = OpenedTracks(env);
    ASSERT_EQ(tracks.size(), 11u);
    for (size_t i = 1; i < tracks.size(); ++i) EXPECT_NE(tracks[i], tracks[i - 1]) << "seed " << seed;
  }
}

TEST(MusicSequence, OneTrackListRepeatsInEitherMode) {
  for (int mode : {0, 1}) {
    AudioTestEnvironment env;
    WriteWave(env.dir() + "/only.wav", 400);
    TSaverMusic music(env.audio());
    music.Start("only.wav", mode, env.dir());
    env.Run(2050);
    EXPECT_EQ(OpenedTracks(env).size(), 6u) << "mode " << mode;  // at 0, 400, ..., 2000
    EXPECT_EQ(music.musicIndex(), 0);
  }
}

TEST(MusicSequence, ATrackOfAnotherFormatPlaysAFixedLength) {
  AudioTestEnvironment env;
  test::WriteText(env.dir() + "/song.mp3", "not decoded by the recording device");
  WriteWave(env.dir() + "/b.wav", 1000);
  TSaverMusic music(env.audio());
  music.Start("song.mp3;b.wav", 1, env.dir());
  env.Run(3500);
  auto plays = env.EventsStarting("music", "play");
  ASSERT_EQ(plays.size(), 2u);
  EXPECT_EQ(plays[1].tick - plays[0].tick, 3000u);
}

TEST(MusicFailures, FirstTrackThatCannotOpenMeansNoMusicForTheRun) {
  AudioTestEnvironment env;
  WriteWave(env.dir() + "/b.wav", 300);
  TSaverMusic music(env.audio());
  music.Start("missing.wav;b.wav", 1, env.dir());
  EXPECT_FALSE(music.on());
  env.Run(2000);
  EXPECT_TRUE(env.EventsStarting("music", "play").empty());
}

TEST(MusicFailures, BrokenTrackIsSkippedDuringTheRun) {
  AudioTestEnvironment env;
  WriteWave(env.dir() + "/a.wav", 500);
  test::WriteText(env.dir() + "/broken.wav", "RIFF....WAVEjunk");
  WriteWave(env.dir() + "/c.wav", 500);
  TSaverMusic music(env.audio());
  music.Start("a.wav;broken.wav;c.wav", 1, env.dir());
  env.Run(2100);
  EXPECT_TRUE(music.on());
  EXPECT_EQ(OpenedTracks(env), (std::vector<std::string>{"a.wav", "c.wav", "a.wav", "c.wav", "a.wav"}));
  EXPECT_EQ(env.EventsStarting("music", "open-failed").size(), 2u);
}

TEST(MusicFailures, MusicStopsOnceEveryTrackHasFailed) {
  for (int mode : {0, 1}) {
    AudioTestEnvironment env;
    ProgramRandom::SetSeed(42);
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) WriteWave(env.dir() + "/" + name, 500);
    TSaverMusic music(env.audio());
    music.Start("a.wav;b.wav;c.wav", mode, env.dir());
    ASSERT_TRUE(music.on());
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) std::remove((env.dir() + "/" + name).c_str());
    env.Run(5000);
    EXPECT_FALSE(music.on()) << "mode " << mode;
    EXPECT_EQ(env.EventsStarting("music", "off").size(), 1u);
    // Every track was tried, and nothing after the music went off.
    auto failed = env.EventsStarting("music", "open-failed");
    std::set<std::string> distinct;
    for (auto& e : failed) distinct.insert(e.details);
    EXPECT_EQ(distinct.size(), 3u);
    EXPECT_LE(env.Events("music").back().tick, 500u);
  }
}

TEST(MusicFailures, NoMusicDeviceMeansNoMusic) {
  HeadlessAudioOptions none;
  none.available = false;
  AudioTestEnvironment env(none);
  WriteWave(env.dir() + "/a.wav", 500);
  TSaverMusic music(env.audio());
  music.Start("a.wav", 1, env.dir());
  EXPECT_FALSE(music.on());
  EXPECT_EQ(music.musicList().size(), 1u);
}

}  // namespace
}  // namespace tp
