// The packaged picture reader on files built byte by byte in the test from the format's
// layout (not with our writer): every item read into its member, the optional tail
// ending anywhere, the single sound rule, weather defaults, the area mask, damaged and
// hostile files, and the thumbnail reader's error box.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "imaging/import/ImageLoader.h"
#include "imaging/ImageWriter.h"
#include "platform/EventLog.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "project/FileLoader.h"
#include "project/PackagedPicture.h"
#include "imaging/ImagingTestSupport.h"
#include "support/SaverRun.h"

namespace tp {
namespace {

using test::TempDir;

// Appends the encodings of the byte table: signed 32-bit little-endian integers, blocks
// (length + bytes), texts, and the fixed-size records.
struct Bytes {
  std::string b;
  Bytes& I32(int32_t v) {
    for (int i = 0; i < 4; ++i) b += char((uint32_t(v) >> (8 * i)) & 0xFF);
    return *this;
  }
  Bytes& Raw(const std::string& s) {
    b += s;
    return *this;
  }
  Bytes& Block(const std::string& s) { return I32(int32_t(s.size())).Raw(s); }
  Bytes& Wave(int32_t amp, int32_t count, int32_t speed, int32_t fwd, uint8_t h, uint8_t v, uint8_t persp,
              int32_t period, int32_t jitter, uint8_t reserved, uint8_t reflection) {
    I32(amp).I32(count).I32(speed).I32(fwd);
    b += char(h);
    b += char(v);
    b += char(persp);
    b += char(0x55);  // padding: ignored
    I32(period).I32(jitter);
    b += char(reserved);
    b += char(reflection);
    b += "\x66\x77";  // padding
    return *this;
  }
  Bytes& Weather(int32_t kind, int32_t count, int32_t speed, int32_t angle, int32_t length, int32_t opacity) {
    return I32(kind).I32(count).I32(speed).I32(angle).I32(length).I32(opacity);
  }
  Bytes& Slot(const std::string& name, int32_t mode, int32_t a, int32_t bValue) {
    std::string s(268, '\xAB');  // bytes past the name's length are undefined
    s[0] = char(name.size());
    s.replace(1, name.size(), name);
    b += s.substr(0, 256);
    return I32(mode).I32(a).I32(bValue);
  }
  Bytes& EmptySlots(int n) {
    for (int i = 0; i < n; ++i) Slot("", 0, 0, 0);
    return *this;
  }
  const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(b.data()); }
  size_t size() const { return b.size(); }
};

std::string Jpeg(int w, int h, Pixel colour) {
  Bitmap32 bmp(w, h);
  bmp.Fill(colour);
  const std::vector<uint8_t> j = EncodeJpeg(bmp, 95);
  return std::string(j.begin(), j.end());
}

// Items 1 to 10 with the format's worked example mask (4 x 2: 3 pixels of no area, one of area
// 1, then 4 of no area); weather as given.
Bytes Head(int32_t weatherKind = 1, int32_t opacity = 4, const std::string& singleSound = "") {
  Bytes f;
  f.Raw("Mp060697").Block("Lake").Block("Evening\r\nlight").Block(Jpeg(8, 6, MakePixel(0, 0, 255, 255)));
  f.I32(4);
  f.Wave(9, 18, 16, -1, 1, 0, 0, 180, 3, 0xC3, 1);
  f.Wave(1, 2, 3, 4, 0, 1, 1, 360, 0, 0, 0);
  f.Wave(5, 6, 7, 8, 0, 0, 1, 90, 2, 0, 0);
  f.Wave(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
  f.I32(5).I32(4).I32(2).I32(30).I32(11).I32(40);
  f.Block(Jpeg(40, 30, MakePixel(255, 0, 0, 255)));
  f.Block(singleSound);
  f.Weather(weatherKind, 300, 12, 45, 3, opacity);
  return f;
}

bool Load(TProject& p, const Bytes& f) { return p.LoadPackagedPictureFrom(f.data(), f.size(), "mem.mpp"); }

TEST(PackagedPicture, EveryItemOfACompleteFileLands) {
  Bytes f = Head(2, 0, "drip.wav");
  f.Slot("birds.wav", 1, 1000, 5000).Slot("wind.wav", 2, 300, 0).EmptySlots(6);
  f.Block("[Object1]\r\nImage=duck.gif").Block("[BuildScr],Filename=Lake.scr,Music=1,Sound=0,,[BuildExe],MusicFile=a.mid");
  f.I32(2).Wave(11, 12, 13, 14, 1, 1, 1, 45, 7, 0, 1).Wave(21, 22, 23, 24, 0, 0, 0, 30, 8, 9, 0);

  TProject p;
  ASSERT_TRUE(Load(p, f));
  EXPECT_TRUE(p.loaded);
  EXPECT_EQ(p.filePath, "mem.mpp");
  EXPECT_EQ(p.name, "Lake");
  EXPECT_EQ(p.description, "Evening\r\nlight");
  EXPECT_EQ(p.thumbnail.width(), 8);
  EXPECT_EQ(p.thumbnail.height(), 6);
  EXPECT_EQ(p.picture.width(), 40);
  EXPECT_EQ(p.pictureWidth, 40);
  EXPECT_EQ(p.pictureHeight, 30);
  EXPECT_GT(PixelR(p.picture.at(20, 15)), 240);
  EXPECT_LT(PixelB(p.picture.at(20, 15)), 15);

  TWaveParam w0;
  w0.Amplitude = 9;
  w0.WaveCount = 18;
  w0.WaveSpeed = 16;
  w0.WaveForward = -1;
  w0.HorizontalWave = true;
  w0.VerticalWave = false;
  w0.Perspective = false;
  w0.Period = 180;
  w0.JitterRange = 3;
  w0.Reserved = 0xC3;
  w0.Reflection = true;
  EXPECT_EQ(p.wave(0), w0);
  EXPECT_EQ(p.wave(2).Period, 90);
  EXPECT_TRUE(p.wave(3).Reflection);
  EXPECT_EQ(p.wave(4).Amplitude, 11);
  EXPECT_EQ(p.wave(5).Reserved, 9);
  EXPECT_EQ(p.wave(6), TWaveParam{});  // not in the file: defaults
  EXPECT_EQ(p.wave(7).WaveCount, 17);

  EXPECT_EQ(p.weather, (TWeatherParam{2, 300, 12, 45, 3, 6}));  // rain opacity 0 becomes 6

  EXPECT_EQ(p.soundSlots[0], (TSoundSlot{"birds.wav", 1, 1000, 5000}));
  EXPECT_EQ(p.soundSlots[1], (TSoundSlot{"wind.wav", 2, 300, 0}));
  EXPECT_EQ(p.soundSlots[2], (TSoundSlot{"drip.wav", 0, 0, 0}));  // the single sound
  EXPECT_TRUE(p.singleSound.empty());
  EXPECT_EQ(p.UsedSoundSlots(), 3);

  EXPECT_EQ(p.animationText, "[Object1]\r\nImage=duck.gif");
  EXPECT_EQ(p.extraInfo.BuildScr, (TBuildTarget{"Lake.scr", "", true, false}));
  EXPECT_EQ(p.extraInfo.BuildExe, (TBuildTarget{"", "a.mid", false, true}));

  // The spec's example mask.
  ASSERT_EQ(p.areaMask.width(), 4);
  ASSERT_EQ(p.areaMask.height(), 2);
  const Pixel none = kAreaMaskColors[0], blue = kAreaMaskColors[1];
  EXPECT_EQ(p.areaMask.at(0, 0), none);
  EXPECT_EQ(p.areaMask.at(2, 0), none);
  EXPECT_EQ(p.areaMask.at(3, 0), blue);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(p.areaMask.at(x, 1), none);
  EXPECT_EQ(AreaOfMaskColor(p.areaMask.at(3, 0) | 0xFF000000u), 1);
}

TEST(PackagedPicture, FileEndingAfterTheWeatherLoadsWithEmptySlotsAndNoObjects) {
  TProject p;
  ASSERT_TRUE(Load(p, Head(1, 0)));
  EXPECT_EQ(p.UsedSoundSlots(), 0);
  EXPECT_TRUE(p.animationText.empty());
  EXPECT_EQ(p.weather.WeatherOpacity, 9);  // snow opacity 0 becomes 9
  EXPECT_EQ(p.extraInfo, TExtraInfo{});
  EXPECT_EQ(p.wave(4), TWaveParam{});

  TProject q;
  ASSERT_TRUE(Load(q, Head(2, 4)));
  EXPECT_EQ(q.weather.WeatherOpacity, 4);  // a nonzero value stays
  TProject r;
  ASSERT_TRUE(Load(r, Head(0, 0)));
  EXPECT_EQ(r.weather.WeatherOpacity, 0);  // no weather: no default
}

TEST(PackagedPicture, TheTailMayEndAnywhereAndKeepsWhatWasRead) {
  Bytes f = Head();
  const size_t head = f.size();
  f.Slot("a.wav", 1, 1, 2).EmptySlots(7);
  const size_t slots = f.size();
  f.Block("[Object1]");
  const size_t anim = f.size();
  f.Block("[BuildScr],Filename=x");
  const size_t build = f.size();
  f.I32(3).Wave(77, 1, 1, 1, 0, 0, 0, 1, 1, 0, 0).Wave(78, 1, 1, 1, 0, 0, 0, 1, 1, 0, 0);  // one record short
  for (size_t n = head; n <= f.size(); ++n) {
    Bytes cut;
    cut.b = f.b.substr(0, n);
    TProject p;
    ASSERT_TRUE(Load(p, cut)) << n;
    EXPECT_EQ(p.soundSlots[0].FileName, n >= slots ? "a.wav" : "") << n;
    EXPECT_EQ(p.animationText, n >= anim ? "[Object1]" : "") << n;
    EXPECT_EQ(p.extraInfo.BuildScr.Filename, n >= build ? "x" : "") << n;
    EXPECT_EQ(p.wave(4).Amplitude, n >= build + 4 + 32 ? 77 : 6) << n;
    EXPECT_EQ(p.wave(5).Amplitude, n >= build + 4 + 64 ? 78 : 6) << n;
    EXPECT_EQ(p.wave(6).Amplitude, 6) << n;
  }
  // Every cut before the end of the weather record is a failure, never a crash.
  for (size_t n = 0; n < head; ++n) {
    Bytes cut;
    cut.b = f.b.substr(0, n);
    TProject p;
    EXPECT_FALSE(Load(p, cut)) << n;
    EXPECT_FALSE(p.loaded);
  }
}

TEST(PackagedPicture, SingleSoundGoesToTheFirstEmptySlotUnlessItSaysNoSound) {
  for (const std::string none : {"<NO SOUND>", "<no sound>", "<No Sound>"}) {
    TProject p;
    ASSERT_TRUE(Load(p, Head(0, 0, none)));
    EXPECT_EQ(p.UsedSoundSlots(), 0) << none;
    EXPECT_TRUE(p.singleSound.empty());
  }
  Bytes two = Head(0, 0, "third.wav");
  two.Slot("1.wav", 1, 1, 1).Slot("2.wav", 2, 5, 0).EmptySlots(6);
  TProject p;
  ASSERT_TRUE(Load(p, two));
  EXPECT_EQ(p.soundSlots[2], (TSoundSlot{"third.wav", 0, 0, 0}));
  EXPECT_EQ(p.UsedSoundSlots(), 3);

  Bytes full = Head(0, 0, "dropped.wav");
  for (int i = 0; i < 8; ++i) full.Slot("s" + std::to_string(i) + ".wav", 1, 1, 1);
  TProject q;
  ASSERT_TRUE(Load(q, full));
  EXPECT_EQ(q.UsedSoundSlots(), 8);
  for (const TSoundSlot& s : q.soundSlots) EXPECT_NE(s.FileName, "dropped.wav");
}

TEST(PackagedPicture, AreaMaskRunsSizesAndBounds) {
  const int32_t exact[] = {3, 2, 11, 12, 13, 14, 15, 16};
  Bitmap32 m;
  DecodeAreaMask(exact, 8, m);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(m.at(i % 3, i / 3), kAreaMaskColors[size_t(i + 1)]) << i;
  for (int i = 0; i < 6; ++i) EXPECT_EQ(AreaOfMaskColor(m.at(i % 3, i / 3)), i + 1);
  EXPECT_EQ(AreaOfMaskColor(MakePixel(1, 2, 3)), 0);

  // A run of 10 * k + 0 leaves k pixels black; areas 7 to 9 are no area either; runs past
  // W x H are cut; negative runs are skipped.
  const int32_t mixed[] = {4, 1, 11, -15, 10, 19, 11, 9999999};
  DecodeAreaMask(mixed, 8, m);
  EXPECT_EQ(test::Row(m, 0), (std::vector<Pixel>{kAreaMaskColors[1], 0, 0, kAreaMaskColors[1]}));
  const int32_t shortOnly[] = {5, 3};
  DecodeAreaMask(shortOnly, 2, m);
  EXPECT_EQ(m.width(), 5);
  EXPECT_EQ(m.height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(m.at(x, y), 0u);
  const int32_t overflow[] = {2, 1, 2147483641, 16};  // a run far longer than the picture
  DecodeAreaMask(overflow, 4, m);
  EXPECT_EQ(test::Row(m, 0), (std::vector<Pixel>{kAreaMaskColors[1], kAreaMaskColors[1]}));

  const int32_t wide[] = {16385, 1}, big[] = {16384, 16384}, neg[] = {-1, 5}, ok[] = {16384, 4096};
  EXPECT_THROW(DecodeAreaMask(wide, 2, m), ProjectFileError);
  EXPECT_THROW(DecodeAreaMask(big, 2, m), ProjectFileError);  // 256 M pixels
  EXPECT_THROW(DecodeAreaMask(neg, 2, m), ProjectFileError);
  EXPECT_NO_THROW(DecodeAreaMask(ok, 2, m));  // exactly 64 M pixels
  EXPECT_EQ(m.pixelCount(), size_t(64) * 1024 * 1024);
}

TEST(PackagedPicture, DamagedAndHostileFilesFailWithoutAllocatingFromTheirLengths) {
  TProject p;
  Bytes sig;
  sig.Raw("Mp060698");
  sig.b += Head().b.substr(8);
  EXPECT_FALSE(Load(p, sig));
  // Lengths far beyond the file: a name block of 2 GB, a negative one, a mask count of 1 G.
  Bytes huge;
  huge.Raw("Mp060697").I32(0x7FFFFFFF).Raw("abc");
  EXPECT_FALSE(Load(p, huge));
  Bytes negative;
  negative.Raw("Mp060697").I32(-4).Raw("abcd");
  EXPECT_FALSE(Load(p, negative));
  Bytes mask;
  mask.Raw("Mp060697").Block("n").Block("d").Block(Jpeg(2, 2, 0xFF000000)).I32(4);
  for (int i = 0; i < 4; ++i) mask.Wave(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  mask.I32(1 << 30).I32(4).I32(4);
  EXPECT_FALSE(Load(p, mask));
  // A thumbnail block that is not JPEG.
  Bytes notJpeg;
  notJpeg.Raw("Mp060697").Block("n").Block("d").Block("this is not a jpeg");
  EXPECT_FALSE(Load(p, notJpeg));
  // A mask larger than the bounds.
  Bytes bigMask = Head();
  const std::string marker = std::string("\x05\0\0\0\x04\0\0\0\x02\0\0\0", 12);
  bigMask.b.replace(bigMask.b.find(marker), 12, std::string("\x05\0\0\0\x01\x40\0\0\x02\0\0\0", 12));
  EXPECT_FALSE(Load(p, bigMask));
  // An extra wave count beyond four reads only four records.
  Bytes many = Head();
  many.EmptySlots(8).Block("").Block("").I32(9);
  for (int i = 0; i < 9; ++i) many.Wave(100 + i, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  ASSERT_TRUE(Load(p, many));
  EXPECT_EQ(p.wave(7).Amplitude, 103);
  Bytes negWaves = Head();
  negWaves.EmptySlots(8).Block("").Block("").I32(-2);
  ASSERT_TRUE(Load(p, negWaves));
  EXPECT_EQ(p.wave(4), TWaveParam{});
}

TEST(PackagedPicture, ALoadReplacesEverythingFromTheLoadBefore) {
  Bytes full = Head(2, 3, "x.wav");
  full.Slot("a.wav", 1, 1, 1).EmptySlots(7).Block("[Object1]").Block("").I32(1).Wave(50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  TProject p;
  ASSERT_TRUE(Load(p, full));
  ASSERT_EQ(p.UsedSoundSlots(), 2);
  ASSERT_TRUE(Load(p, Head(0, 0)));
  EXPECT_EQ(p.UsedSoundSlots(), 0);
  EXPECT_TRUE(p.animationText.empty());
  EXPECT_EQ(p.wave(4), TWaveParam{});
  EXPECT_EQ(p.weather, (TWeatherParam{0, 300, 12, 45, 3, 0}));
  Bytes bad;
  bad.Raw("nope");
  EXPECT_FALSE(Load(p, bad));
  EXPECT_FALSE(p.loaded);
  EXPECT_TRUE(p.picture.empty());
  EXPECT_TRUE(p.name.empty());
}

TEST(PackagedPicture, FromAFileAndTheThumbnailReadersErrorBox) {
  TempDir dir;
  const std::string good = dir / "good.mpp", bad = dir / "bad.mpp", log = dir / "events.log";
  std::ofstream(good, std::ios::binary) << Head().b;
  std::ofstream(bad, std::ios::binary) << "Mp06069X and more";
  TProject p;
  EXPECT_TRUE(p.LoadPackagedPicture(good));
  EXPECT_EQ(p.filePath, good);
  EXPECT_FALSE(p.LoadPackagedPicture(bad));
  EXPECT_FALSE(p.LoadPackagedPicture(dir / "missing.mpp"));
  EXPECT_FALSE(p.LoadPackagedPicture(dir.path()));  // a folder

  TProject t;
  EXPECT_TRUE(t.LoadPackagedThumbnail(good));
  EXPECT_EQ(t.name, "Lake");
  EXPECT_EQ(t.description, "Evening\r\nlight");
  EXPECT_EQ(t.thumbnail.width(), 8);
  EXPECT_TRUE(t.picture.empty());  // only items 1 to 4 are read

  ::setenv("TIDEPOOL_EVENT_LOG", log.c_str(), 1);
  ResetEventLog();
  const bool hadPlatform = HasPlatform();
  std::unique_ptr<Platform> previous;
  if (hadPlatform) previous = UninstallPlatform();
  InstallPlatform(CreateHeadlessPlatform());
  EXPECT_FALSE(t.LoadPackagedThumbnail(bad));
  UninstallPlatform();
  if (previous) InstallPlatform(std::move(previous));
  ::unsetenv("TIDEPOOL_EVENT_LOG");
  ResetEventLog();
  const std::vector<std::string> lines = test::ReadLines(log);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(" message error File: " + bad + "\\r\\nIncorrect Project File!"), std::string::npos)
      << lines[0];
}

}  // namespace
}  // namespace tp
