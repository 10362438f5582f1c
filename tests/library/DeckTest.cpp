// The deck over restarts, changes of the folders and several shows at once.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include <sqlite3.h>

#include "library/IndexFile.h"
#include "library/LibraryTestSupport.h"
#include "platform/EventLog.h"

namespace tp::test {
namespace {

std::set<std::string> AsSet(const std::vector<std::string>& v) { return std::set<std::string>(v.begin(), v.end()); }

TEST(Deck, ShuffleDealsEveryPictureOncePerPassAcrossRestarts) {
  TempHome home;
  const std::vector<std::string> all = MakePictures(home / "photos", 12);
  std::vector<std::string> dealt;
  // Five shows of a few pictures each, as a saver stopped and started again.
  for (int run = 0; run < 5; ++run) {
    PictureLibrary library(Options({home / "photos"}));
    library.StartScan();
    for (const std::string& p : Deal(library, run < 4 ? 3 : 0)) dealt.push_back(p);
    // The picture prepared when the show stops goes back: it does not count as dealt.
    ASSERT_TRUE(library.WaitAndReserve(5000));
  }
  ASSERT_EQ(dealt.size(), 12u);
  EXPECT_EQ(AsSet(dealt), AsSet(all));
  // The next pass deals them all again, in another order, not starting with the last one.
  PictureLibrary library(Options({home / "photos"}));
  const std::vector<std::string> second = Deal(library, 12);
  EXPECT_EQ(AsSet(second), AsSet(all));
  EXPECT_NE(second.front(), dealt.back());
  EXPECT_NE(second, dealt);
}

TEST(Deck, PassLinesCountPositionAndPass) {
  TempHome home;
  MakePictures(home / "photos", 3);
  ScanOnce({home / "photos"});
  const std::string log = home / "events.log";
  ::setenv("TIDEPOOL_EVENT_LOG", log.c_str(), 1);
  ResetEventLog();
  {
    PictureLibrary library(Options({home / "photos"}));
    library.StartScan();
    Deal(library, 4);
    auto picture = library.Reserve();
    ASSERT_TRUE(picture);
    library.Skip(*picture, "does not decode");
  }
  ::unsetenv("TIDEPOOL_EVENT_LOG");
  ResetEventLog();
  std::ifstream in(log);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* line : {"library scan-start", "library scan-done files=3 pictures=3 ms=", "deck pass=1 position=1 of=3",
                           "deck pass=1 position=3 of=3", "deck pass=2 position=1 of=3", " does not decode"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  EXPECT_NE(text.find("skip " + home.path() + "/photos/picture"), std::string::npos) << text;
}

TEST(Deck, NewPicturesJoinTheRestOfThePassAndRemovedOnesDropOut) {
  TempHome home;
  const std::string folder = home / "photos";
  std::vector<std::string> first = MakePictures(folder, 6);
  std::vector<std::string> dealt;
  {
    PictureLibrary library(Options({folder}));
    library.StartScan();
    dealt = Deal(library, 3);
  }
  ASSERT_EQ(dealt.size(), 3u);
  // Two new pictures; one not yet dealt is removed.
  const std::vector<std::string> added = MakePictures(folder, 2, "new");
  std::string removed;
  for (const std::string& p : first)
    if (std::find(dealt.begin(), dealt.end(), p) == dealt.end()) removed = p;
  ASSERT_EQ(::unlink(removed.c_str()), 0);
  ScanOnce({folder});
  PictureLibrary library(Options({folder}));
  EXPECT_EQ(library.PictureCount(), 7);
  // The rest of the pass: the two undealt old ones and the two new ones, nothing twice.
  const std::vector<std::string> rest = Deal(library, 4);
  std::set<std::string> want;
  for (const std::string& p : first)
    if (p != removed && std::find(dealt.begin(), dealt.end(), p) == dealt.end()) want.insert(p);
  want.insert(added.begin(), added.end());
  EXPECT_EQ(AsSet(rest), want);
  EXPECT_EQ(rest.size(), 4u);
}

TEST(Deck, ARemovedFolderDropsOutButAMissingRootKeepsItsPictures) {
  TempHome home;
  MakePictures(home / "a/sub", 2);
  MakePictures(home / "a", 1);
  MakePictures(home / "b", 3);
  const std::vector<std::string> roots = {home / "a", home / "b"};
  ScanOnce(roots);
  EXPECT_EQ(PictureLibrary(Options(roots)).PictureCount(), 6);
  // b is away (a drive unplugged): its pictures stay, though a's subfolder went too.
  ASSERT_EQ(::rename((home / "b").c_str(), (home / "b-away").c_str()), 0);
  ASSERT_EQ(RunCommand("rm -r '" + home / "a/sub" + "'"), 0);
  ScanOnce(roots);
  EXPECT_EQ(PictureLibrary(Options(roots)).PictureCount(), 6);
  // With every root there, the removed subfolder's pictures drop out.
  ASSERT_EQ(::rename((home / "b-away").c_str(), (home / "b").c_str()), 0);
  ScanOnce(roots);
  EXPECT_EQ(PictureLibrary(Options(roots)).PictureCount(), 4);
}

TEST(Deck, AFileRewrittenInPlaceHasItsHeaderReadAgain) {
  TempHome home;
  const std::string folder = home / "photos";
  ::mkdir(folder.c_str(), 0755);
  WriteFile(folder + "/a.jpg", SmallJpeg(16, 8));
  ScanOnce({folder});
  // Same name (the folder's time stays), new content of another size.
  WriteFile(folder + "/a.jpg", SmallJpeg(8, 24, 1, "2020:01:02 03:04:05"));
  ScanOnce({folder});
  PictureLibrary library(Options({folder}));
  auto picture = library.Reserve();
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 8);
  EXPECT_EQ(picture->height, 24);
}

TEST(Deck, TwoShowsOnOneIndexNeverHoldTheSamePicture) {
  TempHome home;
  const std::vector<std::string> all = MakePictures(home / "photos", 10);
  ScanOnce({home / "photos"});
  PictureLibrary a(Options({home / "photos"}));
  PictureLibrary b(Options({home / "photos"}));
  std::vector<std::string> dealt;
  for (int i = 0; i < 5; ++i) {
    auto pa = a.Reserve();
    auto pb = b.Reserve();
    ASSERT_TRUE(pa && pb);
    EXPECT_NE(pa->path, pb->path);
    a.Shown(*pa);
    b.Shown(*pb);
    dealt.push_back(pa->path);
    dealt.push_back(pb->path);
  }
  EXPECT_EQ(AsSet(dealt), AsSet(all));
}

TEST(Deck, ShowsInSeveralProcessesShareThePass) {
  TempHome home;
  const std::vector<std::string> all = MakePictures(home / "photos", 24);
  ScanOnce({home / "photos"});
  // Each child deals its share and writes the paths to its own file.
  std::vector<pid_t> children;
  for (int c = 0; c < 3; ++c) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      std::string out;
      {
        PictureLibrary library(Options({home / "photos"}));
        for (const std::string& p : Deal(library, 8)) out += p + "\n";
      }
      FILE* f = std::fopen((home / ("child" + std::to_string(c))).c_str(), "w");
      std::fputs(out.c_str(), f);
      std::fclose(f);
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::vector<std::string> dealt;
  for (int c = 0; c < 3; ++c) {
    std::ifstream in(home / ("child" + std::to_string(c)));
    for (std::string line; std::getline(in, line);) dealt.push_back(line);
  }
  EXPECT_EQ(dealt.size(), 24u);
  EXPECT_EQ(AsSet(dealt), AsSet(all));
}

// Reservations still standing in the index, by process id.
int64_t HeldBy(const std::string& index, int64_t pid) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(index.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM pictures WHERE res_pid = ?1", -1, &st, nullptr);
  sqlite3_bind_int64(st, 1, pid);
  const int64_t n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
  sqlite3_finalize(st);
  sqlite3_close(db);
  return n;
}

TEST(Deck, ReservationsOfShowsThatNoLongerRunExpire) {
  TempHome home;
  MakePictures(home / "photos", 3);
  ScanOnce({home / "photos"});
  const std::string index = home.cache() + "/" + IndexFileName({home / "photos"});
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // A show that reserves two pictures and is killed before it ends.
    auto* library = new PictureLibrary(Options({home / "photos"}));
    ::_exit(library->Reserve() && library->Reserve() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(HeldBy(index, pid), 2);
  {
    // The next reservation of any show frees them.
    PictureLibrary other(Options({home / "photos"}));
    ASSERT_TRUE(other.Reserve());
    EXPECT_EQ(HeldBy(index, pid), 0);
    EXPECT_EQ(HeldBy(index, ::getpid()), 1);
  }
  // The show's end gave its own back.
  EXPECT_EQ(HeldBy(index, ::getpid()), 0);
  // A reservation of a live process past its lease is free too.
  {
    PictureLibrary holder(Options({home / "photos"}));
    ASSERT_TRUE(holder.Reserve());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(index.c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 2000);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE pictures SET res_until = 1 WHERE res_pid IS NOT NULL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    PictureLibrary other(Options({home / "photos"}));
    ASSERT_TRUE(other.Reserve());
    EXPECT_EQ(HeldBy(index, ::getpid()), 1);
  }
}

TEST(Deck, AReservationOfALiveShowIsNotDealtToAnother) {
  TempHome home;
  MakePictures(home / "photos", 2);
  ScanOnce({home / "photos"});
  PictureLibrary a(Options({home / "photos"}));
  PictureLibrary b(Options({home / "photos"}));
  auto pa = a.Reserve();
  ASSERT_TRUE(pa);
  auto pb = b.Reserve();
  ASSERT_TRUE(pb);
  EXPECT_NE(pa->path, pb->path);
  // b's reservation goes back; a then gets it rather than a repeat.
  b.Release(*pb);
  a.Shown(*pa);
  auto next = a.Reserve();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->path, pb->path);
}

TEST(Deck, SkippedPicturesStayOutForThePass) {
  TempHome home;
  const std::vector<std::string> all = MakePictures(home / "photos", 4);
  ScanOnce({home / "photos"});
  PictureLibrary library(Options({home / "photos"}, DeckOrder::Name));
  auto bad = library.Reserve();
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->path, all[0]);
  library.Skip(*bad, "damaged");
  EXPECT_EQ(Deal(library, 3), (std::vector<std::string>{all[1], all[2], all[3]}));
  // The pass is over; the next one begins with the first picture again.
  EXPECT_EQ(Deal(library, 1), std::vector<std::string>{all[0]});
}

TEST(Deck, EveryOrderGoesOnWhereItStopped) {
  TempHome home;
  const std::string folder = home / "photos";
  ::mkdir(folder.c_str(), 0755);
  // Names and dates in different orders: c is oldest, a newest; b has no EXIF date and
  // takes its file time (set between the two).
  WriteFile(folder + "/a.jpg", SmallJpeg(8, 8, 1, "2023:05:01 10:00:00"));
  WriteFile(folder + "/b.jpg", SmallJpeg(8, 8));
  WriteFile(folder + "/c.jpg", SmallJpeg(8, 8, 1, "2001:01:01 00:00:00"));
  WriteFile(folder + "/d.jpg", SmallJpeg(8, 8, 1, "2010:06:15 12:30:00"));
  ASSERT_EQ(RunCommand("touch -d '2015-03-03 03:03:03' '" + folder + "/b.jpg'"), 0);
  ScanOnce({folder});
  const std::map<DeckOrder, std::vector<std::string>> want = {
      {DeckOrder::Name, {"a", "b", "c", "d"}},
      {DeckOrder::Date, {"c", "d", "b", "a"}},
      {DeckOrder::Newest, {"a", "b", "d", "c"}},
  };
  for (const auto& [order, names] : want) {
    std::vector<std::string> got;
    for (int run = 0; run < 3; ++run) {
      PictureLibrary library(Options({folder}, order));
      for (const std::string& p : Deal(library, run == 0 ? 1 : 2)) got.push_back(p.substr(folder.size() + 1, 1));
    }
    EXPECT_EQ(got, (std::vector<std::string>{names[0], names[1], names[2], names[3], names[0]})) << DeckOrderName(order);
  }
  // Shuffle keeps its own place beside the others.
  PictureLibrary shuffle(Options({folder}));
  EXPECT_EQ(AsSet(Deal(shuffle, 4)).size(), 4u);
}

TEST(Deck, OrderNamesParse) {
  DeckOrder order = DeckOrder::Shuffle;
  EXPECT_TRUE(ParseDeckOrder("NEWEST", order));
  EXPECT_EQ(order, DeckOrder::Newest);
  EXPECT_TRUE(ParseDeckOrder("name", order));
  EXPECT_EQ(order, DeckOrder::Name);
  EXPECT_FALSE(ParseDeckOrder("random", order));
  EXPECT_EQ(order, DeckOrder::Name);
}

}  // namespace
}  // namespace tp::test
