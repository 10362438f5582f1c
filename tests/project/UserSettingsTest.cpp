// The user settings file beside the saver: laying it over the project, reading and
// writing it from the dialogs (round trips, key order, unknown keys kept, atomic
// replacement), the picture selection and single-picture index, the availability rule
// and the common folder lookup.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "project/RunContext.h"
#include "project/UserSettings.h"
#include "support/SaverRun.h"

namespace tp {
namespace {

using test::TempDir;

class UserSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = CurrentRun();
    CurrentRun().saverPath = dir_ / "Lake.scr";
    CurrentRun().firstArgument = "/S";
    for (const char* n : {"a.mpp", "b.mpp", "c.mpp", "d.mpp"}) {
      project_.fileList.pictures.push_back(n);
      project_.fileList.selected.push_back("TRUE");
    }
    project_.setting.Stretch = true;
    project_.setting.Proportional = true;
    project_.setting.Sound = false;
    project_.setting.Music = true;
    project_.setting.Duration = 17;
    project_.setting.Speed = 240;
    project_.setting.MusicFile = "song.mp3";
    project_.setting.ShowImageMode = 1;
  }
  void TearDown() override { CurrentRun() = saved_; }

  void WriteIni(const std::string& text) { std::ofstream(dir_ / "Lake.ini", std::ios::binary) << text; }
  std::string ReadIni() {
    std::string s;
    ReadFile(dir_ / "Lake.ini", s);
    return s;
  }

  TempDir dir_;
  RunContext saved_;
  TMpCProject project_;
};

TEST_F(UserSettings, FileNameIsTheSaverWithItsExtensionReplaced) {
  EXPECT_EQ(UserSettingsPath(), dir_ / "Lake.ini");
  CurrentRun().saverPath = "/home/u/my.savers/Lake View.scr";
  EXPECT_EQ(UserSettingsPath(), "/home/u/my.savers/Lake View.ini");
  CurrentRun().saverPath = "/home/u/my.savers/Lake";
  EXPECT_EQ(UserSettingsPath(), "/home/u/my.savers/Lake.ini");
}

TEST_F(UserSettings, MissingFileChangesNothing) {
  const TMpCProject before = project_;
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.setting.Duration, before.setting.Duration);
  EXPECT_EQ(project_.setting.DirectX, before.setting.DirectX);
  EXPECT_EQ(project_.setting.MusicFile, "song.mp3");
  UserSettingsValues v;
  ASSERT_TRUE(ReadUserSettings(project_, v));
  EXPECT_EQ(v.ImageSize, 2);  // Stretch and Proportional on
  EXPECT_EQ(v.ImageMode, 1);
  EXPECT_EQ(v.Speed, 17);  // 240 is index 17 of the speed table
  EXPECT_FALSE(v.Sound);
  EXPECT_TRUE(v.Music);
  EXPECT_EQ(v.Duration, 17);
  EXPECT_FALSE(v.CustomMusic);
  EXPECT_TRUE(v.ShuffleMusic);
  EXPECT_TRUE(v.MusicList.empty());
  EXPECT_FALSE(FileExists(dir_ / "Lake.ini"));
}

TEST_F(UserSettings, OnlyImageSizeZeroTurnsStretchOffAndLeavesTheRestAsTheProjectHasIt) {
  project_.setting.DirectX = false;
  project_.setting.DirectXQuality = 2;
  WriteIni("[Setting]\r\nImageSize=0\r\n");
  ApplyUserSettings(project_);
  const TMpCSetting& s = project_.setting;
  EXPECT_FALSE(s.Stretch);
  EXPECT_FALSE(s.Proportional);
  // Missing display keys keep the project's values, as the settings dialog shows them.
  EXPECT_FALSE(s.DirectX);
  EXPECT_EQ(s.DirectXQuality, 2);
  EXPECT_EQ(s.ShowImageMode, 1);
  EXPECT_FALSE(s.Sound);
  EXPECT_TRUE(s.Music);
  EXPECT_EQ(s.Duration, 17);
  EXPECT_EQ(s.Speed, 240);
  EXPECT_EQ(s.MusicFile, "song.mp3");
  for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(project_.fileList.IsSelected(i));
}

TEST_F(UserSettings, ImageModesSelectPictures) {
  WriteIni("[Setting]\r\nImageMode=3\r\nIndex=4\r\n[Files]\r\n1=\r\n");
  ApplyUserSettings(project_);  // index equal to the count: picture 0
  EXPECT_EQ(project_.fileList.selected, (std::vector<std::string>{"TRUE", "FALSE", "FALSE", "FALSE"}));
  EXPECT_EQ(project_.setting.ShowImageMode, 3);

  project_.fileList.SelectAll(true);
  WriteIni("[Setting]\r\nImageMode=3\r\nIndex=2\r\n");
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.fileList.selected, (std::vector<std::string>{"FALSE", "FALSE", "TRUE", "FALSE"}));

  project_.fileList.SelectAll(true);
  WriteIni("[Setting]\r\nImageMode=2\r\n[Files]\r\n1=\r\n9=\r\n-1=\r\nx=\r\n3=\r\n");
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.fileList.selected, (std::vector<std::string>{"TRUE", "FALSE", "TRUE", "FALSE"}));

  project_.fileList.SelectAll(true);
  WriteIni("[Setting]\r\nImageMode=0\r\n[Files]\r\n1=\r\n");
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.fileList.selected, std::vector<std::string>(4, "TRUE"));
}

TEST_F(UserSettings, SpeedIndexAndCustomMusic) {
  struct Case {
    const char* speed;
    int32_t expected;
  };
  for (const Case c : {Case{"10", 100}, Case{"20", 500}, Case{"0", 10}, Case{"21", 240}, Case{"-1", 240},
                       Case{"fast", 240}}) {
    project_.setting.Speed = 240;
    WriteIni(std::string("[Setting]\r\nSpeed=") + c.speed + "\r\n");
    ApplyUserSettings(project_);
    EXPECT_EQ(project_.setting.Speed, c.expected) << c.speed;
  }
  WriteIni("[Setting]\r\nCustomMusic=1\r\n[MusicList]\r\n");
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.setting.MusicFile, "");  // no music
  EXPECT_EQ(project_.setting.MusicMode, 0);
  WriteIni("[Setting]\r\nCustomMusic=1\r\nShuffleMusic=0\r\n[MusicList]\r\n/m/b.ogg=\r\n/m/a.mp3=\r\n");
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.setting.MusicFile, "/m/b.ogg;/m/a.mp3");
  EXPECT_EQ(project_.setting.MusicMode, 1);
  WriteIni("[Setting]\r\nCustomMusic=0\r\n[MusicList]\r\n/m/c.ogg=\r\n");
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.setting.MusicFile, "/m/b.ogg;/m/a.mp3");  // the list is ignored
}

TEST_F(UserSettings, WriteThenReadRoundTripsAndKeepsWhatTheProgramDoesNotKnow) {
  WriteIni("; the user's note\r\n[Setting]\r\nFuture=kept\r\nIndex=2\r\n[MusicList]\r\n/old.mp3=\r\n[Other]\r\nx=1\r\n");
  UserSettingsValues v;
  v.ImageSize = 0;
  v.ImageMode = 2;
  v.Speed = 20;
  v.Sound = false;
  v.Music = true;
  v.Transition = false;
  v.Duration = 45;
  v.DirectX = true;
  v.DirectXQuality = 3;
  v.CustomMusic = true;
  v.ShuffleMusic = false;
  v.MusicList = {"/m/z.mp3", "/m/a b.ogg"};
  ASSERT_TRUE(WriteUserSettings(v));

  UserSettingsValues back;
  ASSERT_TRUE(ReadUserSettings(project_, back));
  EXPECT_EQ(back.ImageSize, 0);
  EXPECT_EQ(back.ImageMode, 2);
  EXPECT_EQ(back.Speed, 20);
  EXPECT_FALSE(back.Sound);
  EXPECT_TRUE(back.Music);
  EXPECT_FALSE(back.Transition);
  EXPECT_EQ(back.Duration, 45);
  EXPECT_TRUE(back.DirectX);
  EXPECT_EQ(back.DirectXQuality, 3);
  EXPECT_TRUE(back.CustomMusic);
  EXPECT_FALSE(back.ShuffleMusic);
  EXPECT_EQ(back.MusicList, (std::vector<std::string>{"/m/z.mp3", "/m/a b.ogg"}));

  const IniFile ini = IniFile::Parse(ReadIni());
  EXPECT_EQ(ini.ReadString("Setting", "Future", ""), "kept");
  EXPECT_EQ(ini.ReadInteger("Setting", "Index", 0), 2);
  EXPECT_EQ(ini.ReadString("Other", "x", ""), "1");
  EXPECT_NE(ReadIni().find("; the user's note"), std::string::npos);
  const std::vector<std::string> keys = ini.KeyNames("Setting");
  const std::vector<std::string> order = {"ImageSize", "ImageMode", "Speed", "Sound", "Music", "Transition",
                                          "Duration", "DirectX", "DirectXQuality", "CustomMusic", "ShuffleMusic"};
  std::vector<std::string> written;
  for (const std::string& k : keys)
    if (std::find(order.begin(), order.end(), k) != order.end()) written.push_back(k);
  EXPECT_EQ(written, order);
  EXPECT_EQ(ini.ReadString("Setting", "Sound", ""), "0");
  EXPECT_EQ(ini.ReadString("Setting", "DirectX", ""), "1");
  // Only the settings file is in the folder: the replacement left no temporary file.
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"Lake.ini"}));

  // The applied show then uses these values.
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.setting.Speed, 500);
  EXPECT_FALSE(project_.setting.Stretch);
  EXPECT_EQ(project_.setting.MusicFile, "/m/z.mp3;/m/a b.ogg");
  EXPECT_EQ(project_.setting.MusicMode, 1);
  EXPECT_EQ(project_.setting.Duration, 45);
}

TEST_F(UserSettings, SelectionAndSingleIndexRoundTrip) {
  project_.fileList.SetSelected(0, false);
  project_.fileList.SetSelected(2, false);
  ASSERT_TRUE(WriteDeselectedPictures(project_.fileList));
  EXPECT_EQ(IniFile::Parse(ReadIni()).KeyNames("Files"), (std::vector<std::string>{"0", "2"}));
  TMpCFileList list = project_.fileList;
  list.SelectAll(false);
  ASSERT_TRUE(ReadDeselectedPictures(list));
  EXPECT_EQ(list.selected, (std::vector<std::string>{"FALSE", "TRUE", "FALSE", "TRUE"}));
  // Rewritten whole: with everything on the section holds no key.
  project_.fileList.SelectAll(true);
  ASSERT_TRUE(WriteDeselectedPictures(project_.fileList));
  EXPECT_TRUE(IniFile::Parse(ReadIni()).KeyNames("Files").empty());
  ASSERT_TRUE(ReadDeselectedPictures(list));
  EXPECT_EQ(list.selected, std::vector<std::string>(4, "TRUE"));

  EXPECT_EQ(ReadSinglePictureIndex(), 0);
  ASSERT_TRUE(WriteSinglePictureIndex(3));
  EXPECT_EQ(ReadSinglePictureIndex(), 3);
  WriteIni("[Setting]\r\nIndex=abc\r\n");
  EXPECT_EQ(ReadSinglePictureIndex(), 0);
}

TEST_F(UserSettings, DialogOperationsNeedAScrFileOrTheConfigureSwitch) {
  CurrentRun().saverPath = dir_ / "Lake.exe";
  EXPECT_FALSE(UserSettingsAvailable());
  UserSettingsValues v;
  v.Duration = 99;
  EXPECT_FALSE(ReadUserSettings(project_, v));
  EXPECT_EQ(v.Duration, 99);
  EXPECT_FALSE(WriteUserSettings(v));
  EXPECT_FALSE(WriteSinglePictureIndex(1));
  EXPECT_FALSE(WriteDeselectedPictures(project_.fileList));
  EXPECT_FALSE(FileExists(dir_ / "Lake.ini"));
  // ApplyUserSettings itself works for any saver file.
  WriteIni("[Setting]\r\nDuration=5\r\n");
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.setting.Duration, 5);

  CurrentRun().firstArgument = "/C";
  EXPECT_TRUE(UserSettingsAvailable());
  EXPECT_TRUE(WriteSinglePictureIndex(1));
  CurrentRun().firstArgument = "/S";
  CurrentRun().saverPath = dir_ / "Upper.SCR";
  EXPECT_TRUE(UserSettingsAvailable());
}

TEST_F(UserSettings, DisplayKeysOfTheFileStillReplaceTheProjects) {
  project_.setting.DirectX = true;
  project_.setting.DirectXQuality = 0;
  WriteIni("[Setting]\r\nIndex=1\r\n");  // what closing the window alone writes
  ApplyUserSettings(project_);
  EXPECT_TRUE(project_.setting.DirectX);
  EXPECT_EQ(project_.setting.DirectXQuality, 0);
  WriteIni("[Setting]\r\nDirectX=0\r\nDirectXQuality=2\r\n");
  ApplyUserSettings(project_);
  EXPECT_FALSE(project_.setting.DirectX);
  EXPECT_EQ(project_.setting.DirectXQuality, 2);
}

TEST_F(UserSettings, WrittenInTheCodePageAndReadInEither) {
  // A file from the saver's own platform, in Windows-1252: "Größe" and "Café".
  WriteIni("[Setting]\r\nIndex=1\r\n[MusicList]\r\nC:\\Musik\\Gr\xF6\xDF" "e.mp3=\r\n");
  UserSettingsValues v;
  ASSERT_TRUE(ReadUserSettings(project_, v));
  EXPECT_EQ(v.MusicList, std::vector<std::string>{"C:\\Musik\\Gr\u00f6\u00dfe.mp3"});
  ASSERT_TRUE(WriteSinglePictureIndex(2));
  EXPECT_NE(ReadIni().find("Gr\xF6\xDF" "e.mp3"), std::string::npos) << "the file changed its code page";
  EXPECT_EQ(ReadIni().find("\xC3"), std::string::npos);

  v.MusicList = {"/m/Caf\u00e9.mp3"};
  ASSERT_TRUE(WriteUserSettings(v));
  EXPECT_NE(ReadIni().find("/m/Caf\xE9.mp3="), std::string::npos);
  // A UTF-8 file (as older versions wrote) reads the same.
  WriteIni("[MusicList]\r\n/m/Caf\u00e9.mp3=\r\n");
  ASSERT_TRUE(ReadUserSettings(project_, v));
  EXPECT_EQ(v.MusicList, std::vector<std::string>{"/m/Caf\u00e9.mp3"});

  // A path the code page cannot hold is not mangled: the file stays UTF-8.
  v.MusicList = {"/m/\u6e56.mp3", "/m/Caf\u00e9.mp3"};
  ASSERT_TRUE(WriteUserSettings(v));
  UserSettingsValues back;
  ASSERT_TRUE(ReadUserSettings(project_, back));
  EXPECT_EQ(back.MusicList, v.MusicList);
}

TEST_F(UserSettings, OnlyARegularFileOfAtMostOneMegabyteIsRead) {
  const std::string target = dir_ / "elsewhere.ini";
  const std::string text = "[Setting]\r\nDuration=5\r\n";
  std::ofstream(target, std::ios::binary) << text;
  ASSERT_EQ(::symlink("elsewhere.ini", (dir_ / "Lake.ini").c_str()), 0);
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.setting.Duration, 17);  // the link is not followed
  EXPECT_EQ(ReadSinglePictureIndex(), 0);
  // Writing replaces the link with a file of our own; the link's target is untouched.
  ASSERT_TRUE(WriteSinglePictureIndex(3));
  struct stat st{};
  ASSERT_EQ(::lstat((dir_ / "Lake.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  std::string after;
  ASSERT_TRUE(ReadFile(target, after));
  EXPECT_EQ(after, text);

  // Past 1 MB the file counts as absent.
  WriteIni("[Setting]\r\nDuration=6\r\n; " + std::string(1 << 20, 'x') + "\r\n");
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.setting.Duration, 17);
  WriteIni("[Setting]\r\nDuration=6\r\n");
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.setting.Duration, 6);
}

TEST_F(UserSettings, NewFilesAreNotExecutableOrSetIdWhateverTheyReplace) {
  const mode_t oldMask = ::umask(022);
  ASSERT_TRUE(WriteSinglePictureIndex(1));
  struct stat st{};
  ASSERT_EQ(::stat((dir_ / "Lake.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
  ASSERT_EQ(::chmod((dir_ / "Lake.ini").c_str(), 06664), 0);
  ASSERT_TRUE(WriteSinglePictureIndex(2));
  ASSERT_EQ(::stat((dir_ / "Lake.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
  ::umask(oldMask);
}

TEST_F(UserSettings, AnUnwritableSaverFolderKeepsTheFileInTheConfigFolder) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string keep = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
  // A folder that takes no new files (here: one that is not there).
  CurrentRun().saverPath = dir_ / "readonly/Lake.scr";
  CurrentRun().firstArgument = "/C";
  const std::string fallback = dir_ / "config/tidepool/Lake.ini";
  EXPECT_EQ(UserSettingsFallbackPath(), fallback);
  testing::internal::CaptureStderr();
  ASSERT_TRUE(WriteSinglePictureIndex(2));
  EXPECT_EQ(ReadSinglePictureIndex(), 2);
  UserSettingsValues v;
  v.Duration = 8;
  ASSERT_TRUE(WriteUserSettings(v));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(FileExists(fallback));
  EXPECT_FALSE(FileExists(dir_ / "readonly/Lake.ini"));
  // Said once, naming the file used.
  EXPECT_EQ(said.find(fallback), said.rfind(fallback)) << said;
  EXPECT_NE(said.find(fallback), std::string::npos) << said;
  ApplyUserSettings(project_);
  EXPECT_EQ(project_.setting.Duration, 8);
  if (old) ::setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
  else ::unsetenv("XDG_CONFIG_HOME");
}

TEST(SpeedTable, IndexOfASpeed) {
  EXPECT_EQ(kSpeedTable[10], 100);
  EXPECT_EQ(SpeedIndexOf(100), 10);
  EXPECT_EQ(SpeedIndexOf(10), 0);
  EXPECT_EQ(SpeedIndexOf(500), 20);
  EXPECT_EQ(SpeedIndexOf(44), 3);  // nearest: 45
  EXPECT_EQ(SpeedIndexOf(100000), 20);
}

TEST(CommonFolder, FirstDataFolderHoldingTheCommonFolderElseUsrShare) {
  TempDir dir;
  const std::string home = dir / "home", a = dir / "a", b = dir / "b";
  for (const std::string& d : {home, a, b, b + "/Quillon", b + "/Quillon/Common"}) ASSERT_EQ(::mkdir(d.c_str(), 0755), 0);
  const char* oldHome = std::getenv("XDG_DATA_HOME");
  const char* oldDirs = std::getenv("XDG_DATA_DIRS");
  const std::string keepHome = oldHome ? oldHome : "", keepDirs = oldDirs ? oldDirs : "";
  ::setenv("XDG_DATA_HOME", home.c_str(), 1);
  ::setenv("XDG_DATA_DIRS", (a + ":" + b).c_str(), 1);
  EXPECT_EQ(ProgramFilesFolder(), b + "/");
  EXPECT_EQ(CommonFolder(), b + "/Quillon/Common/");
  ::setenv("XDG_DATA_DIRS", a.c_str(), 1);
  EXPECT_EQ(ProgramFilesFolder(), "/usr/share/");
  for (const std::string& d : {home + "/Quillon", home + "/Quillon/Common"}) ASSERT_EQ(::mkdir(d.c_str(), 0755), 0);
  EXPECT_EQ(ProgramFilesFolder(), home + "/");
  if (oldHome) ::setenv("XDG_DATA_HOME", keepHome.c_str(), 1);
  else ::unsetenv("XDG_DATA_HOME");
  if (oldDirs) ::setenv("XDG_DATA_DIRS", keepDirs.c_str(), 1);
  else ::unsetenv("XDG_DATA_DIRS");
}

}  // namespace
}  // namespace tp
