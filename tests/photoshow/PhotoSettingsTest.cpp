// The folder show's settings: the file read over the defaults, written back keeping what it
// does not know, the command line on top; transition lists; music lists.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/FileSystem.h"
#include "support/SaverRun.h"
#include "photoshow/PhotoMusic.h"
#include "photoshow/PhotoSettings.h"

namespace tp {
namespace {

TEST(PhotoSettings, TheFileIsReadOverTheDefaultsAndBadValuesKeepThem) {
  test::TempDir f;
  EXPECT_EQ(LoadPhotoSettings(f / "missing.ini").durationSeconds, 10);
  ASSERT_TRUE(WriteFile(f / "a.ini",
                        "[Folders]\nFolder1=/photos/one\nFolder2=\nFolder3=/photos/two\n"
                        "[Show]\nDuration=42\nOrder=Newest\nTransitions=3,7-9\nTransitionTime=800\n"
                        "Music=/music\nMusicShuffle=1\nFill=Crop\nCropLimit=30\nMotion=Strong\nCaptions=Date+Folder\n"
                        "Pairs=0\n"));
  const PhotoSettings s = LoadPhotoSettings(f / "a.ini");
  EXPECT_EQ(s.folders, (std::vector<std::string>{"/photos/one", "/photos/two"}));
  EXPECT_EQ(s.durationSeconds, 42);
  EXPECT_EQ(s.order, DeckOrder::Newest);
  EXPECT_EQ(s.transitions, "3,7-9");
  EXPECT_EQ(s.transitionMs, 800);
  EXPECT_EQ(s.music, "/music");
  EXPECT_TRUE(s.musicShuffle);
  EXPECT_EQ(s.fill, PhotoFill::Crop);
  EXPECT_EQ(s.cropLimitPercent, 30);
  EXPECT_EQ(s.motion, PhotoMotion::Strong);
  EXPECT_EQ(s.captions, PhotoCaptions::DateAndFolder);
  EXPECT_FALSE(s.pairs);

  ASSERT_TRUE(WriteFile(f / "b.ini", "[Show]\nDuration=0\nOrder=sideways\nTransitions=none\nTransitionTime=-5\n"
                                     "Fill=stretch\nCropLimit=51\nMotion=wild\nCaptions=time\n"));
  const PhotoSettings d = LoadPhotoSettings(f / "b.ini");
  const PhotoSettings defaults;
  EXPECT_EQ(d.durationSeconds, defaults.durationSeconds);
  EXPECT_EQ(d.order, defaults.order);
  EXPECT_EQ(d.transitions, defaults.transitions);
  EXPECT_EQ(d.transitionMs, defaults.transitionMs);
  EXPECT_EQ(d.fill, PhotoFill::Blur);
  EXPECT_EQ(d.cropLimitPercent, 15);
  EXPECT_EQ(d.motion, PhotoMotion::Gentle);
  EXPECT_EQ(d.captions, PhotoCaptions::Off);
  EXPECT_TRUE(d.pairs);  // on unless the file turns them off
  ASSERT_TRUE(WriteFile(f / "c.ini", "[Show]\nCropLimit=-1\n"));
  EXPECT_EQ(LoadPhotoSettings(f / "c.ini").cropLimitPercent, 15);
}

TEST(PhotoSettings, SavingKeepsUnknownKeysAndReadsBackTheSame) {
  test::TempDir f;
  ASSERT_TRUE(WriteFile(f / "p.ini", "; mine\n[Show]\nDuration=5\nLater=yes\n[Folders]\nFolder1=/old\n[Other]\nX=1\n"));
  PhotoSettings s;
  s.folders = {"/new/one", "/new/two"};
  s.durationSeconds = 30;
  s.order = DeckOrder::Date;
  s.transitions = "all";
  s.fill = PhotoFill::Bars;
  s.cropLimitPercent = 0;
  s.motion = PhotoMotion::Off;
  s.captions = PhotoCaptions::Date;
  s.pairs = false;
  ASSERT_TRUE(SavePhotoSettings(f / "p.ini", s));
  std::string text;
  ASSERT_TRUE(ReadFile(f / "p.ini", text));
  EXPECT_NE(text.find("Later=yes"), std::string::npos) << text;
  EXPECT_NE(text.find("[Other]"), std::string::npos) << text;
  EXPECT_EQ(text.find("/old"), std::string::npos) << text;
  const PhotoSettings back = LoadPhotoSettings(f / "p.ini");
  EXPECT_EQ(back.folders, s.folders);
  EXPECT_EQ(back.durationSeconds, 30);
  EXPECT_EQ(back.order, DeckOrder::Date);
  EXPECT_EQ(back.transitions, "all");
  EXPECT_EQ(back.fill, PhotoFill::Bars);
  EXPECT_EQ(back.cropLimitPercent, 0);
  EXPECT_EQ(back.motion, PhotoMotion::Off);
  EXPECT_EQ(back.captions, PhotoCaptions::Date);
  EXPECT_FALSE(back.pairs);
}

TEST(PhotoSettings, SavingCreatesTheFolderAndNeverWritesThroughALink) {
  test::TempDir f;
  ASSERT_TRUE(SavePhotoSettings(f / "deep/er/pictures.ini", PhotoSettings()));
  EXPECT_TRUE(FileExists(f / "deep/er/pictures.ini"));
  ASSERT_TRUE(WriteFile(f / "victim", "untouched"));
  ASSERT_EQ(::symlink((f / "victim").c_str(), (f / "link.ini").c_str()), 0);
  ASSERT_TRUE(SavePhotoSettings(f / "link.ini", PhotoSettings()));
  std::string victim;
  ASSERT_TRUE(ReadFile(f / "victim", victim));
  EXPECT_EQ(victim, "untouched");
}

TEST(PhotoSettings, TheCommandLineOverridesTheFile) {
  PhotoSettings file;
  file.folders = {"/from/file"};
  file.durationSeconds = 20;
  PhotoOverrides o;
  o.durationSeconds = 100000;  // held to the bound
  o.order = DeckOrder::Name;
  PhotoSettings s = ApplyOverrides(file, o);
  EXPECT_EQ(s.folders, file.folders);
  EXPECT_EQ(s.durationSeconds, kMaxDurationSeconds);
  EXPECT_EQ(s.order, DeckOrder::Name);
  o.folders = {"/given"};
  o.transitions = "all";
  s = ApplyOverrides(file, o);
  EXPECT_EQ(s.folders, std::vector<std::string>{"/given"});
  EXPECT_EQ(s.transitions, "all");
  EXPECT_EQ(s.fill, PhotoFill::Blur);
  o.fill = PhotoFill::Crop;
  o.cropLimitPercent = 99;  // held to the bound
  s = ApplyOverrides(file, o);
  EXPECT_EQ(s.fill, PhotoFill::Crop);
  EXPECT_EQ(s.cropLimitPercent, kMaxCropLimitPercent);
  EXPECT_EQ(s.motion, PhotoMotion::Gentle);
  o.motion = PhotoMotion::Off;
  o.framesPerSecond = 1000;  // held to the bound
  s = ApplyOverrides(file, o);
  EXPECT_EQ(s.motion, PhotoMotion::Off);
  EXPECT_EQ(s.framesPerSecond, kMaxFramesPerSecond);
  EXPECT_EQ(s.captions, PhotoCaptions::Off);
  o.captions = PhotoCaptions::Date;
  EXPECT_EQ(ApplyOverrides(file, o).captions, PhotoCaptions::Date);
  EXPECT_TRUE(ApplyOverrides(file, o).pairs);
  o.pairs = false;
  EXPECT_FALSE(ApplyOverrides(file, o).pairs);
}

TEST(PhotoSettings, TransitionTexts) {
  EXPECT_EQ(TransitionEffectsOf("fade"), std::vector<int>{1});
  EXPECT_EQ(TransitionEffectsOf(" FADE "), std::vector<int>{1});
  EXPECT_EQ(TransitionEffectsOf("all").size(), 169u);
  EXPECT_EQ(TransitionEffectsOf("3, 7-9,3,200,0"), (std::vector<int>{3, 7, 8, 9}));
  EXPECT_EQ(TransitionEffectsOf("165-400"), (std::vector<int>{165, 166, 167, 168, 169}));
  EXPECT_TRUE(TransitionEffectsOf("").empty());
  EXPECT_TRUE(TransitionEffectsOf("fancy").empty());
  EXPECT_TRUE(TransitionEffectsOf("9-3").empty());
  EXPECT_TRUE(TransitionEffectsOf("-5").empty());
  // A huge range costs no more than the catalogue.
  EXPECT_EQ(TransitionEffectsOf("1-2147483647").size(), 169u);
}

TEST(PhotoMusic, AFolderGivesItsSoundFilesByName) {
  test::TempDir f;
  ::mkdir((f / "music").c_str(), 0755);
  for (const char* n : {"b.ogg", "a.MP3", "c.wav", "notes.txt", ".hidden.ogg", "semi;colon.ogg"})
    ASSERT_TRUE(WriteFile(f / "music/" + n, "x"));
  ::mkdir((f / "music/sub.ogg").c_str(), 0755);
  EXPECT_EQ(MusicTrackList(f / "music"), f / "music/a.MP3;" + f / "music/b.ogg;" + f / "music/c.wav");
  EXPECT_EQ(MusicTrackList(f / "music/b.ogg"), f / "music/b.ogg");
  EXPECT_EQ(MusicTrackList(f / "nothing"), "");
  EXPECT_EQ(MusicTrackList(f / "music/semi;colon.ogg"), "");
  EXPECT_EQ(MusicTrackList(""), "");
}

}  // namespace
}  // namespace tp
