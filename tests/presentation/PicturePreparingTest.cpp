// Plain pictures decoded only as far as they are shown, and prepared ahead on the worker:
// the same pixels as a full decode where nothing is cut, the same as on the spot always;
// guesses that miss, files that change or vanish, and closing while the worker runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "imaging/import/ImageLoader.h"
#include "imaging/ImageWriter.h"
#include "imaging/Resample.h"
#include "presentation/PicturePreparer.h"
#include "presentation/PictureLoading.h"
#include "support/SaverRun.h"
#include "support/TestPictures.h"

namespace tp {
namespace {

using test::DetailedPicture;
using test::TempDir;

std::string WriteJpeg(const std::string& path, const Bitmap32& b) {
  const std::vector<uint8_t> bytes = EncodeJpeg(b, 90);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

FitSettings Fit(int sw, int sh, bool stretch, bool proportional, bool scaled = false, int quality = 0) {
  return FitSettings{sw, sh, stretch, proportional, scaled, quality};
}

Bitmap32 Lanczos(const Bitmap32& from, int w, int h) {
  Bitmap32 to;
  to.SetSizeUninitialized(w, h);
  StretchLanczos(from, to);
  return to;
}

TEST(PreparePlainPicture, EachSizeModeDecodesAtTheScaleItsFittedSizeNeeds) {
  TempDir dir;
  const std::string path = WriteJpeg(dir / "big.jpg", DetailedPicture(1600, 1200));
  const std::vector<uint8_t> bytes = ReadBytes(path);
  auto decodeAtLeast = [&](int w, int h) {
    DecodeRequest r;
    r.minWidth = w;
    r.minHeight = h;
    return DecodeJpeg(bytes.data(), bytes.size(), r);
  };

  // Stretch-full on 400 x 300: 1/4 gives the size itself, nothing left to resample.
  FittedPicture full = PreparePlainPicture(path, Fit(400, 300, true, false));
  EXPECT_EQ(full.picture, decodeAtLeast(400, 300));
  EXPECT_EQ(full.picture.width(), 400);

  // Proportional on 1000 x 300: fitted to 400 x 300, the same scale.
  FittedPicture prop = PreparePlainPicture(path, Fit(1000, 300, true, true));
  EXPECT_EQ(prop.width, 400);
  EXPECT_EQ(prop.height, 300);
  EXPECT_EQ(prop.picture, decodeAtLeast(400, 300));

  // Stretch-full on 500 x 300: 1/2 (800 x 600) is the first wide enough, then Lanczos.
  FittedPicture odd = PreparePlainPicture(path, Fit(500, 300, true, false));
  EXPECT_EQ(odd.picture, Lanczos(decodeAtLeast(500, 300), 500, 300));
  EXPECT_EQ(decodeAtLeast(500, 300).width(), 800);

  // The scaled path at 640 x 480 works from the working resolution, not the screen.
  FittedPicture scaled = PreparePlainPicture(path, Fit(1920, 1080, false, false, true, 2));
  EXPECT_EQ(scaled.picture, Lanczos(decodeAtLeast(640, 480), 640, 480));
  EXPECT_EQ(scaled.width, 1920);
  EXPECT_EQ(scaled.height, 1080);

  // A picture smaller than its target is decoded whole and enlarged as before.
  const std::string small = WriteJpeg(dir / "small.jpg", DetailedPicture(120, 90));
  EXPECT_EQ(PreparePlainPicture(small, Fit(400, 300, true, false)).picture,
            Lanczos(LoadImageFile(small), 400, 300));
}

// A decode whose cancel flag is set stops with an error instead of giving a picture.
TEST(PreparePlainPicture, ACancelledDecodeThrows) {
  TempDir dir;
  const std::string path = WriteJpeg(dir / "big.jpg", DetailedPicture(1600, 1200));
  const std::atomic<bool> cancelled{true};
  EXPECT_THROW(PreparePlainPicture(path, Fit(500, 300, true, false), &cancelled), ImageDecodeError);
  const std::atomic<bool> wanted{false};
  EXPECT_EQ(PreparePlainPicture(path, Fit(500, 300, true, false), &wanted).picture.width(), 500);
}

TEST(PreparePlainPicture, OriginalSizeDecodesOnlyWhatTheScreenShows) {
  TempDir dir;
  const std::string path = WriteJpeg(dir / "wide.jpg", DetailedPicture(901, 333));
  const Bitmap32 whole = LoadImageFile(path);
  // 901 wide on a 600 x 400 screen: cut by (901 - 600) div 2 = 150 on the left, all rows.
  PresentationState cut;
  cut.screenWidth = 600;
  cut.screenHeight = 400;
  cut.stretch = false;
  LoadAndFitPlainPicture(path, cut);
  ASSERT_EQ(cut.fittedPicture.width(), 600);
  ASSERT_EQ(cut.fittedPicture.height(), 333);
  // What reaches the screen is the same as centring the whole picture.
  PresentationState uncut = cut;
  uncut.fittedPicture = whole;
  uncut.pictureWidth = 901;
  uncut.pictureHeight = 333;
  const Point a = PresentationOffset(cut), b = PresentationOffset(uncut);
  EXPECT_EQ(a, (Point{0, 33}));
  for (int y = 0; y < 333; y += 7)
    for (int x = 0; x < 600; x += 5)
      ASSERT_EQ(cut.fittedPicture.at(x, y), whole.at(x - b.x + a.x, y)) << x << "," << y;
}

// Streams a panorama row by row, so the test needs no 400 MB bitmap to make it.
void WriteStripedJpeg(const std::string& path, int w, int h) {
  std::vector<Pixel> row(static_cast<size_t>(w));
  for (int x = 0; x < w; ++x) {
    const bool red = (x / 5000) % 2 == 0;  // five bands of 5000 columns
    row[size_t(x)] = red ? MakePixel(220, 30, 20, 255) : MakePixel(20, 30, 220, 255);
  }
  const std::vector<uint8_t> jpeg = EncodeJpegRows(w, h, 60, [&](int) { return row.data(); });
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
}

TEST(PreparePlainPicture, HundredMegapixelPanoramaIsShown) {
  TempDir dir;
  const std::string path = dir / "pano.jpg";
  WriteStripedJpeg(path, 25000, 4000);
  const FittedPicture fitted = PreparePlainPicture(path, Fit(1920, 1080, true, true));
  ASSERT_EQ(fitted.picture.width(), 1920);
  ASSERT_EQ(fitted.picture.height(), 307);
  // The bands come out where they are: red, blue, red, blue, red.
  for (int band = 0; band < 5; ++band) {
    const Pixel p = fitted.picture.at(band * 384 + 192, 150);
    EXPECT_EQ(PixelR(p) > PixelB(p), band % 2 == 0) << band;
  }
}

TEST(PicturePreparer, PreparedPictureEqualsTheOneLoadedOnTheSpot) {
  TempDir dir;
  const std::string a = WriteJpeg(dir / "a.jpg", DetailedPicture(1000, 700));
  const FitSettings fit = Fit(640, 400, true, true);
  int runs = 0;
  TPicturePreparer preparer([&](const std::string& path, const std::atomic<bool>& cancel) {
    ++runs;
    PreparedPicture p;
    p.plain = PreparePlainPicture(path, fit, &cancel);  // as the show's worker does
    return p;
  });
  preparer.Start(a);
  preparer.Start(a);  // already under way: not started twice
  std::optional<PreparedPicture> got = preparer.Take(a);
  ASSERT_TRUE(got.has_value());
  const FittedPicture spot = PreparePlainPicture(a, fit);
  EXPECT_EQ(got->plain.picture, spot.picture);
  EXPECT_EQ(got->plain.width, spot.width);
  EXPECT_EQ(got->plain.height, spot.height);
  EXPECT_EQ(runs, 1);
  // Taken once: a second take has nothing.
  EXPECT_FALSE(preparer.Take(a).has_value());
}

PreparedPicture Marked(const std::string& path) {
  PreparedPicture p;
  p.plain.width = int(path.size());
  return p;
}

TEST(PicturePreparer, GuessesThatMissAndFilesThatChangeGiveNothing) {
  TempDir dir;
  const std::string a = dir / "a.jpg", b = dir / "b.jpg";
  std::ofstream(a) << "first";
  std::ofstream(b) << "second";
  TPicturePreparer preparer([](const std::string& path, const std::atomic<bool>&) { return Marked(path); });

  // The guess was a, the show chose b: nothing, and a's job is gone.
  preparer.Start(a);
  EXPECT_FALSE(preparer.Take(b).has_value());
  EXPECT_EQ(preparer.Path(), "");
  EXPECT_FALSE(preparer.Take(a).has_value());

  // Prepared, then the file vanished: nothing (the change then fails on the spot).
  preparer.Start(a);
  while (preparer.Busy()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::filesystem::remove(a);
  EXPECT_FALSE(preparer.Take(a).has_value());

  // Prepared, then replaced by other content: nothing.
  preparer.Start(b);
  while (preparer.Busy()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::filesystem::remove(b);
  std::ofstream(b) << "something else entirely";
  EXPECT_FALSE(preparer.Take(b).has_value());

  // Unchanged: the result.
  preparer.Start(b);
  const auto got = preparer.Take(b);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->plain.width, int(b.size()));
}

TEST(PicturePreparer, AJobOfTwoFilesIsDroppedWhenEitherChanges) {
  TempDir dir;
  const std::string a = dir / "a.jpg", b = dir / "b.jpg";
  std::ofstream(a) << "first";
  std::ofstream(b) << "second";
  const std::string job = JobOf({a, b});
  EXPECT_EQ(PathsOfJob(job), (std::vector<std::string>{a, b}));
  EXPECT_EQ(PathsOfJob(a), std::vector<std::string>{a});
  std::vector<std::string> seen;
  TPicturePreparer preparer([&](const std::string& path, const std::atomic<bool>&) {
    seen.push_back(path);
    return Marked(path);
  });
  preparer.Start(job);
  ASSERT_TRUE(preparer.Take(job).has_value());
  EXPECT_EQ(seen, std::vector<std::string>{job});  // the work is given the job, to split
  // The second file replaced after it was read: nothing.
  preparer.Start(job);
  while (preparer.Busy()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::filesystem::remove(b);
  std::ofstream(b) << "something else entirely";
  EXPECT_FALSE(preparer.Take(job).has_value());
  // A job of one of them is another job.
  preparer.Start(job);
  EXPECT_FALSE(preparer.Take(a).has_value());
}

TEST(PicturePreparer, ErrorOfThePreparedFileComesOutAtTake) {
  TempDir dir;
  const std::string broken = dir / "broken.jpg";
  std::ofstream(broken) << "not a picture";
  TPicturePreparer preparer([](const std::string& path, const std::atomic<bool>& cancel) {
    PreparedPicture p;
    p.plain = PreparePlainPicture(path, FitSettings{}, &cancel);
    return p;
  });
  preparer.Start(broken);
  EXPECT_THROW(preparer.Take(broken), ImageDecodeError);
}

// A job that runs until it is cancelled: Stop must cancel it and join the worker, and a
// new job replacing it must cancel the old one.
TEST(PicturePreparer, StopDuringAJobCancelsAndJoins) {
  std::atomic<int> started{0}, cancelled{0};
  auto work = [&](const std::string& path, const std::atomic<bool>& cancel) {
    ++started;
    while (!cancel.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ++cancelled;
    throw ImageDecodeError("cancelled " + path);
    return PreparedPicture{};
  };
  {
    TPicturePreparer preparer(work);
    preparer.Start("one");
    while (started.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    preparer.Start("two");  // the running job is cancelled, "two" runs next
    while (started.load() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(cancelled.load(), 1);
    EXPECT_EQ(preparer.Path(), "two");
    preparer.Stop();
    EXPECT_EQ(cancelled.load(), 2);
    preparer.Start("three");  // after Stop nothing starts
    EXPECT_FALSE(preparer.Busy());
  }
  {
    // Destroyed while working, without Stop.
    TPicturePreparer preparer(work);
    preparer.Start("four");
    while (started.load() < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(cancelled.load(), 3);
}

}  // namespace
}  // namespace tp
