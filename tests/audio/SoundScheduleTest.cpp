// The sound schedule: file resolution, the three play modes and the slot rules, on the
// recording devices with a manual clock.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/AudioTestSupport.h"
#include "core/ProgramRandom.h"
#include "saver/SoundEffect.h"
#include "saver/SoundSchedule.h"

namespace tp {
namespace {

using test::AudioTestEnvironment;
using test::WriteWave;

TSoundSlot Slot(const std::string& file, int32_t mode, int32_t a = 0, int32_t b = 0) {
  TSoundSlot s;
  s.FileName = file;
  s.PlayMode = mode;
  s.ValueA = a;
  s.ValueB = b;
  return s;
}

// Runs the schedule like the idle loop does (one step every 33 ms) for ms milliseconds.
struct ScheduleRun {
  ScheduleRun(AudioTestEnvironment& e, std::vector<TSoundSlot> s)
      : env(e), slots(std::move(s)), player(e.audio()), folders{e.dir(), "", ""} {}

  AudioTestEnvironment& env;
  std::vector<TSoundSlot> slots;
  TSoundEffect player;
  TSoundSchedule schedule;
  SoundFolders folders;

  void SetUp() {
    schedule.SetUpSounds(slots, player, folders, env.clock().Tick());
    schedule.RunSoundSchedule(slots, player, env.clock(), env.runLoop());
  }
  void Run(uint32_t ms) {
    env.Run(ms, 33, [&] { schedule.RunSoundSchedule(slots, player, env.clock(), env.runLoop()); });
  }
  // Ticks of the plays of one slot.
  std::vector<uint32_t> PlayTicks(int slot) const {
    std::vector<uint32_t> ticks;
    for (auto& e : env.EventsStarting("sound", "play slot=" + std::to_string(slot) + " ")) ticks.push_back(e.tick);
    return ticks;
  }
};

TEST(SoundFileResolution, StoredPathThenExtractionThenCommonThenProgramSounds) {
  AudioTestEnvironment env;
  namespace fs = std::filesystem;
  const std::string ext = env.dir() + "/ext", common = env.dir() + "/common", program = env.dir() + "/prog";
  fs::create_directories(ext);
  fs::create_directories(common + "/Sounds");
  fs::create_directories(program + "/sounds");
  WriteWave(ext + "/Birds.wav", 10);
  WriteWave(common + "/Sounds/WIND.WAV", 10);
  WriteWave(common + "/Sounds/birds.wav", 10);
  WriteWave(program + "/sounds/rain.wav", 10);
  WriteWave(program + "/sounds/wind.wav", 10);
  WriteWave(env.dir() + "/Stored.wav", 10);
  SoundFolders folders{ext, common, program};

  EXPECT_EQ(ResolveSoundFile(env.dir() + "/Stored.wav", folders), env.dir() + "/Stored.wav");
  EXPECT_EQ(ResolveSoundFile(env.dir() + "/STORED.WAV", folders), env.dir() + "/Stored.wav");
  // A path of the authoring machine falls back to its bare name, first in the project.
  EXPECT_EQ(ResolveSoundFile("C:\\Quillon\\Sounds\\birds.WAV", folders), ext + "/Birds.wav");
  EXPECT_EQ(ResolveSoundFile("C:\\x\\wind.wav", folders), common + "/Sounds/WIND.WAV");
  EXPECT_EQ(ResolveSoundFile("rain.wav", folders), program + "/sounds/rain.wav");
  EXPECT_EQ(ResolveSoundFile("thunder.wav", folders), "");
  EXPECT_EQ(ResolveSoundFile("C:\\dir\\", folders), "");
  EXPECT_EQ(ResolveSoundFile("", folders), "");
}

TEST(SoundSchedule, LoopingSoundStartsWithThePictureAndOnlyOnce) {
  AudioTestEnvironment env;
  WriteWave(env.dir() + "/sea.wav", 1000);
  ScheduleRun run{env, {Slot("sea.wav", 0)}};
  run.SetUp();
  run.Run(5000);
  auto plays = env.EventsStarting("sound", "play");
  ASSERT_EQ(plays.size(), 1u);
  EXPECT_EQ(plays[0].tick, 0u);
  EXPECT_EQ(plays[0].details, "play slot=0 loop=1 " + env.dir() + "/sea.wav");
}

TEST(SoundSchedule, RandomIntervalOfTenAndFiveWaitsFiveToNineSeconds) {
  AudioTestEnvironment env;
  ProgramRandom::SetSeed(2024);
  WriteWave(env.dir() + "/gull.wav", 300);
  ScheduleRun run{env, {Slot("gull.wav", 1, 10, 5)}};
  run.SetUp();
  run.Run(200000);
  auto ticks = run.PlayTicks(0);
  ASSERT_GE(ticks.size(), 20u);
  std::set<uint32_t> seconds;
  uint32_t last = 0;  // the first play comes one interval after the set-up
  for (uint32_t t : ticks) {
    uint32_t gap = t - last;
    // Whole seconds elapsed, checked at 33 ms steps.
    EXPECT_GE(gap, 5000u);
    EXPECT_LT(gap, 9000u + 33u);
    seconds.insert(gap / 1000);
    last = t;
  }
  EXPECT_EQ(seconds, (std::set<uint32_t>{5, 6, 7, 8, 9}));
}

TEST(SoundSchedule, EqualIntervalEndsAndFixedIntervalRepeatExactly) {
  AudioTestEnvironment env;
  WriteWave(env.dir() + "/bell.wav", 300);
  WriteWave(env.dir() + "/horn.wav", 300);
  ScheduleRun run{env, {Slot("bell.wav", 1, 7, 7), Slot("horn.wav", 2, 4, 99)}};
  run.SetUp();
  run.Run(30000);
  auto bell = run.PlayTicks(0), horn = run.PlayTicks(1);
  ASSERT_EQ(bell.size(), 4u);
  ASSERT_EQ(horn.size(), 7u);
  uint32_t last = 0;
  for (uint32_t t : bell) {
    EXPECT_GE(t - last, 7000u);
    EXPECT_LT(t - last, 7033u);
    last = t;
  }
  last = 0;
  for (uint32_t t : horn) {
    EXPECT_GE(t - last, 4000u);
    EXPECT_LT(t - last, 4033u);
    last = t;
  }
  for (auto& e : env.EventsStarting("sound", "play")) EXPECT_NE(e.details.find(" loop=0 "), std::string::npos);
}

TEST(SoundSchedule, OtherPlayModesNeverPlay) {
  AudioTestEnvironment env;
  WriteWave(env.dir() + "/a.wav", 300);
  ScheduleRun run{env, {Slot("a.wav", 3, 1, 1), Slot("a.wav", -1, 1, 1)}};
  run.SetUp();
  run.Run(5000);
  EXPECT_TRUE(env.EventsStarting("sound", "play").empty());
  EXPECT_TRUE(run.schedule.entry(0).active);
}

TEST(SoundSchedule, MissingOrCorruptFileKeepsItsSlotSilentWithoutMovingLaterSlots) {
  AudioTestEnvironment env;
  WriteWave(env.dir() + "/a.wav", 300);
  test::WriteText(env.dir() + "/corrupt.wav", "this is not a wave file");
  WriteWave(env.dir() + "/d.wav", 300);
  ScheduleRun run{env, {Slot("a.wav", 0), Slot("gone.wav", 0), Slot("corrupt.wav", 0), Slot("d.wav", 0)}};
  run.SetUp();
  run.Run(100);
  EXPECT_TRUE(run.schedule.entry(0).active);
  EXPECT_FALSE(run.schedule.entry(1).active);
  EXPECT_FALSE(run.schedule.entry(2).active);
  EXPECT_TRUE(run.schedule.entry(3).active);
  auto plays = env.EventsStarting("sound", "play");
  ASSERT_EQ(plays.size(), 2u);
  EXPECT_EQ(plays[0].details, "play slot=0 loop=1 " + env.dir() + "/a.wav");
  EXPECT_EQ(plays[1].details, "play slot=3 loop=1 " + env.dir() + "/d.wav");
}

TEST(SoundSchedule, FallbackModePlaysOnlyTheFirstSound) {
  HeadlessAudioOptions noDevices;
  noDevices.soundDevices = 0;
  AudioTestEnvironment env(noDevices);
  WriteWave(env.dir() + "/a.wav", 300);
  WriteWave(env.dir() + "/b.wav", 300);
  ScheduleRun run{env, {Slot("a.wav", 2, 1), Slot("b.wav", 0)}};
  run.SetUp();
  run.Run(3500);
  EXPECT_TRUE(env.EventsStarting("sound", "play").empty());
  auto waves = env.EventsStarting("wave", "play");
  ASSERT_EQ(waves.size(), 3u);  // slot 0 at 1, 2 and 3 s; slot 1 never
  for (auto& e : waves) EXPECT_EQ(e.details, "play loop=0 " + env.dir() + "/a.wav");
}

TEST(SoundSchedule, NewPictureRestartsTheIntervals) {
  AudioTestEnvironment env;
  WriteWave(env.dir() + "/a.wav", 300);
  ScheduleRun run{env, {Slot("a.wav", 2, 3)}};
  run.SetUp();
  run.Run(2000);
  // The next picture (with the same sound) is loaded 2 s in: its first play is 3 s later.
  run.player.StopAll();
  run.player.Clear();
  run.SetUp();
  run.Run(3100);
  EXPECT_EQ(run.PlayTicks(0).size(), 1u);
  EXPECT_GE(run.PlayTicks(0)[0], 2000u + 3000u);
}

}  // namespace
}  // namespace tp
