// Pictures while packing: photos with every EXIF orientation come out as ImageMagick's
// -auto-orient shows them, at their own quality and without the tag; damaged pictures are
// refused (or left out); formats the player does not read are converted; pictures kept as
// they are go in byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "imaging/import/ImageLoader.h"
#include "imaging/ImageWriter.h"
#include "pack/PackTestSupport.h"

namespace tp::test {
namespace {

// A picture whose every turn and mirror looks different: a blue block top left, a green
// one bottom right, a yellow strip along the top edge.
const char* kAsymmetric =
    "-size 60x40 xc:red -fill blue -draw 'rectangle 0,0 19,14' -fill green -draw 'rectangle 40,28 59,39' "
    "-fill yellow -draw 'rectangle 25,0 59,3'";

class PicturePacking : public ::testing::Test {
 protected:
  std::string Unpacked(const std::string& saver) {
    const std::string dir = work / ("unpacked-" + std::to_string(++unpacks_));
    const ToolRun r = RunPack({"--unpack", saver, dir});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return dir;
  }
  TempDir work;
  int unpacks_ = 0;
};

TEST_F(PicturePacking, EveryExifOrientationComesOutUprightAtTheOriginalQualityWithoutTheTag) {
  ProjectFolder project(work / "project");
  Convert(std::string(kAsymmetric) + " -quality 87 " + work / "plain.jpg");
  const std::string plain = ReadAll(work / "plain.jpg");
  for (int o = 1; o <= 8; ++o) {
    const std::string name = "o" + std::to_string(o) + ".jpg";
    WriteAll(work / name, WithExifOrientation(plain, o));
    WriteAll(project.dir() + "/files/" + name, WithExifOrientation(plain, o));
  }
  const ToolRun packed = RunPack({"--no-player", project.dir(), work / "photos.scr"});
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  const std::string dir = Unpacked(work / "photos.scr");
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE("orientation " + std::to_string(o));
    const std::string name = "o" + std::to_string(o) + ".jpg";
    const std::string stored = dir + "/files/" + name;
    Convert(work / name + " -auto-orient PNG32:" + work / "expected.png");
    const Bitmap32 expected = DecodeWithImageMagick(work / "expected.png");
    const Bitmap32 got = LoadJpegFile(stored);
    ASSERT_EQ(got.width(), o >= 5 ? 40 : 60);
    EXPECT_LT(MeanDifference(got, expected), 4.0);
    if (o == 1) {
      EXPECT_EQ(ReadAll(stored), ReadAll(work / name)) << "an upright photo is stored as it was";
      EXPECT_EQ(packed.out.find(name), std::string::npos) << packed.out;
      continue;
    }
    EXPECT_NE(packed.out.find(name + ": turned upright (EXIF orientation " + std::to_string(o) + ")"), std::string::npos)
        << packed.out;
    // ImageMagick sees neither a turn left to do nor another quality.
    Convert(stored + " -auto-orient PNG32:" + work / "again.png");
    EXPECT_LT(MeanDifference(DecodeWithImageMagick(work / "again.png"), got), 1.0);
    EXPECT_EQ(RunCommand("test \"$(identify -format '%Q' '" + stored + "')\" = 87"), 0);
    EXPECT_EQ(RunCommand("identify -verbose '" + stored + "' | grep -qi 'exif:Orientation'"), 1);
  }
}

// A photo of whole blocks is turned without loss, exactly as jpegtran turns it; one with
// partial edge blocks is re-encoded, and the line says which happened.
TEST_F(PicturePacking, WholeBlockPhotosAreTurnedLosslesslyAndOthersReencoded) {
  ProjectFolder project(work / "project");
  Convert("-size 64x48 gradient:red-blue -sampling-factor 2x2 -quality 80 " + work / "whole.jpg");
  Convert(std::string(kAsymmetric) + " -sampling-factor 2x2 -quality 80 " + work / "odd.jpg");
  const std::string whole = WithExifOrientation(ReadAll(work / "whole.jpg"), 6);
  WriteAll(work / "whole-tagged.jpg", whole);
  project.AddFile("whole.jpg", whole);
  project.AddFile("odd.jpg", WithExifOrientation(ReadAll(work / "odd.jpg"), 6));
  const ToolRun packed = RunPack({"--no-player", project.dir(), work / "out.scr"});
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  EXPECT_NE(packed.out.find("whole.jpg: turned upright (EXIF orientation 6) losslessly"), std::string::npos) << packed.out;
  EXPECT_NE(packed.out.find("odd.jpg: turned upright (EXIF orientation 6), quality 80 (re-encoded)"), std::string::npos)
      << packed.out;
  const std::string dir = Unpacked(work / "out.scr");
  ASSERT_EQ(RunCommand("jpegtran -perfect -rotate 90 '" + work / "whole-tagged.jpg" + "' > '" + work / "turned.jpg" + "'"), 0);
  EXPECT_EQ(LoadJpegFile(dir + "/files/whole.jpg"), LoadJpegFile(work / "turned.jpg"));
  EXPECT_EQ(LoadJpegFile(dir + "/files/odd.jpg").width(), 40);
}

// A plain grey JPEG written row by row, as big as the format allows without a bitmap of it.
std::string GreyJpeg(int width, int height) {
  const std::vector<Pixel> row(size_t(width), MakePixel(128, 128, 128, 255));
  const std::vector<uint8_t> jpeg = EncodeJpegRows(width, height, 50, [&](int) { return row.data(); });
  return std::string(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
}

// A panorama bigger than a whole-picture decode may be is still checked (at 1/8 scale)
// and packed; one that asks to be turned is kept as it is, and the user is told.
TEST_F(PicturePacking, APanoramaBeyondTheMemoryBoundIsCheckedAndKeptAsItIs) {
  const std::string pano = GreyJpeg(25000, 3000);
  const std::string turned = WithExifOrientation(pano, 6);
  ProjectFolder project(work / "project");
  project.AddFile("pano.jpg", pano);
  project.AddFile("turned.jpg", turned);
  project.AddFile("cut.jpg", pano.substr(0, pano.size() - 200));
  const std::string saver = work / "out.scr";
  const ToolRun refused = RunPack({"--no-player", project.dir(), saver});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("cut.jpg: damaged JPEG"), std::string::npos) << refused.err;

  const ToolRun packed = RunPack({"--no-player", "--skip-bad", project.dir(), saver});
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  EXPECT_NE(packed.out.find("turned.jpg: too large to turn upright (EXIF orientation 6); stored as it is"),
            std::string::npos)
      << packed.out;
  const std::string dir = Unpacked(saver);
  EXPECT_EQ(ReadAll(dir + "/files/pano.jpg"), pano);
  EXPECT_EQ(ReadAll(dir + "/files/turned.jpg"), turned);
}

TEST_F(PicturePacking, ADamagedPictureStopsThePackingOrIsLeftOutWithSkipBad) {
  ProjectFolder project(work / "project");
  project.AddPicture("good.jpg", "64x48", "gradient:red-blue");
  Convert("-size 300x200 plasma:fractal -quality 90 " + work / "whole.jpg");
  const std::string whole = ReadAll(work / "whole.jpg");
  project.AddFile("cut.jpg", whole.substr(0, whole.size() / 2));
  project.AddFile("noise.gif", "GIF89a not really a picture");
  const std::string saver = work / "out.scr";

  const ToolRun refused = RunPack({"--no-player", project.dir(), saver});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err.rfind("tidepool-pack: " + project.dir() + "/files/cut.jpg: damaged JPEG", 0), 0u) << refused.err;
  EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
  EXPECT_EQ(work.List(), (std::vector<std::string>{"project", "whole.jpg"})) << "nothing half-written beside the output";

  const ToolRun skipped = RunPack({"--no-player", "--skip-bad", project.dir(), saver});
  ASSERT_EQ(skipped.exitCode, 0) << skipped.err;
  EXPECT_NE(skipped.out.find("left out " + project.dir() + "/files/cut.jpg: damaged JPEG"), std::string::npos);
  EXPECT_NE(skipped.out.find("left out " + project.dir() + "/files/noise.gif: damaged GIF"), std::string::npos);
  const std::string dir = Unpacked(saver);
  EXPECT_EQ(ReadAll(dir + "/filelist.ini"), "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\ngood.jpg=1\r\n");
  EXPECT_FALSE(std::ifstream(dir + "/files/cut.jpg").good());
}

// The saver is written while the pictures are checked, and written again when one of
// them has to be changed or left out; either way the others are stored byte for byte and
// in order. More pictures than the checkers hold at once.
TEST_F(PicturePacking, PicturesKeptAsTheyAreAreStoredByteForByteWhileOthersChange) {
  Convert("-size 40x30 gradient:red-blue -quality 80 " + work / "base.jpg");
  const std::string base = ReadAll(work / "base.jpg");
  auto variant = [&](int n) {  // the same photo with its own comment segment
    const std::string text = "picture " + std::to_string(n);
    return base.substr(0, 2) + "\xFF\xFE" + char(0) + char(text.size() + 2) + text + base.substr(2);
  };
  const std::string photos = work / "photos";
  std::filesystem::create_directories(photos);
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) {
    names.push_back("p" + std::to_string(10 + i) + ".jpg");
    WriteAll(photos + "/" + names.back(), variant(i));
  }
  auto expectStoredAsTheyAre = [&](const std::string& dir, const std::vector<int>& changed) {
    std::string list = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\n";
    for (int i = 0; i < 40; ++i) {
      if (std::find(changed.begin(), changed.end(), i) != changed.end()) continue;
      list += names[size_t(i)] + "=1\r\n";
      EXPECT_EQ(ReadAll(dir + "/files/" + names[size_t(i)]), variant(i)) << names[size_t(i)];
    }
    return list;
  };

  ASSERT_EQ(RunPack({"--no-player", "--pictures", photos, work / "plain.scr"}).exitCode, 0);
  const std::string plain = Unpacked(work / "plain.scr");
  EXPECT_EQ(ReadAll(plain + "/filelist.ini"), expectStoredAsTheyAre(plain, {}));

  WriteAll(photos + "/p30.jpg", WithExifOrientation(variant(20), 6));
  WriteAll(photos + "/p45.jpg", base.substr(0, base.size() / 2));
  const ToolRun mixed = RunPack({"--no-player", "--skip-bad", "--pictures", photos, work / "mixed.scr"});
  ASSERT_EQ(mixed.exitCode, 0) << mixed.err;
  EXPECT_NE(mixed.out.find("p30.jpg: turned upright"), std::string::npos) << mixed.out;
  EXPECT_NE(mixed.out.find("left out " + photos + "/p45.jpg: damaged JPEG"), std::string::npos) << mixed.out;
  const std::string dir = Unpacked(work / "mixed.scr");
  const std::string list = expectStoredAsTheyAre(dir, {20, 35});
  EXPECT_EQ(ReadAll(dir + "/filelist.ini"),
            list.substr(0, list.find("p31.jpg")) + "p30.jpg=1\r\n" + list.substr(list.find("p31.jpg")));
  EXPECT_EQ(DecodeWithImageMagick(dir + "/files/p30.jpg").width(), 30);
  EXPECT_FALSE(std::filesystem::exists(dir + "/files/p45.jpg"));
}

TEST_F(PicturePacking, FormatsThePlayerDoesNotReadAreConvertedAndTheFileListFollows) {
  ProjectFolder project(work / "project");
  Convert(std::string(kAsymmetric) + " " + project.dir() + "/files/opaque.png");
  Convert("-size 40x30 xc:none -fill '#FF000080' -draw 'rectangle 0,0 19,29' PNG32:" + project.dir() + "/files/glass.png");
  Convert(std::string(kAsymmetric) + " " + project.dir() + "/files/leaf.webp");
  Convert(std::string(kAsymmetric) + " -quality 90 " + project.dir() + "/files/long.jpeg");
  Convert(std::string(kAsymmetric) + " " + project.dir() + "/files/scan.tif");
  Convert("-size 60x40 gradient:red-blue " + project.dir() + "/files/phone.heic");
  project.SetFileList("[FileList]\r\nopaque.png=1\r\nglass.png=0\r\nleaf.webp=1\r\nlong.jpeg=1\r\nscan.tif=1\r\nphone.heic=1\r\n");
  const ToolRun r = RunPack({"--no-player", project.dir(), work / "out.scr"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("opaque.png: converted from PNG to JPEG (quality 92), stored as opaque.jpg"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("glass.png: converted from PNG to BMP (it has transparency), stored as glass.bmp"), std::string::npos);
  EXPECT_NE(r.out.find("leaf.webp: converted from WebP to JPEG (quality 92), stored as leaf.jpg"), std::string::npos);
  EXPECT_NE(r.out.find("long.jpeg: stored as long.jpg"), std::string::npos);
  EXPECT_NE(r.out.find("scan.tif: converted from TIFF to JPEG (quality 92), stored as scan.jpg"), std::string::npos);
  EXPECT_NE(r.out.find("phone.heic: converted from HEIF to JPEG (quality 92), stored as phone.jpg"), std::string::npos);

  const std::string dir = Unpacked(work / "out.scr");
  EXPECT_EQ(ReadAll(dir + "/filelist.ini"),
            "[FileList]\r\nopaque.jpg=1\r\nglass.bmp=0\r\nleaf.jpg=1\r\nlong.jpg=1\r\nscan.jpg=1\r\nphone.jpg=1\r\n");
  const Bitmap32 reference = DecodeWithImageMagick(project.dir() + "/files/opaque.png");
  // Sharp colour edges cost a few levels in JPEG; a wrong picture would differ by far more.
  EXPECT_LT(MeanDifference(LoadJpegFile(dir + "/files/opaque.jpg"), reference), 8.0);
  EXPECT_LT(MeanDifference(LoadJpegFile(dir + "/files/leaf.jpg"), DecodeWithImageMagick(project.dir() + "/files/leaf.webp")), 8.0);
  for (const std::string converted : {"scan.tif", "phone.heic"}) {
    const std::string stored = dir + "/files/" + converted.substr(0, converted.find('.')) + ".jpg";
    EXPECT_LT(MeanDifference(LoadJpegFile(stored), DecodeWithImageMagick(project.dir() + "/files/" + converted)), 8.0)
        << converted;
  }
  // The transparent half keeps its alpha in the BMP the player reads.
  const Bitmap32 glass = LoadImageFile(dir + "/files/glass.bmp");
  ASSERT_EQ(glass.width(), 40);
  EXPECT_EQ(PixelA(glass.at(5, 5)), 0x80);
  EXPECT_EQ(PixelR(glass.at(5, 5)), 0xFF);
  EXPECT_EQ(PixelA(glass.at(30, 5)), 0);
  EXPECT_EQ(ReadAll(dir + "/files/long.jpg"), ReadAll(project.dir() + "/files/long.jpeg"));
}

}  // namespace
}  // namespace tp::test
