// Lossless turning: the same pixels as jpegtran's perfect transforms, the orientation
// tag set to 1 and every other marker kept; sizes that are not whole blocks in the
// moving direction are refused so the caller can re-encode.
#include <gtest/gtest.h>

#include <string>

#include "imaging/ImagingTestSupport.h"
#include "imaging/JpegTransform.h"
#include "imaging/TurnUpright.h"
#include "imaging/import/ImageLoader.h"

namespace tp {
namespace {

using test::Convert;
using test::RunCommand;
using test::TempDir;

std::string ReadAll(const std::string& path) {
  const std::vector<uint8_t> b = test::ReadBytes(path);
  return std::string(b.begin(), b.end());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  test::WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

Bitmap32 Decode(const std::string& jpeg) {
  return DecodeJpeg(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
}

PictureFacts Facts(const std::string& jpeg) {
  return ReadPictureFacts(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
}

// The JPEG with an APP1 segment holding one IFD: the orientation, then a second entry
// (the software tag's type and count, as a marker that the rest of EXIF survives).
std::string WithExif(const std::string& jpeg, int orientation) {
  std::string tiff("MM\0*\0\0\0\x08", 8);  // big-endian, to check both byte orders
  tiff += std::string("\0\x02", 2);
  tiff += std::string("\x01\x12\0\x03\0\0\0\x01", 8) + char(0) + char(orientation) + std::string(2, '\0');
  tiff += std::string("\x01\x31\0\x02\0\0\0\x04", 8) + std::string("abc\0", 4);
  tiff += std::string(4, '\0');
  const std::string payload = std::string("Exif\0\0", 6) + tiff;
  const size_t n = payload.size() + 2;
  return jpeg.substr(0, 2) + "\xFF\xE1" + char(n >> 8) + char(n & 0xFF) + payload + jpeg.substr(2);
}

const char* JpegtranOptions(int orientation) {
  switch (orientation) {
    case 2: return "-flip horizontal";
    case 3: return "-rotate 180";
    case 4: return "-flip vertical";
    case 5: return "-transpose";
    case 6: return "-rotate 90";
    case 7: return "-transverse";
    default: return "-rotate 270";
  }
}

TEST(JpegTransform, EveryOrientationGivesJpegtransPerfectPixels) {
  TempDir dir;
  // 4:2:0, so blocks of 16 x 16: 64 x 48 is whole blocks both ways.
  test::MakeTestPicture(dir / "src.png", 64, 48);
  Convert(dir / "src.png -sampling-factor 2x2 -quality 85 " + dir / "plain.jpg");
  const std::string photo = WithExif(ReadAll(dir / "plain.jpg"), 1);
  for (int o = 2; o <= 8; ++o) {
    SCOPED_TRACE("orientation " + std::to_string(o));
    const std::string tagged = WithExif(ReadAll(dir / "plain.jpg"), o);
    WriteAll(dir / "tagged.jpg", tagged);
    ASSERT_EQ(RunCommand(std::string("jpegtran -perfect -copy all ") + JpegtranOptions(o) + " '" + dir / "tagged.jpg" +
                         "' > '" + dir / "expected.jpg" + "'"),
              0);
    const std::optional<std::string> turned = TurnJpegLosslessly(tagged, o);
    ASSERT_TRUE(turned.has_value());
    EXPECT_EQ(Decode(*turned), Decode(ReadAll(dir / "expected.jpg")));
    // Upright now, the tag says so, and the rest of the EXIF block is still there.
    EXPECT_EQ(Decode(*turned).width(), o >= 5 ? 48 : 64);
    EXPECT_EQ(Facts(*turned).orientation, 1);
    EXPECT_NE(turned->find(std::string("\x01\x31\0\x02\0\0\0\x04", 8)), std::string::npos);
    // What the decoder's turning makes of the pixels, within the re-encoding's loss.
    EXPECT_LT(test::MaxChannelDiff(Decode(*turned), TurnUpright(Decode(tagged), o)), 40);
  }
  EXPECT_FALSE(TurnJpegLosslessly(photo, 1).has_value()) << "nothing to turn";
}

TEST(JpegTransform, PartialBlocksAreRefusedWhereTheTransformMovesThem) {
  TempDir dir;
  test::MakeTestPicture(dir / "src.png", 60, 40);
  Convert(dir / "src.png -sampling-factor 2x2 " + dir / "odd.jpg");
  const std::string odd = WithExif(ReadAll(dir / "odd.jpg"), 6);
  for (int o : {2, 3, 4, 6, 7, 8}) EXPECT_FALSE(TurnJpegLosslessly(odd, o).has_value()) << o;
  // Transposing moves no edge block, so any size is turned.
  EXPECT_TRUE(TurnJpegLosslessly(odd, 5).has_value());
  EXPECT_FALSE(TurnJpegLosslessly("not a JPEG", 6).has_value());

  std::string noTag = ReadAll(dir / "odd.jpg");
  EXPECT_FALSE(SetExifOrientation(noTag, 1));
  EXPECT_EQ(noTag, ReadAll(dir / "odd.jpg"));
  // A segment whose IFD offset points past its end is left alone.
  std::string broken = WithExif(noTag, 6);
  broken[2 + 4 + 6 + 7] = '\x7F';
  const std::string before = broken;
  EXPECT_FALSE(SetExifOrientation(broken, 1));
  EXPECT_EQ(broken, before);
}

}  // namespace
}  // namespace tp
