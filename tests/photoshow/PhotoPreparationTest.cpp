// A photo made ready for the screen: upright by its EXIF orientation as ImageMagick's
// -auto-orient turns it, fitted keeping its shape, and refused cleanly when broken.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

#include "core/FileSystem.h"
#include "imaging/ImageError.h"
#include "imaging/ImageWriter.h"
#include "imaging/import/ImageLoader.h"
#include "support/SaverRun.h"
#include "photoshow/PhotoPreparation.h"
#include "support/TestPictures.h"

namespace tp {
namespace {

bool HaveImageMagick() { return std::system("command -v convert >/dev/null 2>&1") == 0; }

int MaxDifference(const Bitmap32& a, const Bitmap32& b) {
  int worst = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      for (int shift : {0, 8, 16}) {
        const int d = std::abs(int((a.at(x, y) >> shift) & 0xFF) - int((b.at(x, y) >> shift) & 0xFF));
        worst = std::max(worst, d);
      }
  return worst;
}

TEST(PhotoPreparation, EveryOrientationIsTurnedAsImageMagickTurnsIt) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick is needed for the reference";
  test::TempDir f;
  const std::vector<uint8_t> jpeg = EncodeJpeg(test::DetailedPicture(64, 48), 95);
  const std::string plain(jpeg.begin(), jpeg.end());
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE("orientation " + std::to_string(o));
    const std::string path = f / ("o" + std::to_string(o) + ".jpg");
    ASSERT_TRUE(WriteFile(path, test::WithExifOrientation(plain, o)));
    const std::string ref = f / ("o" + std::to_string(o) + ".png");
    ASSERT_EQ(std::system(("convert '" + path + "' -auto-orient '" + ref + "'").c_str()), 0);
    const Bitmap32 expected = LoadImageFile(ref);
    // A screen of exactly the upright size: nothing is scaled.
    const FittedPicture shown = PreparePhoto(path, expected.width(), expected.height()).shown;
    ASSERT_EQ(shown.picture.width(), expected.width());
    ASSERT_EQ(shown.picture.height(), expected.height());
    EXPECT_LE(MaxDifference(shown.picture, expected), 2);
  }
}

TEST(PhotoPreparation, AFittedPhotoKeepsItsShapeInsideTheScreen) {
  test::TempDir f;
  const std::vector<uint8_t> jpeg = EncodeJpeg(test::DetailedPicture(800, 600), 90);
  const std::string path = f / "wide.jpg";
  // Turned a quarter: 600 x 800 upright, on a 1000 x 500 screen: 375 x 500.
  ASSERT_TRUE(WriteFile(path, test::WithExifOrientation(std::string(jpeg.begin(), jpeg.end()), 6)));
  const PhotoLook bars{PhotoFill::Bars};
  const FittedPicture shown = PreparePhoto(path, 1000, 500, bars).shown;
  EXPECT_EQ(shown.picture.width(), 375);
  EXPECT_EQ(shown.picture.height(), 500);
  // A small picture is enlarged to the screen, as the saver's proportional stretch does.
  const std::vector<uint8_t> small = EncodeJpeg(test::DetailedPicture(40, 20), 90);
  ASSERT_TRUE(WriteFile(f / "small.jpg", std::string(small.begin(), small.end())));
  const FittedPicture big = PreparePhoto(f / "small.jpg", 400, 400, bars).shown;
  EXPECT_EQ(big.picture.width(), 400);
  EXPECT_EQ(big.picture.height(), 200);
}

TEST(PhotoPreparation, BrokenAndStrangeFilesAreRefusedWithAnError) {
  test::TempDir f;
  ASSERT_TRUE(WriteFile(f / "empty.jpg", ""));
  ASSERT_TRUE(WriteFile(f / "text.jpg", "not a picture at all"));
  const std::vector<uint8_t> jpeg = EncodeJpeg(test::DetailedPicture(64, 48), 90);
  ASSERT_TRUE(WriteFile(f / "cut.jpg", std::string(jpeg.begin(), jpeg.begin() + 30)));
  for (const char* name : {"empty.jpg", "text.jpg", "cut.jpg", "missing.jpg"})
    EXPECT_THROW(PreparePhoto(f / name, 320, 240), std::exception) << name;
  // A folder or a FIFO is not read as a picture (and opening the FIFO does not block).
  EXPECT_THROW(PreparePhoto(f.path(), 320, 240), std::exception);
  ASSERT_EQ(::mkfifo((f / "fifo.jpg").c_str(), 0600), 0);
  EXPECT_THROW(PreparePhoto(f / "fifo.jpg", 320, 240), std::exception);
}

TEST(PhotoPreparation, ACancelledPreparationStops) {
  test::TempDir f;
  const std::vector<uint8_t> jpeg = EncodeJpeg(test::DetailedPicture(640, 480), 90);
  ASSERT_TRUE(WriteFile(f / "p.jpg", std::string(jpeg.begin(), jpeg.end())));
  std::atomic<bool> cancel{true};
  EXPECT_THROW(PreparePhoto(f / "p.jpg", 320, 240, {}, &cancel), ImageDecodeError);
}

}  // namespace
}  // namespace tp
