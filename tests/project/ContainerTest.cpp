// The container reader on bytes laid out by hand: the marker search (block boundaries,
// restarts after a stray first byte, plain text that must not match), entry copies with
// nesting, empty, negative, truncated and surplus entries, and output files that are
// created new without following links.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "core/FileSystem.h"
#include "platform/TerminationSignals.h"
#include "project/ContainerReader.h"
#include "project/ContainerWriter.h"
#include "support/SaverRun.h"

namespace tp {
namespace {

using test::TempDir;

std::string Marker() {
  const auto m = SectionMarkerBytes();
  return std::string(m.begin(), m.end());
}
std::string I32(int32_t v) { return Int32Bytes(v); }
void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
std::string Read(const std::string& path) {
  std::string s;
  ReadFile(path, s);
  return s;
}
bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

TEST(SectionMarker, IsThePlainConstantShiftedByOne) {
  EXPECT_EQ(Marker(), "|NqSFTSPVSDF~");
  EXPECT_EQ(std::string(kPlainSectionMarker).size(), 13u);
}

TEST(FindSectionMarker, FindsTheFirstMarkerWhereverItLies) {
  TempDir dir;
  const std::string f = dir / "c";
  Write(f, Marker() + I32(4));
  SectionMarker m = FindSectionMarker(f);
  EXPECT_TRUE(m.found);
  EXPECT_EQ(m.offset, 13);
  EXPECT_EQ(m.entryCount, 4);

  // Straddling read boundaries of several buffer sizes (the specified 1001 bytes and ours).
  for (size_t before : {size_t(1001 - 6), size_t(2 * 1001 - 1), size_t(256 * 1024 - 7), size_t(256 * 1024 - 13)}) {
    Write(f, std::string(before, 'x') + Marker() + I32(-3) + Marker() + I32(9));
    m = FindSectionMarker(f);
    EXPECT_TRUE(m.found) << before;
    EXPECT_EQ(m.offset, int64_t(before + 13)) << before;
    EXPECT_EQ(m.entryCount, -3) << before;
  }

  // A byte equal to the marker's first byte right before the marker, and a partial
  // marker broken by the first byte: both restart the match at that byte.
  Write(f, "||NqSFTSPVSDF~" + I32(1));
  EXPECT_EQ(FindSectionMarker(f).offset, 14);
  Write(f, "ab|NqSFT|NqSFTSPVSDF~" + I32(2));
  m = FindSectionMarker(f);
  EXPECT_EQ(m.offset, 21);
  EXPECT_EQ(m.entryCount, 2);
  // A marker at the very end: found, with no count after it.
  Write(f, "zz" + Marker());
  m = FindSectionMarker(f);
  EXPECT_TRUE(m.found);
  EXPECT_EQ(m.offset, 15);
  EXPECT_EQ(m.entryCount, 0);
}

TEST(FindSectionMarker, PlainTextPartialMarkersAndMissingFilesAreNotFound) {
  TempDir dir;
  const std::string f = dir / "c";
  Write(f, std::string("player image {MpRESROURCE}") + I32(4));
  EXPECT_FALSE(FindSectionMarker(f).found);
  Write(f, Marker().substr(0, 12));
  EXPECT_FALSE(FindSectionMarker(f).found);
  Write(f, "");
  EXPECT_FALSE(FindSectionMarker(f).found);
  EXPECT_FALSE(FindSectionMarker(dir / "missing").found);
  EXPECT_FALSE(FindSectionMarker(dir.path()).found);  // a folder
}

TEST(ExtractEntries, CopiesEachEntryIncludingNestedAndEmptyOnes) {
  TempDir dir;
  const std::string inner = Marker() + I32(2) + I32(3) + "abc" + I32(0);
  const std::string c = std::string("MZ player bytes ") + Marker() + I32(4) + I32(int32_t(inner.size())) + inner +
                        I32(0) + I32(5) + "hello" + I32(2) + "zz";
  Write(dir / "saver", c);
  ExtractEntries(dir / "saver", {dir / "1", dir / "2", dir / "3"});
  EXPECT_EQ(Read(dir / "1"), inner);
  EXPECT_TRUE(Exists(dir / "2"));
  EXPECT_EQ(Read(dir / "2"), "");
  EXPECT_EQ(Read(dir / "3"), "hello");  // read from the right place after the empty entry
  EXPECT_FALSE(Exists(dir / "4"));      // fewer paths than entries: the rest untouched

  // The nested container found at offset 0 of its own file.
  const SectionMarker m = FindSectionMarker(dir / "1");
  EXPECT_EQ(m.offset, 13);
  EXPECT_EQ(m.entryCount, 2);
  ExtractEntries(dir / "1", {dir / "a", dir / "b", dir / "c"});
  EXPECT_EQ(Read(dir / "a"), "abc");
  EXPECT_EQ(Read(dir / "b"), "");
  EXPECT_FALSE(Exists(dir / "c"));  // more paths than entries: extra paths not created

  // Built with the writer: the same bytes.
  const std::string written = ContainerBytes({ContainerItem::Data("abc"), ContainerItem::Data("")});
  EXPECT_EQ(written, inner);
}

TEST(ExtractEntries, DamagedLengthsAndCountsEndTheCopyCleanly) {
  TempDir dir;
  const std::string s = dir / "s";
  // Truncated: the second entry claims 100 bytes, 4 are there.
  Write(s, Marker() + I32(3) + I32(2) + "ok" + I32(100) + "part");
  ExtractEntries(s, {dir / "t1", dir / "t2", dir / "t3"});
  EXPECT_EQ(Read(dir / "t1"), "ok");
  EXPECT_EQ(Read(dir / "t2"), "part");
  EXPECT_FALSE(Exists(dir / "t3"));

  // A negative length ends the extraction: nothing for it or after it.
  Write(s, Marker() + I32(3) + I32(1) + "a" + I32(-5) + "bbbbb" + I32(1) + "c");
  ExtractEntries(s, {dir / "n1", dir / "n2", dir / "n3"});
  EXPECT_EQ(Read(dir / "n1"), "a");
  EXPECT_FALSE(Exists(dir / "n2"));
  EXPECT_FALSE(Exists(dir / "n3"));

  // Huge lengths copy what is there without allocating them.
  Write(s, Marker() + I32(1) + I32(0x7FFFFFFF) + "tail");
  ExtractEntries(s, {dir / "h"});
  EXPECT_EQ(Read(dir / "h"), "tail");

  // Zero and negative counts extract nothing; a missing count as well.
  for (const std::string& bytes : {Marker() + I32(0) + I32(1) + "x", Marker() + I32(-1) + I32(1) + "x", Marker()}) {
    Write(s, bytes);
    ExtractEntries(s, {dir / "z"});
    EXPECT_FALSE(Exists(dir / "z"));
  }
  ExtractEntries(dir / "missing", {dir / "z"});
  EXPECT_FALSE(Exists(dir / "z"));
}

TEST(ExtractEntries, OutputsAreTruncatedSkippedOnEmptyPathsAndNeverFollowLinks) {
  TempDir dir;
  const std::string s = dir / "s";
  Write(s, Marker() + I32(3) + I32(3) + "one" + I32(3) + "two" + I32(5) + "three");
  Write(dir / "old", "a much longer earlier content");
  Write(dir / "victim", "keep me");
  ASSERT_EQ(::symlink((dir / "victim").c_str(), (dir / "link").c_str()), 0);
  ExtractEntries(s, {dir / "old", "", dir / "link"});
  EXPECT_EQ(Read(dir / "old"), "one");
  EXPECT_EQ(Read(dir / "victim"), "keep me");  // the link was not followed
  // The skipped entry is read past: the third still comes from the right place.
  ExtractEntries(s, {"", "", dir / "third"});
  EXPECT_EQ(Read(dir / "third"), "three");
}

TEST(ExtractEntries, ARequestToEndStopsTheCopy) {
  TempDir dir;
  Write(dir / "saver", Marker() + I32(2) + I32(3) + "abc" + I32(2) + "de");
  RequestTermination();
  ExtractEntries(dir / "saver", {dir / "1", dir / "2"});
  ForgetTerminationRequest();
  EXPECT_FALSE(Exists(dir / "1"));
  EXPECT_FALSE(Exists(dir / "2"));
  ExtractEntries(dir / "saver", {dir / "1", dir / "2"});
  EXPECT_EQ(Read(dir / "2"), "de");
}

TEST(ContainerWriter, NestsFilesAndBytesWithLengthPrefixes) {
  TempDir dir;
  Write(dir / "f", "file body");
  const std::vector<ContainerItem> items = {
      ContainerItem::Container({ContainerItem::Data("x"), ContainerItem::FromFile(dir / "f")}),
      ContainerItem::Data("tail")};
  const std::string bytes = ContainerBytes(items);
  const std::string inner = Marker() + I32(2) + I32(1) + "x" + I32(9) + "file body";
  EXPECT_EQ(bytes, Marker() + I32(2) + I32(int32_t(inner.size())) + inner + I32(4) + "tail");
  EXPECT_EQ(ContainerSize(items), bytes.size());
  EXPECT_THROW(ContainerBytes({ContainerItem::FromFile(dir / "missing")}), std::runtime_error);
}

}  // namespace
}  // namespace tp
