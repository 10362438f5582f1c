// HEIF pictures made of a grid of tiles, as phones write them: the primary image is the
// whole grid, cut to its declared size; a grid that declares a giant picture is refused
// from its header, however many tiles it has.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "imaging/ImagingTestSupport.h"
#include "imaging/import/ImageLoader.h"

namespace tp {
namespace {

using test::RunCommand;
using test::TempDir;

std::string U16(uint32_t v) { return {char((v >> 8) & 0xFF), char(v & 0xFF)}; }
std::string U32(uint32_t v) { return U16(v >> 16) + U16(v & 0xFFFF); }
std::string Box(const char* type, const std::string& body) { return U32(uint32_t(8 + body.size())) + type + body; }
std::string FullBox(const char* type, int version, uint32_t flags, const std::string& body) {
  return Box(type, std::string{char(version), char(flags >> 16), char((flags >> 8) & 0xFF), char(flags & 0xFF)} + body);
}

uint32_t Be32At(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
         uint32_t(uint8_t(s[at + 3]));
}

// The first box of a type among the boxes in [from, to) of a file, whole (header included).
std::string FindBox(const std::string& file, size_t from, size_t to, const char* type) {
  while (from + 8 <= to) {
    const uint32_t size = Be32At(file, from);
    if (size < 8 || from + size > to) break;
    if (file.compare(from + 4, 4, type) == 0) return file.substr(from, size);
    from += size;
  }
  return {};
}

// The parts of a one-picture HEIF file that a grid of copies of it needs: the coded
// picture, its decoder configuration, its size box and the file's type and handler.
struct CodedTile {
  std::string ftyp, hdlr, hvcC, ispe, data;
  int width = 0, height = 0;  // the coded picture's, which the encoder pads beyond the image
};

CodedTile ReadTile(const std::string& file) {
  CodedTile t;
  t.ftyp = FindBox(file, 0, file.size(), "ftyp");
  const std::string meta = FindBox(file, 0, file.size(), "meta");
  const std::string mdat = FindBox(file, 0, file.size(), "mdat");
  EXPECT_FALSE(t.ftyp.empty() || meta.empty() || mdat.empty()) << "unexpected HEIF layout";
  if (meta.empty() || mdat.empty()) return t;
  t.hdlr = FindBox(meta, 12, meta.size(), "hdlr");
  const std::string iprp = FindBox(meta, 12, meta.size(), "iprp");
  const std::string ipco = FindBox(iprp, 8, iprp.size(), "ipco");
  t.hvcC = FindBox(ipco, 8, ipco.size(), "hvcC");
  // The first size box is the coded picture's, associated with the tile item.
  t.ispe = FindBox(ipco, 8, ipco.size(), "ispe");
  if (t.ispe.size() == 20) {
    t.width = int(Be32At(t.ispe, 12));
    t.height = int(Be32At(t.ispe, 16));
  }
  // The encoder writes one coded picture: the whole of the media data.
  t.data = mdat.substr(8);
  return t;
}

// A HEIF file whose primary image is a rows x columns grid of the same tile, declared as
// width x height pixels.
std::string GridFile(const CodedTile& tile, int rows, int columns, uint32_t width, uint32_t height) {
  const uint32_t tiles = uint32_t(rows * columns), grid = tiles + 1;
  const bool wide = width > 0xFFFF || height > 0xFFFF;
  const std::string gridData = std::string{0, char(wide ? 1 : 0), char(rows - 1), char(columns - 1)} +
                               (wide ? U32(width) + U32(height) : U16(width) + U16(height));
  auto meta = [&](uint32_t dataOffset) {
    std::string infos, refs, places, associations;
    for (uint32_t id = 1; id <= tiles; ++id) {
      infos += FullBox("infe", 2, 1, U16(id) + U16(0) + "hvc1" + std::string(1, '\0'));
      refs += U16(id);
      places += U16(id) + U16(0) + U16(0) + U16(1) + U32(dataOffset) + U32(uint32_t(tile.data.size()));
      associations += U16(id) + std::string{2, char(0x81), 0x02};
    }
    infos += FullBox("infe", 2, 0, U16(grid) + U16(0) + "grid" + std::string(1, '\0'));
    places += U16(grid) + U16(1) + U16(0) + U16(1) + U32(0) + U32(uint32_t(gridData.size()));
    associations += U16(grid) + std::string{1, 0x03};
    const std::string gridSize = FullBox("ispe", 0, 0, U32(width) + U32(height));
    return FullBox("meta", 0, 0,
                   tile.hdlr + FullBox("pitm", 0, 0, U16(grid)) +
                       FullBox("iinf", 0, 0, U16(tiles + 1) + infos) +
                       FullBox("iref", 0, 0, Box("dimg", U16(grid) + U16(tiles) + refs)) +
                       Box("idat", gridData) +
                       FullBox("iloc", 1, 0, std::string{0x44, 0x00} + U16(tiles + 1) + places) +
                       Box("iprp", Box("ipco", tile.hvcC + tile.ispe + gridSize) +
                                       FullBox("ipma", 0, 0, U32(tiles + 1) + associations)));
  };
  // The tiles' place in the file follows from the size of the meta box before them.
  const uint32_t dataOffset = uint32_t(tile.ftyp.size() + meta(0).size() + 8);
  return tile.ftyp + meta(dataOffset) + Box("mdat", tile.data);
}

Bitmap32 Decode(const std::string& bytes) {
  return DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

class HeifGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string png = dir_ / "tile.png", heic = dir_ / "tile.heic";
    test::MakeTestPicture(png, 64, 48);
    ASSERT_EQ(RunCommand("heif-enc -q 90 -o '" + heic + "' '" + png + "' >/dev/null 2>&1"), 0);
    const std::vector<uint8_t> bytes = test::ReadBytes(heic);
    tile_ = ReadTile(std::string(bytes.begin(), bytes.end()));
    ASSERT_FALSE(tile_.hvcC.empty() || tile_.data.empty());
    ASSERT_GE(tile_.width, 64);
    ASSERT_GE(tile_.height, 48);
    plain_ = Decode(GridFile(tile_, 1, 1, uint32_t(tile_.width), uint32_t(tile_.height)));
    ASSERT_EQ(plain_.width(), tile_.width);
    ASSERT_EQ(plain_.height(), tile_.height);
  }
  TempDir dir_;
  CodedTile tile_;
  Bitmap32 plain_;
};

// Phones cut a photo into tiles and declare the photo's own size, smaller than the tiles
// cover: the picture is the grid, cut there, each tile in its place.
TEST_F(HeifGrid, TheWholeGridIsThePictureCutToItsDeclaredSize) {
  const int w = tile_.width * 3 - 10, h = tile_.height * 2 - 6;
  const Bitmap32 whole = Decode(GridFile(tile_, 2, 3, uint32_t(w), uint32_t(h)));
  ASSERT_EQ(whole.width(), w);
  ASSERT_EQ(whole.height(), h);
  int differing = 0;
  for (int y = 0; y < whole.height(); ++y)
    for (int x = 0; x < whole.width(); ++x)
      if (whole.scanline(y)[x] != plain_.scanline(y % tile_.height)[x % tile_.width]) ++differing;
  EXPECT_EQ(differing, 0);
}

// Pictures refused from their header, before the library reads them or any tile is
// decoded: a grid declaring more pixels than any picture may decode to, and ten thousand
// tiles, whose reading alone would take the library minutes, even of a small picture.
TEST_F(HeifGrid, GiantGridsAndGridsOfTooManyTilesAreRefusedFromTheirHeader) {
  const std::string giant = GridFile(tile_, 24, 24, 9000, 9000), manyTiles = GridFile(tile_, 100, 100, 640, 480);
  for (const std::string& bomb : {giant, manyTiles}) {
    try {
      Decode(bomb);
      ADD_FAILURE() << "a bomb was decoded";
    } catch (const ImageDecodeError& e) {
      EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
  }
  // The header pass tells the giant's size, as for other formats, and refuses to read the other.
  EXPECT_EQ(ReadPictureFacts(reinterpret_cast<const uint8_t*>(giant.data()), giant.size()).width, 9000);
  EXPECT_THROW(ReadPictureFacts(reinterpret_cast<const uint8_t*>(manyTiles.data()), manyTiles.size()),
               ImageDecodeError);
}

}  // namespace
}  // namespace tp
