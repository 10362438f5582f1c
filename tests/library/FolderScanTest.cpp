// The walk over picture folders: what it reports, what it passes over, and that it never
// blocks or loops on what people's folders hold.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "library/FolderScan.h"
#include "library/LibraryTestSupport.h"

namespace tp::test {
namespace {

struct Recorder : ScanSink {
  std::vector<std::string> files, folders;
  int depth = 0, maxDepth = 0, incomplete = 0;
  void FolderBegin(const ScannedFolder& f) override {
    folders.push_back(f.path);
    maxDepth = std::max(maxDepth, ++depth);
  }
  void File(const ScannedFolder& f, const ScannedFile& file) override { files.push_back(f.path + "/" + file.name); }
  void FolderEnd(const ScannedFolder&, bool complete) override {
    --depth;
    if (!complete) ++incomplete;
  }
  std::vector<std::string> Sorted() const {
    std::vector<std::string> s = files;
    std::sort(s.begin(), s.end());
    return s;
  }
};

Recorder Scan(const std::vector<std::string>& roots) {
  Recorder r;
  std::atomic<bool> stop{false};
  ScanFolders(roots, r, stop);
  EXPECT_EQ(r.depth, 0);  // every folder begun is ended
  return r;
}

TEST(FolderScan, CandidatesAreTakenByExtensionInAnyCase) {
  for (const char* yes : {"a.jpg", "B.JPEG", "c.Jpe", "d.png", "e.GIF", "f.bmp", "g.webp", "h.HEIC", "i.heif", "j.avif",
                          "k.tif", "l.TIFF", "m.jxl", "n.tar.jpg"})
    EXPECT_TRUE(IsPictureCandidate(yes)) << yes;
  for (const char* no : {"jpg", ".jpg", "a.jpg.txt", "a.jpgx", "a.", "a.mp4", "a.j", ""}) EXPECT_FALSE(IsPictureCandidate(no)) << no;
}

TEST(FolderScan, SubfoldersAreWalkedAndHiddenEntriesSkipped) {
  TempHome home;
  const std::string root = home / "photos";
  MakePictures(root, 2);
  MakePictures(root + "/2024", 1, "trip");
  MakePictures(root + "/2024/deeper", 1, "more");
  MakePictures(root + "/.thumbnails", 3);
  MakePictures(root, 1, ".hidden");
  WriteFile(root + "/notes.txt", {1, 2, 3});
  const Recorder r = Scan({root + "/"});
  EXPECT_EQ(r.Sorted(), (std::vector<std::string>{root + "/2024/deeper/more0.jpg", root + "/2024/trip0.jpg",
                                                   root + "/picture0.jpg", root + "/picture1.jpg"}));
  EXPECT_EQ(r.folders.size(), 3u);
  EXPECT_EQ(r.incomplete, 0);
}

TEST(FolderScan, LinksAreFollowedAndEveryFolderEnteredOnce) {
  TempHome home;
  const std::string root = home / "photos";
  MakePictures(root + "/a", 1);
  // A loop back to the root, a second way into a, a link to a file and a dangling link.
  ASSERT_EQ(::symlink(root.c_str(), (root + "/a/loop").c_str()), 0);
  ASSERT_EQ(::symlink((root + "/a").c_str(), (root + "/again").c_str()), 0);
  MakePictures(home / "elsewhere", 1, "linked");
  ASSERT_EQ(::symlink((home / "elsewhere/linked0.jpg").c_str(), (root + "/link.jpg").c_str()), 0);
  ASSERT_EQ(::symlink((home / "missing.jpg").c_str(), (root + "/dangling.jpg").c_str()), 0);
  // The same root twice is walked once.
  const Recorder r = Scan({root, root});
  const std::vector<std::string> files = r.Sorted();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[1], root + "/link.jpg");
  EXPECT_TRUE(files[0] == root + "/a/picture0.jpg" || files[0] == root + "/again/picture0.jpg") << files[0];
  EXPECT_EQ(r.folders.size(), 2u);
}

TEST(FolderScan, SpecialFilesAreNeverOpenedAndUnreadableFoldersPassedOver) {
  TempHome home;
  const std::string root = home / "photos";
  MakePictures(root, 1);
  // A FIFO with a picture's name (opening it for reading would block), one behind a link,
  // and a socket.
  ASSERT_EQ(::mkfifo((root + "/pipe.jpg").c_str(), 0644), 0);
  ASSERT_EQ(::symlink((root + "/pipe.jpg").c_str(), (root + "/pipelink.jpg").c_str()), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string sockPath = root + "/sock.png";
  ASSERT_LT(sockPath.size(), sizeof addr.sun_path);
  std::copy(sockPath.begin(), sockPath.end(), addr.sun_path);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  MakePictures(root + "/locked", 2);
  ASSERT_EQ(::chmod((root + "/locked").c_str(), 0), 0);
  const Recorder r = Scan({root, home / "no-such-folder"});
  ::close(sock);
  std::vector<std::string> want = {root + "/picture0.jpg"};
  if (::geteuid() == 0) want = {root + "/locked/picture0.jpg", root + "/locked/picture1.jpg", root + "/picture0.jpg"};
  EXPECT_EQ(r.Sorted(), want);
}

TEST(FolderScan, NamesOfAnyBytesAreReported) {
  TempHome home;
  const std::string root = home / "photos";
  ::mkdir(root.c_str(), 0755);
  const std::string latin1 = root + "/caf\xe9.jpg";      // not UTF-8
  const std::string newline = root + "/two\nlines.jpg";  // a newline in the name
  const std::string folder = root + "/\xff\xfe";
  WriteFile(latin1, SmallJpeg(4, 4));
  WriteFile(newline, SmallJpeg(4, 4));
  MakePictures(folder, 1);
  EXPECT_EQ(Scan({root}).Sorted(), (std::vector<std::string>{latin1, newline, folder + "/picture0.jpg"}));
}

}  // namespace
}  // namespace tp::test
