// Reading the settings container into the project (entry counts, defaults, file list
// order, code page) and one whole unpack of a saver: files land only inside a private
// extraction folder whatever the file-name list says, references are re-pointed, and
// the removal leaves nothing behind.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <cctype>

#include "core/FileSystem.h"
#include "project/ContainerWriter.h"
#include "project/ProjectLoader.h"
#include "project/ProjectSettings.h"
#include "support/SaverRun.h"

namespace tp {
namespace {

using test::TempDir;

std::string SettingsContainer(const std::vector<std::string>& texts) {
  std::vector<ContainerItem> items;
  for (const std::string& t : texts) items.push_back(ContainerItem::Data(t));
  return ContainerBytes(items);
}

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

const char* kFileList = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\nb.mpp=1\r\na.mpp=0\r\nc.jpg=x\r\n";
const char* kSettings =
    "[General]\r\nProductName=Caf\xE9 Lake\r\n[Default]\r\nSound=0\r\nDuration=abc\r\nSpeed=240\r\n"
    "TransitionEffects=3,5\r\n[Advance]\r\nPreviewFile=C:\\Authoring\\Pics\\prev.jpg\r\n";
const char* kUi = "[UI]\r\nUIFile=C:\\Authoring\\gui.mui\r\n";

TEST(LoadSettingsContainer, ReadsTheThreeTextsOfThreeOrFourEntries) {
  TempDir dir;
  for (size_t count : {3u, 4u}) {
    std::vector<std::string> texts = {kFileList, kSettings, kUi};
    if (count == 4) texts.push_back(ContainerBytes({ContainerItem::Data("ignored")}));
    Write(dir / "MpC.res", SettingsContainer(texts));
    TMpCProject p;
    p.LoadSettingsContainer(dir / "MpC.res", dir.path());
    EXPECT_EQ(p.fileList.pictures, (std::vector<std::string>{"b.mpp", "a.mpp", "c.jpg"})) << count;
    EXPECT_EQ(p.fileList.selected, (std::vector<std::string>{"TRUE", "FALSE", "FALSE"}));
    EXPECT_EQ(p.setting.ProductName, "Caf\xC3\xA9 Lake");  // 1252 e-acute held as UTF-8
    EXPECT_FALSE(p.setting.Sound);
    EXPECT_FALSE(p.setting.Music);  // defaults to the Sound just read
    EXPECT_EQ(p.setting.Duration, 30);
    EXPECT_EQ(p.setting.Speed, 240);
    EXPECT_EQ(p.setting.TransitionEffects, "3,5");
    EXPECT_EQ(p.setting.PreviewFile, "C:\\Authoring\\Pics\\prev.jpg");
    EXPECT_EQ(p.uiSetting.UIFile, "C:\\Authoring\\gui.mui");
    // The scratch texts are gone again.
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"MpC.res"}));
  }
}

TEST(LoadSettingsContainer, OtherEntryCountsKeepEveryDefault) {
  TempDir dir;
  for (const std::string& bytes :
       {SettingsContainer({kFileList, kSettings}), SettingsContainer({kFileList, kSettings, kUi, "", "x"}),
        std::string("not a container at all")}) {
    Write(dir / "MpC.res", bytes);
    TMpCProject p;
    p.LoadSettingsContainer(dir / "MpC.res", dir.path());
    EXPECT_TRUE(p.fileList.pictures.empty());
    EXPECT_EQ(p.setting.ProductName, "My Screensaver");
    EXPECT_TRUE(p.setting.Stretch);
    EXPECT_FALSE(p.setting.Proportional);
    EXPECT_TRUE(p.setting.Sound);
    EXPECT_TRUE(p.setting.Music);
    EXPECT_TRUE(p.setting.Random);
    EXPECT_EQ(p.setting.Duration, 30);
    EXPECT_TRUE(p.setting.Transition);
    EXPECT_EQ(p.setting.TransitionTime, 2000);
    EXPECT_EQ(p.setting.TransitionEffects, AllTransitionEffects());
    EXPECT_EQ(p.setting.Speed, 100);
    EXPECT_EQ(p.setting.ShowImageMode, 0);
    EXPECT_FALSE(p.setting.DirectX);
    EXPECT_EQ(p.setting.DirectXQuality, 0);
    EXPECT_EQ(p.setting.BuildMethod, 2);
    EXPECT_TRUE(p.uiSetting.UIFile.empty());
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"MpC.res"}));
  }
  EXPECT_EQ(AllTransitionEffects().substr(0, 6), "1,2,3,");
  EXPECT_EQ(AllTransitionEffects().substr(AllTransitionEffects().size() - 8), ",168,169");
}

TEST(ProjectSettings, SoundOffWithMusicOnAndAFirstReadKeptBySecond) {
  TMpCSetting s;
  s.Read(IniFile::Parse("[Default]\r\nSound=0\r\nMusic=1\r\nStretch=7\r\n[Build]\r\nCustomIcon=1\r\n"));
  EXPECT_FALSE(s.Sound);
  EXPECT_TRUE(s.Music);
  EXPECT_TRUE(s.Stretch);  // any nonzero integer is true
  EXPECT_TRUE(s.CustomIcon);
  s.Read(IniFile::Parse("[Default]\r\nDuration=12\r\n"));
  EXPECT_FALSE(s.Sound);   // kept from the first read
  EXPECT_FALSE(s.Music);   // its default is the Sound value just read
  EXPECT_FALSE(s.CustomIcon);  // always read with the default false
  EXPECT_EQ(s.Duration, 12);
}

// The extraction folder is fixed from its first use until it is removed.
TEST(UnpackProject, WritesOnlyInsideTheExtractionFolderAndRemovesEverything) {
  TempDir dir;
  const std::string tmp = dir / "tmp";
  ASSERT_EQ(::mkdir(tmp.c_str(), 0755), 0);
  ::setenv("TMPDIR", tmp.c_str(), 1);

  const std::string names =
      "C:\\Authoring\\Pics\\b.mpp\r\n"
      "..\\..\\escape.txt\r\n"
      "/etc/passwd_copy\r\n"
      "..\r\n"
      "\r\n"
      "bad\x01name\r\n"
      "MpC.res\r\n"
      "pics/A.MPP\r\n"
      "prev.jpg\r\n";
  const std::vector<ContainerItem> files = {
      ContainerItem::Data("B"),       ContainerItem::Data("escaped"), ContainerItem::Data("passwd"),
      ContainerItem::Data("dotdot"),  ContainerItem::Data("empty"),   ContainerItem::Data("control"),
      ContainerItem::Data("clobber"), ContainerItem::Data("A"),       ContainerItem::Data("preview")};
  const std::string fileList = "[FileList]\r\nb.mpp=1\r\na.mpp=1\r\n";
  const std::string saver =
      "player image " + ContainerBytes({ContainerItem::Container({ContainerItem::Data(fileList),
                                                                  ContainerItem::Data(kSettings),
                                                                  ContainerItem::Data(kUi)}),
                                        ContainerItem::Data(names), ContainerItem::Container(files),
                                        ContainerItem::Data("ui description")});
  const std::string saverPath = dir / "Lake View.v2.scr";
  Write(saverPath, saver);
  SetSaverPath(saverPath);

  TMpCProject p;
  ASSERT_TRUE(UnpackProject(p, saverPath));
  const std::string folder = ExtractionFolderPath();
  ASSERT_FALSE(folder.empty());
  // The name cut at its first ".", then a tag and an unpredictable part.
  const std::string prefix = tmp + "/Lake View.tidepool-";
  ASSERT_EQ(folder.size(), prefix.size() + 7) << folder;
  EXPECT_EQ(folder.substr(0, prefix.size()), prefix);
  EXPECT_TRUE(std::all_of(folder.begin() + long(prefix.size()), folder.end() - 1, ::isalnum)) << folder;
  EXPECT_EQ(folder.back(), '/');
  struct stat st;
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  std::string bytes;
  EXPECT_TRUE(ReadFile(folder + "b.mpp", bytes));
  EXPECT_EQ(bytes, "B");
  EXPECT_TRUE(ReadFile(folder + "escape.txt", bytes));
  EXPECT_EQ(bytes, "escaped");
  EXPECT_TRUE(ReadFile(folder + "passwd_copy", bytes));
  EXPECT_TRUE(ReadFile(folder + "A.MPP", bytes));
  EXPECT_EQ(bytes, "A");
  EXPECT_FALSE(FileExists(folder + "bad\x01name"));
  EXPECT_TRUE(ReadFile(folder + "MpC.res", bytes));
  EXPECT_NE(bytes, "clobber");  // a packaged file may not replace an unpacked container
  EXPECT_FALSE(FileExists(dir / "escape.txt"));
  EXPECT_FALSE(FileExists(tmp + "/escape.txt"));
  // Nothing but the extraction folder in the temporary directory (the settings texts
  // were unpacked inside it).
  std::vector<std::string> tmpEntries;
  for (const auto& e : std::filesystem::directory_iterator(tmp)) tmpEntries.push_back(e.path().filename().string());
  ASSERT_EQ(tmpEntries.size(), 1u);

  // References point into the folder; a name differing only in case is found.
  EXPECT_EQ(p.fileList.pictures, (std::vector<std::string>{folder + "b.mpp", folder + "A.MPP"}));
  EXPECT_EQ(p.setting.PreviewFile, folder + "prev.jpg");
  EXPECT_EQ(p.uiSetting.UIFile, folder + "MpGUI.mui");
  EXPECT_TRUE(ReadFile(p.uiSetting.UIFile, bytes));
  EXPECT_EQ(bytes, "ui description");
  EXPECT_EQ(ExtractionFolderPath(), folder);  // the same path for the whole run

  RemoveUnpackedProject(p);
  EXPECT_FALSE(DirectoryExists(folder));
  EXPECT_TRUE(std::filesystem::is_empty(tmp));

  // Another unpack in the same process writes the project again, into a new folder.
  TMpCProject again;
  ASSERT_TRUE(UnpackProject(again, saverPath));
  EXPECT_TRUE(ReadFile(ExtractionFolderPath() + "b.mpp", bytes));
  EXPECT_EQ(bytes, "B");
  RemoveUnpackedProject(again);
  EXPECT_TRUE(std::filesystem::is_empty(tmp));
  ::unsetenv("TMPDIR");
}

// The folder is held by a lock for as long as the run has it; a removed folder is
// followed by a new one of another name.
TEST(ExtractionFolder, EachFolderIsLockedWhileInUseAndNeverReused) {
  TempDir dir;
  ::setenv("TMPDIR", dir.path().c_str(), 1);
  SetSaverPath(dir / "Show.scr");
  const std::string first = ExtractionFolderPath();
  ASSERT_FALSE(first.empty());
  const int fd = ::open(first.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0) << "the folder of a live run must be locked";
  ::close(fd);
  TMpCProject p;
  RemoveUnpackedProject(p);
  EXPECT_FALSE(DirectoryExists(first));
  const std::string second = ExtractionFolderPath();
  EXPECT_NE(second, first);
  RemoveUnpackedProject(p);
  EXPECT_TRUE(dir.List().empty());
  ::unsetenv("TMPDIR");
}

// What runs killed before their clean-up leave behind goes at the next start; nothing that
// is not such a folder is touched, and nothing is followed through a link.
TEST(ExtractionFolder, StaleFoldersOfKilledRunsAreRemovedAndNothingElse) {
  TempDir dir, outside;
  ::setenv("TMPDIR", dir.path().c_str(), 1);
  Write(outside / "precious", "keep me");
  ASSERT_EQ(::mkdir((outside / "target.tidepool-Zz9Zz9").c_str(), 0700), 0);
  Write(outside / "target.tidepool-Zz9Zz9/inside", "keep me too");

  auto makeFolder = [&](const std::string& name, mode_t mode) {
    const std::string path = dir / name;
    EXPECT_EQ(::mkdir(path.c_str(), 0700), 0) << name;
    ::chmod(path.c_str(), mode);
    Write(path + "/MpC.res", "x");
    return path;
  };
  auto age = [](const std::string& path) {
    const timespec times[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
  };
  const std::string stale = makeFolder("Lake.tidepool-aB3dE9", 0700);
  ASSERT_EQ(::symlink((outside / "precious").c_str(), (stale + "/link").c_str()), 0);
  age(stale);
  const std::string held = makeFolder("Held.tidepool-aB3dE9", 0700);
  age(held);
  const int lock = ::open(held.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);  // a run that is still going
  makeFolder("Young.tidepool-aB3dE9", 0700);      // just made, perhaps not locked yet
  age(makeFolder("Open.tidepool-aB3dE9", 0755));   // not a private folder
  age(makeFolder("Lake417", 0700));                // another naming
  age(makeFolder("a.b.tidepool-aB3dE9", 0700));    // a dot before the tag: not ours
  age(makeFolder("Short.tidepool-aB3d", 0700));
  ASSERT_EQ(::symlink((outside / "target.tidepool-Zz9Zz9").c_str(), (dir / "Link.tidepool-aB3dE9").c_str()), 0);
  age(dir / "Link.tidepool-aB3dE9");

  EXPECT_EQ(RemoveStaleExtractionFolders(), 1);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"Held.tidepool-aB3dE9", "Lake417", "Link.tidepool-aB3dE9",
                                                   "Open.tidepool-aB3dE9", "Short.tidepool-aB3d",
                                                   "Young.tidepool-aB3dE9", "a.b.tidepool-aB3dE9"}));
  std::string bytes;
  EXPECT_TRUE(ReadFile(outside / "precious", bytes));
  EXPECT_EQ(bytes, "keep me");
  EXPECT_TRUE(ReadFile(outside / "target.tidepool-Zz9Zz9/inside", bytes));
  EXPECT_TRUE(FileExists(held + "/MpC.res"));
  ::close(lock);
  // Once its run has ended, the held folder goes too.
  EXPECT_EQ(RemoveStaleExtractionFolders(), 1);
  EXPECT_FALSE(DirectoryExists(held));
  ::unsetenv("TMPDIR");
}

TEST(UnpackProject, AFileWithoutAContainerUnpacksNothing) {
  TempDir dir;
  Write(dir / "bare.scr", "just a player");
  TMpCProject p;
  EXPECT_FALSE(UnpackProject(p, dir / "bare.scr"));
  EXPECT_FALSE(UnpackProject(p, ""));
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"bare.scr"}));
}

TEST(LongPathName, CanonicalPathOrEmpty) {
  TempDir dir;
  Write(dir / "f.scr", "x");
  EXPECT_EQ(LongPathName(dir / "." + "/f.scr"), LongPathName(dir / "f.scr"));
  EXPECT_EQ(LongPathName(dir / "missing"), "");
  EXPECT_EQ(LongPathName(""), "");
  EXPECT_FALSE(ExecutablePath().empty());
}

}  // namespace
}  // namespace tp
