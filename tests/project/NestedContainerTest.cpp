// A container inside an entry of another one, read in place: the result must equal what
// reading the entry's bytes as a file of their own gives, also for damaged inner
// containers.
#include <gtest/gtest.h>

#include <fstream>

#include "core/FileSystem.h"
#include "project/ContainerReader.h"
#include "project/ContainerWriter.h"
#include "support/SaverRun.h"

namespace tp {
namespace {

using test::TempDir;

std::string Read(const std::string& path) {
  std::string s;
  return ReadFile(path, s) ? s : std::string("<missing>");
}

// Extracts the inner container both ways and compares every output.
void ExpectSameBothWays(const std::string& inner, const std::string& label) {
  TempDir dir;
  const std::string outer = dir / "outer.bin";
  std::ofstream(outer, std::ios::binary)
      << "player bytes" << ContainerBytes({ContainerItem::Data("first"), ContainerItem::Data(inner),
                                           ContainerItem::Data("last")});
  const std::vector<ContainerEntry> entries = ExtractEntries(outer, {"", dir / "inner.bin", ""});
  ASSERT_EQ(entries.size(), 3u) << label;
  EXPECT_EQ(entries[1].length, int64_t(inner.size())) << label;
  const std::vector<std::string> fromFile = {dir / "f0", dir / "f1", dir / "f2"};
  const std::vector<std::string> inPlace = {dir / "n0", dir / "n1", dir / "n2"};
  ExtractEntries(dir / "inner.bin", fromFile);
  ExtractNestedEntries(outer, entries[1], inPlace);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(Read(inPlace[i]), Read(fromFile[i])) << label << " entry " << i;
}

TEST(NestedContainer, ReadsInPlaceWhatTheEntryWouldGiveAsAFile) {
  const std::string good = ContainerBytes({ContainerItem::Data("alpha"), ContainerItem::Data(""),
                                           ContainerItem::Data(std::string(300000, 'z'))});
  ExpectSameBothWays(good, "good");
  // The last entry claims more bytes than the inner container holds: only what is there,
  // never the outer container's following entry.
  std::string longLast = good.substr(0, good.size() - 10);
  ExpectSameBothWays(longLast, "cut short");
  // A negative length ends the extraction; no marker gives nothing.
  const std::string marker = good.substr(0, 13);
  ExpectSameBothWays(marker + Int32Bytes(2) + Int32Bytes(1) + "a" + Int32Bytes(-5) + "bbbbb", "negative");
  ExpectSameBothWays("no container here at all", "no marker");
  ExpectSameBothWays(marker + Int32Bytes(3), "count only");
}

TEST(NestedContainer, AnEntryCutByTheEndOfTheFileReportsWhatIsThere) {
  TempDir dir;
  const std::string path = dir / "cut.bin";
  std::string bytes = ContainerBytes({ContainerItem::Data("one"), ContainerItem::Data("twotwo")});
  bytes.resize(bytes.size() - 2);
  std::ofstream(path, std::ios::binary) << bytes;
  const std::vector<ContainerEntry> entries = ExtractEntries(path, {"", ""});
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].length, 3);
  EXPECT_EQ(entries[1].length, 4);
  EXPECT_EQ(entries[1].offset + entries[1].length, int64_t(bytes.size()));
}

}  // namespace
}  // namespace tp
