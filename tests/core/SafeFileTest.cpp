// Files beside a downloaded saver: reads that refuse links, devices and large files;
// replacements that never write through a link and never hand out set-id bits.
#include "core/SafeFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "core/FileSystem.h"
#include "support/SaverRun.h"

namespace tp {
namespace {

using test::TempDir;

mode_t ModeOf(const std::string& path) {
  struct stat st{};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st.st_mode;
}

TEST(SafeFile, ReadsOnlyRegularFilesWithinTheBound) {
  TempDir dir;
  const std::string file = dir / "a.ini", link = dir / "link.ini", fifo = dir / "fifo.ini";
  ASSERT_TRUE(WriteFile(file, "[Setting]\r\nIndex=1\r\n"));
  std::string out;
  EXPECT_EQ(ReadWholeFile(file, 1024, out), ReadResult::Ok);
  EXPECT_EQ(out, "[Setting]\r\nIndex=1\r\n");
  EXPECT_EQ(ReadWholeFile(file, 5, out), ReadResult::TooLarge);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(ReadWholeFile(dir / "none.ini", 1024, out), ReadResult::Missing);
  // A link is refused even when it points at a readable file.
  ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
  EXPECT_EQ(ReadWholeFile(link, 1024, out), ReadResult::NotRegular);
  // A FIFO without a writer would block an ordinary open; it is refused at once.
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(ReadWholeFile(fifo, 1024, out), ReadResult::NotRegular);
  EXPECT_EQ(ReadWholeFile(dir.path(), 1024, out), ReadResult::NotRegular);
  EXPECT_EQ(ReadWholeFile("/dev/zero", 1024, out), ReadResult::NotRegular);
}

TEST(SafeFile, ReplacementReplacesALinkAndLeavesItsTargetAlone) {
  TempDir dir;
  const std::string target = dir / "bashrc", link = dir / "x.scr.bmp";
  ASSERT_TRUE(WriteFile(target, "the user's own file"));
  ASSERT_EQ(::symlink("bashrc", link.c_str()), 0);
  ASSERT_TRUE(ReplaceFileAtomically(link, "BM new picture"));
  std::string text;
  ASSERT_TRUE(ReadFile(target, text));
  EXPECT_EQ(text, "the user's own file");
  EXPECT_TRUE(S_ISREG(ModeOf(link)));
  ASSERT_TRUE(ReadFile(link, text));
  EXPECT_EQ(text, "BM new picture");
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"bashrc", "x.scr.bmp"}));
  // A folder that does not exist: nothing written, false.
  EXPECT_FALSE(ReplaceFileAtomically(dir / "none/x.bmp", "x"));
}

TEST(SafeFile, NewFilesFollowTheUmaskAndNoSetIdBitIsCopied) {
  TempDir dir;
  const mode_t old = ::umask(027);
  const std::string fresh = dir / "fresh.ini", setuid = dir / "setuid.ini";
  EXPECT_TRUE(ReplaceFileAtomically(fresh, "a"));
  EXPECT_EQ(ModeOf(fresh) & 07777, 0640u);
  ASSERT_TRUE(WriteFile(setuid, "old"));
  ASSERT_EQ(::chmod(setuid.c_str(), 06755), 0);
  EXPECT_TRUE(ReplaceFileAtomically(setuid, "new"));
  EXPECT_EQ(ModeOf(setuid) & 07777, 0755u);
  ::umask(old);
}

TEST(SafeFile, FoldersAreMadeWithTheirParents) {
  TempDir dir;
  const std::string deep = dir / "a/b/c";
  EXPECT_TRUE(MakeFolders(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(MakeFolders(deep + "/"));  // already there
  EXPECT_TRUE(FolderIsWritable(deep));
  EXPECT_FALSE(FolderIsWritable(dir / "missing"));
  ASSERT_TRUE(WriteFile(dir / "file", "x"));
  EXPECT_FALSE(MakeFolders(dir / "file/sub"));
}

}  // namespace
}  // namespace tp
