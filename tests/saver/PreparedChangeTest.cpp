// Pictures prepared ahead change nothing on screen: the same frames with and without the
// worker, whatever else draws from the random generator. Pictures that failed once fail
// again without being read.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "imaging/ImageWriter.h"
#include "project/PackagedPicture.h"
#include "project/PackagedPictureWriter.h"
#include "imaging/Resample.h"
#include "saver/PackagedPictureSteps.h"
#include "saver/SaverRunFixture.h"

namespace tp::test {
namespace {

class PreparedChange : public SaverRunTest {
 protected:
  // A JPEG larger than the screen with detail everywhere, so scaling shows in the hashes.
  std::string Photo(const std::string& name, int w, int h, int seed) {
    Bitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        b.at(x, y) = MakePixel(uint8_t(x + seed * 50), uint8_t((x ^ y) + seed), uint8_t(y * 2), 255);
    const std::string path = (dir_ / name).string();
    const std::vector<uint8_t> bytes = EncodeJpeg(b, 85);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }

  // A packaged picture with water and snow: its frames draw from the random generator.
  std::string SnowyLake(const std::string& name) {
    TProject p;
    p.picture.SetSize(200, 150);
    p.picture.Fill(MakePixel(10, 60, 120, 255));
    p.areaMask.SetSize(200, 150);
    p.areaMask.Fill(kAreaMaskColors[0]);
    for (int y = 75; y < 150; ++y)
      for (int x = 0; x < 200; ++x) p.areaMask.at(x, y) = kAreaMaskColors[1];
    p.weather.WeatherKind = kWeatherSnow;
    p.weather.ParticleCount = 40;
    p.weather.SpeedLevel = 5;
    const std::string path = (dir_ / name).string();
    SavePackagedPicture(p, path, 90);
    return path;
  }

  static std::vector<std::string> WithoutPreparedLines(const SaverRunResult& r) {
    std::vector<std::string> out;
    for (const LogLine& l : r.events)
      if (l.kind != "prepared" && l.kind != "prepared-miss")
        out.push_back(std::to_string(l.tick) + " " + l.kind + " " + l.details);
    return out;
  }
};

TEST_F(PreparedChange, SameFramesWithAndWithoutPreparingAhead) {
  SaverProject p = Project({Photo("a.jpg", 2600, 2100, 1), Photo("b.jpg", 1400, 900, 2), SnowyLake("lake.mpp"),
                            Photo("c.jpg", 700, 500, 3)});
  p.settings.orderMode = 0;  // random: the guess has to follow the generator
  p.settings.displayTime = 1;
  p.settings.transition = true;
  p.settings.transitionTime = 300;
  p.settings.stretch = true;
  p.settings.proportional = true;

  prepareAhead_ = false;
  const SaverRunResult spot = Run(p, 9000);
  prepareAhead_ = true;
  const SaverRunResult ahead = Run(p, 9000);

  ASSERT_EQ(spot.frames.size(), ahead.frames.size());
  for (size_t i = 0; i < spot.frames.size(); ++i) {
    ASSERT_EQ(spot.frames[i].tick, ahead.frames[i].tick) << i;
    ASSERT_EQ(spot.frames[i].hash, ahead.frames[i].hash) << "frame " << i << " at " << spot.frames[i].tick;
  }
  EXPECT_EQ(WithoutPreparedLines(spot), WithoutPreparedLines(ahead));
  // Enough changes happened, most of them to prepared pictures.
  EXPECT_GE(ahead.Details("load").size(), 6u);
  EXPECT_GE(ahead.Details("prepared").size(), 3u);
  EXPECT_TRUE(spot.Details("prepared").empty());
  // Every change logs one or the other.
  EXPECT_EQ(ahead.Details("prepared").size() + ahead.Details("prepared-miss").size(),
            spot.Details("prepared-miss").size());
}

TEST_F(PreparedChange, OriginalSizeShowOfPicturesLargerThanTheScreen) {
  SaverProject p = Project({Photo("a.jpg", 1501, 1100, 1), Photo("b.jpg", 1300, 1030, 2)});
  p.settings.orderMode = 1;
  p.settings.displayTime = 1;
  p.settings.stretch = false;
  prepareAhead_ = false;
  const SaverRunResult spot = Run(p, 3500);
  prepareAhead_ = true;
  const SaverRunResult ahead = Run(p, 3500);
  ASSERT_EQ(spot.frames.size(), ahead.frames.size());
  for (size_t i = 0; i < spot.frames.size(); ++i) ASSERT_EQ(spot.frames[i].hash, ahead.frames[i].hash) << i;
  // Only the screen's part is decoded: the frames are screen-sized at (0, 0).
  ASSERT_FALSE(ahead.frames.empty());
  EXPECT_EQ(ahead.frames[0].w, 1280);
  EXPECT_EQ(ahead.frames[0].h, 1024);
  EXPECT_EQ(ahead.frames[0].x, 0);
  EXPECT_EQ(ahead.Details("prepared").size(), 3u);
}

TEST_F(PreparedChange, ClosingWhileTheNextPictureIsPreparedEndsCleanly) {
  SaverProject p = Project({Photo("small.jpg", 300, 200, 1), Photo("big.jpg", 3000, 2400, 2)});
  p.settings.orderMode = 1;
  p.settings.displayTime = 5;
  const SaverRunResult r = Run(p, 40);  // over long before the big picture is due
  EXPECT_EQ(r.Details("load"), std::vector<std::string>{p.pictures[0]});
  EXPECT_EQ(r.Details("close-request"), std::vector<std::string>{"system"});
}

TEST_F(PreparedChange, BigPackagedPictureIsDecodedAtTheScaleTheScreenNeeds) {
  TProject stored;
  stored.picture.SetSize(1600, 1200);
  for (int y = 0; y < 1200; ++y)
    for (int x = 0; x < 1600; ++x) stored.picture.at(x, y) = MakePixel(uint8_t(x / 7), uint8_t(y / 5), 90, 255);
  stored.areaMask.SetSize(1600, 1200);
  stored.wave(0).Amplitude = 8;
  stored.wave(0).JitterRange = 12;
  const std::string path = (dir_ / "big.mpp").string();
  SavePackagedPicture(stored, path, 92);

  // Stretch-full on 400 x 300: decoded at 1/4, nothing left to resample; the waves and
  // the objects' design size are those of the stored size.
  const FitSettings fit{400, 300, true, false, false, 0};
  TProject scaled;
  scaled.pictureShownSize = [fit](int w, int h) { return PackagedPictureShownSize(w, h, fit); };
  ASSERT_TRUE(scaled.LoadPackagedPicture(path));
  EXPECT_EQ(scaled.picture.width(), 400);
  EXPECT_EQ(scaled.pictureWidth, 1600);
  EXPECT_EQ(scaled.pictureHeight, 1200);
  ScalePackagedPictureForRun(scaled, fit);

  TProject whole;
  ASSERT_TRUE(whole.LoadPackagedPicture(path));
  EXPECT_EQ(whole.picture.width(), 1600);
  ScalePackagedPictureForRun(whole, fit);

  EXPECT_EQ(scaled.picture.width(), 400);
  EXPECT_EQ(scaled.areaMask.width(), 400);
  EXPECT_EQ(scaled.wave(0), whole.wave(0));
  EXPECT_EQ(scaled.wave(0).Amplitude, 2);
  EXPECT_EQ(scaled.wave(0).JitterRange, 3);
  // The same picture as a full decode and Lanczos, up to the decoders' filters.
  int worst = 0;
  for (int y = 10; y < 290; y += 3)
    for (int x = 10; x < 390; x += 3)
      worst = std::max(worst, std::abs(int(PixelR(scaled.picture.at(x, y))) - int(PixelR(whole.picture.at(x, y)))));
  EXPECT_LE(worst, 6);

  // Original size keeps the stored picture whole.
  TProject original;
  const FitSettings keep{400, 300, false, false, false, 0};
  original.pictureShownSize = [keep](int w, int h) { return PackagedPictureShownSize(w, h, keep); };
  ASSERT_TRUE(original.LoadPackagedPicture(path));
  EXPECT_EQ(original.picture.width(), 1600);
}

uint64_t BytesReadByThisProcess() {
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}

TEST_F(PreparedChange, BrokenPicturesAreReadOnceAndTheShowKeepsItsPace) {
  // Two large files that no decoder reads, due at every step.
  std::vector<std::string> broken;
  for (const char* name : {"x.jpg", "y.jpg"}) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << std::string(4 << 20, 'z');
    broken.push_back(path);
  }
  SaverProject p = Project(broken);
  p.settings.orderMode = 0;
  p.settings.displayTime = 0;
  const uint64_t before = BytesReadByThisProcess();
  const SaverRunResult r = Run(p, 3000);
  const uint64_t read = BytesReadByThisProcess() - before;
  EXPECT_TRUE(r.Details("load").empty());
  // Each file read once (plus small files); reading them at every step would be ~90x.
  EXPECT_LT(read, uint64_t(3 * (4 << 20)));
  // One step per frame period, no spinning.
  EXPECT_LE(r.pumps, 3000 / 33 + 5);
  EXPECT_GE(r.pumps, 3000 / 33 - 5);
}

}  // namespace
}  // namespace tp::test
