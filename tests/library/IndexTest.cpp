// The index on disk: the first picture without waiting, what the header pass stores, and
// every way the index file can be unusable.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "library/HeaderPass.h"
#include "library/IndexFile.h"
#include "library/LibraryTestSupport.h"

namespace tp::test {
namespace {

std::string IndexOf(const TempHome& home, const std::vector<std::string>& folders) {
  return home.cache() + "/" + IndexFileName(folders);
}

TEST(Index, TheFirstPictureComesFromTheIndexBeforeAnyScan) {
  TempHome home;
  MakePictures(home / "photos", 3);
  ScanOnce({home / "photos"});
  PictureLibrary library(Options({home / "photos"}));
  EXPECT_FALSE(library.IndexInMemory());
  EXPECT_EQ(library.PictureCount(), 3);
  EXPECT_TRUE(library.Reserve());  // no StartScan yet
}

TEST(Index, WithoutAnIndexTheScansFirstPictureIsReservableAtOnce) {
  TempHome home;
  MakePictures(home / "photos", 5);
  PictureLibrary library(Options({home / "photos"}));
  EXPECT_FALSE(library.Reserve());
  EXPECT_FALSE(library.ScanFinished());
  library.StartScan();
  auto picture = library.WaitAndReserve(10000);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->folder, home / "photos");
  EXPECT_TRUE(library.WaitUntilIdle(10000));
  EXPECT_TRUE(library.ScanFinished());
  EXPECT_EQ(library.PictureCount(), 5);
}

TEST(Index, NoPicturesAnywhereEndsTheWaitWithNothing) {
  TempHome home;
  ::mkdir((home / "empty").c_str(), 0755);
  PictureLibrary library(Options({home / "empty", home / "missing"}));
  library.StartScan();
  EXPECT_FALSE(library.WaitAndReserve(10000));
  EXPECT_TRUE(library.ScanFinished());
  EXPECT_EQ(library.PictureCount(), 0);
}

TEST(Index, TheHeaderPassStoresUprightSizeOrientationAndDateTaken) {
  TempHome home;
  const std::string folder = home / "photos";
  ::mkdir(folder.c_str(), 0755);
  WriteFile(folder + "/a.jpg", SmallJpeg(40, 20, 6, "2019:07:14 15:16:17"));  // turned a quarter
  WriteFile(folder + "/b.jpg", SmallJpeg(40, 20, 3));                         // upside down, no date
  WriteFile(folder + "/c.png", SmallJpeg(12, 10));                            // a JPEG under another name
  WriteFile(folder + "/d.jpg", {0xFF, 0xD8, 0xFF});                           // cut short
  ASSERT_EQ(RunCommand("touch -d '2012-02-02 12:00:00' '" + folder + "/b.jpg' '" + folder + "/d.jpg'"), 0);
  ScanOnce({folder});
  PictureLibrary library(Options({folder}, DeckOrder::Name));
  std::vector<LibraryPicture> got;
  while (auto p = library.Reserve()) {
    if (!got.empty() && p->id == got.front().id) break;
    library.Shown(*p);
    got.push_back(*p);
  }
  ASSERT_EQ(got.size(), 4u);
  std::tm tm{};
  tm.tm_year = 2019 - 1900, tm.tm_mon = 6, tm.tm_mday = 14, tm.tm_hour = 15, tm.tm_min = 16, tm.tm_sec = 17, tm.tm_isdst = -1;
  EXPECT_EQ(got[0].width, 20);
  EXPECT_EQ(got[0].height, 40);
  EXPECT_EQ(got[0].orientation, 6);
  EXPECT_EQ(got[0].taken, int64_t(std::mktime(&tm)));
  tm = {};
  tm.tm_year = 2012 - 1900, tm.tm_mon = 1, tm.tm_mday = 2, tm.tm_hour = 12, tm.tm_isdst = -1;
  EXPECT_EQ(got[1].width, 40);
  EXPECT_EQ(got[1].height, 20);
  EXPECT_EQ(got[1].orientation, 3);
  EXPECT_EQ(got[1].taken, int64_t(std::mktime(&tm)));
  EXPECT_EQ(got[2].width, 12);
  // A file whose header says nothing stays a candidate (the show skips it if it fails).
  EXPECT_EQ(got[3].width, 0);
  EXPECT_EQ(got[3].taken, int64_t(std::mktime(&tm)));
}

TEST(Index, ExifDatesAreCheckedBeforeUse) {
  int64_t t = 0;
  EXPECT_TRUE(ParseExifDate("2020:02:29 23:59:59", t));
  for (const char* bad : {"", "0000:00:00 00:00:00", "2020:13:01 00:00:00", "2020-01-01 00:00:00", "2020:01:01 24:00:00",
                          "    :  :     :  :  ", "2020:01:01"})
    EXPECT_FALSE(ParseExifDate(bad, t)) << bad;
}

TEST(Index, ACorruptIndexIsRebuilt) {
  TempHome home;
  MakePictures(home / "photos", 2);
  ScanOnce({home / "photos"});
  const std::string index = IndexOf(home, {home / "photos"});
  // Garbage over the whole file, then a file cut short.
  for (const std::vector<uint8_t>& bytes : {std::vector<uint8_t>(8192, 0x5A), std::vector<uint8_t>{'S', 'Q', 'L'}}) {
    WriteFile(index, bytes);
    ::unlink((index + "-wal").c_str());
    ::unlink((index + "-shm").c_str());
    PictureLibrary library(Options({home / "photos"}));
    EXPECT_FALSE(library.IndexInMemory());
    library.StartScan();
    EXPECT_TRUE(library.WaitAndReserve(10000));
    EXPECT_TRUE(library.WaitUntilIdle(10000));
    EXPECT_EQ(library.PictureCount(), 2);
  }
}

TEST(Index, ALockedIndexLeavesTheShowInMemory) {
  TempHome home;
  MakePictures(home / "photos", 2);
  ScanOnce({home / "photos"});
  const std::string index = IndexOf(home, {home / "photos"});
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(index.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  {
    PictureLibrary library(Options({home / "photos"}));
    EXPECT_TRUE(library.IndexInMemory());
    library.StartScan();
    EXPECT_TRUE(library.WaitAndReserve(10000));
    EXPECT_TRUE(library.WaitUntilIdle(10000));
    EXPECT_EQ(library.PictureCount(), 2);
  }
  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  // The index itself was left as it was.
  PictureLibrary library(Options({home / "photos"}));
  EXPECT_FALSE(library.IndexInMemory());
  EXPECT_EQ(library.PictureCount(), 2);
}

TEST(Index, AReadOnlyCacheOrLinksThereRunFromMemoryWritingNothing) {
  TempHome home;
  MakePictures(home / "photos", 2);
  const std::vector<std::string> folders = {home / "photos"};
  // A cache folder of a link, and an index file that is a link.
  ::mkdir((home / "cache").c_str(), 0755);
  ::mkdir((home / "elsewhere").c_str(), 0755);
  ASSERT_EQ(::symlink((home / "elsewhere").c_str(), home.cache().c_str()), 0);
  {
    PictureLibrary library(Options(folders));
    EXPECT_TRUE(library.IndexInMemory());
    library.StartScan();
    EXPECT_TRUE(library.WaitAndReserve(10000));
  }
  EXPECT_EQ(RunCommand("[ -z \"$(ls -A '" + home.path() + "/elsewhere')\" ]"), 0);
  ::unlink(home.cache().c_str());
  ::mkdir(home.cache().c_str(), 0755);
  const std::string target = home / "elsewhere/target";
  WriteFile(target, {});
  ASSERT_EQ(::symlink(target.c_str(), IndexOf(home, folders).c_str()), 0);
  {
    PictureLibrary library(Options(folders));
    EXPECT_TRUE(library.IndexInMemory());
  }
  struct stat st;
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 0);
  // A cache folder that takes no files (not for root, who writes anyway).
  ::unlink(IndexOf(home, folders).c_str());
  ASSERT_EQ(::chmod(home.cache().c_str(), 0555), 0);
  if (::geteuid() != 0) {
    PictureLibrary library(Options(folders));
    EXPECT_TRUE(library.IndexInMemory());
    library.StartScan();
    EXPECT_TRUE(library.WaitAndReserve(10000));
    EXPECT_TRUE(library.WaitUntilIdle(10000));
    EXPECT_EQ(library.PictureCount(), 2);
    EXPECT_EQ(RunCommand("[ -z \"$(ls -A '" + home.cache() + "')\" ]"), 0);
  }
}

TEST(Index, AnIndexDamagedWhileTheShowRunsIsLeftForMemory) {
  TempHome home;
  MakePictures(home / "photos", 4);
  ScanOnce({home / "photos"});
  const std::string index = IndexOf(home, {home / "photos"});
  PictureLibrary library(Options({home / "photos"}));
  ASSERT_FALSE(library.IndexInMemory());
  auto first = library.Reserve();
  ASSERT_TRUE(first);
  library.Shown(*first);
  // Another program writes over the index (the connection's cached pages are dropped
  // by the change the next transaction sees).
  struct stat st;
  ASSERT_EQ(::stat(index.c_str(), &st), 0);
  {
    std::fstream f(index, std::ios::in | std::ios::out | std::ios::binary);
    const std::string junk(size_t(st.st_size), '\x5a');
    f.write(junk.data(), std::streamsize(junk.size()));
  }
  library.StartScan();
  std::vector<std::string> dealt;
  for (int i = 0; i < 8 && dealt.size() < 3; ++i)
    if (auto p = library.WaitAndReserve(5000)) {
      library.Shown(*p);
      dealt.push_back(p->path);
    }
  EXPECT_EQ(dealt.size(), 3u);
  // The failure is seen by a deal or by the scan, whichever reads the damage first.
  EXPECT_TRUE(library.WaitUntilIdle(10000));
  EXPECT_TRUE(library.IndexInMemory());
  EXPECT_EQ(library.PictureCount(), 4);
}

TEST(Index, EachSetOfFoldersHasItsOwnIndex) {
  EXPECT_NE(IndexFileName({"/a", "/b"}), IndexFileName({"/a"}));
  EXPECT_NE(IndexFileName({"/a", "/b"}), IndexFileName({"/a/b"}));
  EXPECT_EQ(IndexFileName({"/a"}), IndexFileName({"/a"}));
  TempHome home;
  ::unsetenv("XDG_CACHE_HOME");
  EXPECT_EQ(DefaultCacheFolder(), home / ".cache/tidepool");
  ::setenv("XDG_CACHE_HOME", "relative", 1);
  EXPECT_EQ(DefaultCacheFolder(), home / ".cache/tidepool");
}

}  // namespace
}  // namespace tp::test
