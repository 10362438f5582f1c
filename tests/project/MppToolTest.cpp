// tidepool-mpp end to end: a manifest with pictures and a mask made by ImageMagick turns
// into a file the packaged picture reader loads field by field; files cut after every
// item load exactly when the reader's rules say so; bad inputs are refused.
#include <gtest/gtest.h>

#include <fstream>

#include "core/FileSystem.h"
#include "imaging/import/ImageLoader.h"
#include "project/PackagedPicture.h"
#include "support/SaverRun.h"

namespace tp {
namespace {

using test::RunCommand;
using test::TempDir;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

int Mpp(const std::string& args) {
  return RunCommand(Quote(test::ToolPath("tidepool-mpp")) + " " + args + " >/dev/null 2>&1");
}

void Convert(const std::string& args) { ASSERT_EQ(RunCommand("convert " + args + " 2>/dev/null"), 0) << args; }

class MppTool : public ::testing::Test {
 protected:
  void SetUp() override {
    Convert("-size 64x48 gradient:orange-navy -quality 92 " + dir_ / "lake.jpg");
    // Top half no area, bottom left area 1 (blue), bottom right area 5 (green).
    Convert("-size 64x48 xc:black -fill '#0000FF' -draw 'rectangle 0,24 31,47' -fill '#00FF00' "
            "-draw 'rectangle 32,24 63,47' PNG24:" + dir_ / "mask.png");
    std::ofstream(dir_ / "objects.txt") << "[Object1]\nImage=duck.gif\n";
    manifest_ = dir_ / "lake.ini";
    std::ofstream(manifest_) << "[Picture]\nPicture=lake.jpg\nMask=mask.png\nName=Caf\xC3\xA9\n"
                                "Description=Evening\nSingleSound=drip.wav\nExtraWaves=2\n"
                                "[Wave1]\nAmplitude=9\nReflection=1\nReserved=7\n"
                                "[Wave5]\nWaveCount=3\n[Wave6]\nPeriod=90\n[Wave7]\nPeriod=45\n"
                                "[Weather]\nKind=snow\nParticleCount=250\nSpeedLevel=12\n"
                                "[Sound1]\nFile=birds.wav\nPlayMode=1\nValueA=1000\nValueB=5000\n"
                                "[Animation]\nFile=objects.txt\n"
                                "[Build]\nScrFilename=Lake.scr\nScrMusic=1\n";
  }
  TempDir dir_;
  std::string manifest_;
};

TEST_F(MppTool, BuildsAFileTheReaderLoadsFieldByField) {
  const std::string out = dir_ / "lake.mpp";
  ASSERT_EQ(Mpp(Quote(manifest_) + " " + Quote(out)), 0);
  TProject p;
  ASSERT_TRUE(p.LoadPackagedPicture(out));
  EXPECT_EQ(p.name, "Caf\xE9");  // stored in Windows-1252
  EXPECT_EQ(p.description, "Evening");
  // The JPEG is stored as it was: the same pixels as decoding the input.
  EXPECT_EQ(p.picture, LoadJpegFile(dir_ / "lake.jpg"));
  EXPECT_EQ(p.thumbnail.width(), 160);
  EXPECT_EQ(p.thumbnail.height(), 120);
  ASSERT_EQ(p.areaMask.width(), 64);
  ASSERT_EQ(p.areaMask.height(), 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      ASSERT_EQ(AreaOfMaskColor(p.areaMask.at(x, y)), y < 24 ? 0 : (x < 32 ? 1 : 5)) << x << "," << y;
  EXPECT_EQ(p.wave(0).Amplitude, 9);
  EXPECT_TRUE(p.wave(0).Reflection);
  EXPECT_EQ(p.wave(0).Reserved, 7);
  EXPECT_EQ(p.wave(1), TWaveParam{});
  EXPECT_EQ(p.wave(4).WaveCount, 3);
  EXPECT_EQ(p.wave(5).Period, 90);
  EXPECT_EQ(p.wave(6).Period, 360);  // only two extra records written
  EXPECT_EQ(p.weather.WeatherKind, kWeatherSnow);
  EXPECT_EQ(p.weather.ParticleCount, 250);
  EXPECT_EQ(p.weather.WeatherOpacity, 9);
  EXPECT_EQ(p.soundSlots[0], (TSoundSlot{"birds.wav", 1, 1000, 5000}));
  EXPECT_EQ(p.soundSlots[1].FileName, "drip.wav");
  EXPECT_EQ(p.animationText, "[Object1]\r\nImage=duck.gif\r\n");
  EXPECT_EQ(p.extraInfo.BuildScr, (TBuildTarget{"Lake.scr", "", true, true}));
}

TEST_F(MppTool, FilesCutAfterAnyItemLoadFromTheWeatherRecordOn) {
  for (int n = 1; n <= 14; ++n) {
    const std::string out = dir_ / ("cut" + std::to_string(n) + ".mpp");
    ASSERT_EQ(Mpp("--stop-after " + std::to_string(n) + " " + Quote(manifest_) + " " + Quote(out)), 0);
    TProject p;
    EXPECT_EQ(p.LoadPackagedPicture(out), n >= 10) << n;
    if (n < 10) continue;
    EXPECT_EQ(p.UsedSoundSlots(), n >= 11 ? 2 : 1) << n;  // the single sound always gets a slot
    EXPECT_EQ(p.animationText.empty(), n < 12) << n;
    EXPECT_EQ(p.extraInfo.BuildScr.Music, n >= 13) << n;
    EXPECT_EQ(p.wave(4).WaveCount, n >= 14 ? 3 : 17) << n;
  }
}

TEST_F(MppTool, OtherPictureFormatsAndDefaults) {
  Convert("-size 30x20 xc:teal BMP3:" + dir_ / "p.bmp");
  std::ofstream(dir_ / "bmp.ini") << "[Picture]\nPicture=p.bmp\n";
  ASSERT_EQ(Mpp(Quote(dir_ / "bmp.ini") + " " + Quote(dir_ / "p.mpp")), 0);
  TProject p;
  ASSERT_TRUE(p.LoadPackagedPicture(dir_ / "p.mpp"));
  EXPECT_EQ(p.pictureWidth, 30);
  EXPECT_EQ(p.thumbnail.width(), 160);
  EXPECT_EQ(p.thumbnail.height(), 106);
  EXPECT_EQ(p.areaMask.width(), 30);  // no mask: no areas
  EXPECT_EQ(AreaOfMaskColor(p.areaMask.at(29, 19)), 0);
  EXPECT_EQ(p.UsedSoundSlots(), 0);
  EXPECT_EQ(p.weather, (TWeatherParam{0, 0, 10, 0, 1, 0}));
  EXPECT_EQ(p.wave(7), TWaveParam{});
}

TEST_F(MppTool, RefusesBadInputsWithoutWritingAFile) {
  auto refused = [&](const std::string& manifest) {
    std::ofstream(dir_ / "bad.ini") << manifest;
    const int rc = Mpp(Quote(dir_ / "bad.ini") + " " + Quote(dir_ / "bad.mpp"));
    return rc == 1 && !FileExists(dir_ / "bad.mpp");
  };
  EXPECT_TRUE(refused("[Picture]\nName=no picture\n"));
  EXPECT_TRUE(refused("[Picture]\nPicture=missing.jpg\n"));
  Convert("-size 10x10 xc:black " + dir_ / "small.png");
  EXPECT_TRUE(refused("[Picture]\nPicture=lake.jpg\nMask=small.png\n"));  // wrong size
  Convert("-size 64x48 xc:'#123456' PNG24:" + dir_ / "odd.png");
  EXPECT_TRUE(refused("[Picture]\nPicture=lake.jpg\nMask=odd.png\n"));  // not a mask colour
  EXPECT_TRUE(refused("[Picture]\nPicture=objects.txt\n"));             // not a picture
  EXPECT_TRUE(refused("[Picture]\nPicture=lake.jpg\nExtraWaves=5\n"));
  EXPECT_TRUE(refused("[Picture]\nPicture=lake.jpg\n[Weather]\nKind=hail\n"));
  EXPECT_EQ(Mpp("--stop-after 15 " + Quote(manifest_) + " " + Quote(dir_ / "x.mpp")), 2);
  EXPECT_EQ(Mpp("--help"), 0);
}

}  // namespace
}  // namespace tp
