// Colours as shown: embedded profiles converted to sRGB against ImageMagick's conversion
// of the same file, CMYK JPEGs with and without a profile, 16-bit and alpha pictures,
// HEIF's colour description, damaged profiles, and the bounded transform cache.
#include <gtest/gtest.h>
#include <lcms2.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "imaging/ImageWriter.h"
#include "imaging/ImagingTestSupport.h"
#include "imaging/import/ColourProfile.h"
#include "imaging/import/ImageLoader.h"

namespace tp {
namespace {

using test::Convert;
using test::MaxChannelDiff;
using test::ReferencePixels;
using test::RunCommand;
using test::TempDir;

std::string SaveProfile(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  std::string bytes(size, '\0');
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

// Display P3: the primaries of DCI-P3 with a D65 white and the sRGB curve. padding > 0
// adds a text tag of that many bytes, which makes the profile big enough to be split over
// several JPEG segments.
std::string DisplayP3Profile(size_t padding = 0) {
  const cmsCIExyY white = {0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries = {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
  const cmsFloat64Number srgb[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
  cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgb);
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE p = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(curve);
  if (padding > 0) {
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", std::string(padding, 'p').c_str());
    cmsWriteTag(p, cmsSigCharTargetTag, text);
    cmsMLUfree(text);
  }
  return SaveProfile(p);
}

// A CMYK printer profile whose colours are the plain formula with red and blue swapped,
// so that a decode through it is told apart from the one without a profile.
std::string SwappedCmykProfile() {
  cmsHPROFILE p = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(p, 4.3);
  cmsSetDeviceClass(p, cmsSigOutputClass);
  cmsSetColorSpace(p, cmsSigCmykData);
  cmsSetPCS(p, cmsSigLabData);
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_PERCEPTUAL, 0);
  cmsStage* clut = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
  cmsStageSampleCLut16bit(
      clut,
      [](const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) -> cmsInt32Number {
        double rgb[3];
        const double k = 1.0 - in[3] / 65535.0;
        for (int i = 0; i < 3; ++i) rgb[2 - i] = (1.0 - in[i] / 65535.0) * k;  // swapped
        cmsCIELab lab;
        cmsDoTransform(static_cast<cmsHTRANSFORM>(cargo), rgb, &lab, 1);
        cmsFloat2LabEncoded(out, &lab);
        return 1;
      },
      toLab, 0);
  cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 4, 3);
  cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 4, nullptr));
  cmsPipelineInsertStage(pipeline, cmsAT_END, clut);
  cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
  cmsWriteTag(p, cmsSigAToB0Tag, pipeline);
  cmsPipelineFree(pipeline);
  cmsDeleteTransform(toLab);
  cmsCloseProfile(lab);
  cmsCloseProfile(srgb);
  return SaveProfile(p);
}

Bitmap32 Decode(const std::vector<uint8_t>& bytes, bool toSrgb) {
  DecodeRequest request;
  request.toSrgb = toSrgb;
  return DecodeImage(bytes.data(), bytes.size(), request);
}

Bitmap32 DecodeFile(const std::string& path, bool toSrgb = true) { return Decode(test::ReadBytes(path), toSrgb); }

class Colour : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ / name;
    test::WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return path;
  }
  // Saturated patches and a grey ramp: where P3 and sRGB differ most and least.
  std::string Patches(const std::string& name, const std::string& profile, const std::string& options = "") {
    const std::string path = dir_ / name;
    Convert("-size 32x8 xc:red xc:lime xc:blue xc:yellow xc:gray40 -append -size 32x40 gradient:cyan-magenta +append " +
            (profile.empty() ? "" : "-profile '" + profile + "' ") + "-depth 8 " + options + " '" + path + "'");
    return path;
  }
  TempDir dir_;
};

TEST_F(Colour, DisplayP3PicturesAgreeWithImageMagicksConversionToSrgb) {
  const std::string p3 = Write("p3.icc", DisplayP3Profile());
  const std::string bigP3 = Write("p3big.icc", DisplayP3Profile(200000));
  ASSERT_GT(test::ReadBytes(bigP3).size(), 3u * 65519);  // four or more JPEG segments
  const std::string srgb = Write("srgb.icc", SaveProfile(cmsCreate_sRGBProfile()));
  struct Case {
    std::string name, profile, options;
    int tolerance;
  };
  const std::vector<Case> cases = {
      {"p.png", p3, "", 2},
      {"p.jpg", bigP3, "-quality 95", 3},
      {"p.webp", p3, "-define webp:lossless=true", 2},
      {"p.tif", p3, "", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = Patches(c.name, c.profile, c.options);
    const Bitmap32 plain = DecodeFile(file, false);
    const Bitmap32 shown = DecodeFile(file);
    const Bitmap32 reference = ReferencePixels(file, "-profile '" + srgb + "'");
    EXPECT_LE(MaxChannelDiff(shown, reference, false), c.tolerance);
    // Without the request the samples are left as they are (what savers show).
    EXPECT_LE(MaxChannelDiff(plain, ReferencePixels(file), false), c.tolerance);
    EXPECT_GT(MaxChannelDiff(plain, shown, false), 20);  // P3's red is far outside sRGB's
  }
}

// HEIF says its colours with an ICC profile (a 'prof' colour box) or with the code
// numbers of its nclx box; phones write Display P3 either way. The nclx file is the
// profile one with its colour box rewritten in place (same size, so no offset moves).
TEST_F(Colour, HeifDisplayP3ProfileAndNclxAreConverted) {
  const std::string source = Patches("src.png", "");
  const std::string p3 = Write("p3.icc", DisplayP3Profile());
  const std::string srgb = Write("srgb.icc", SaveProfile(cmsCreate_sRGBProfile()));
  const std::string tagged = dir_ / "tagged.png";
  Convert("'" + source + "' -profile '" + p3 + "' '" + tagged + "'");
  const std::string heif = dir_ / "p3.heic";
  ASSERT_EQ(RunCommand("heif-enc -L -o '" + heif + "' '" + tagged + "' >/dev/null 2>&1"), 0);
  std::vector<uint8_t> bytes = test::ReadBytes(heif);
  const Bitmap32 plain = Decode(bytes, false);
  ASSERT_LE(MaxChannelDiff(plain, ReferencePixels(source), false), 8);
  // The reference: the samples as decoded, given the P3 profile and converted by ImageMagick.
  const std::string samples = dir_ / "samples.png";
  const std::vector<uint8_t> png = EncodePng(plain);
  test::WriteBytes(samples, png);
  const std::string samplesP3 = dir_ / "samplesp3.png";
  Convert("'" + samples + "' -profile '" + p3 + "' '" + samplesP3 + "'");
  const Bitmap32 reference = ReferencePixels(samplesP3, "-profile '" + srgb + "'");
  EXPECT_LE(MaxChannelDiff(Decode(bytes, true), reference, false), 2);

  const std::string prof = "colrprof";
  auto at = std::search(bytes.begin(), bytes.end(), prof.begin(), prof.end());
  ASSERT_NE(at, bytes.end());
  // primaries 12 (Display P3), transfer 13 (sRGB), matrix 6 (BT.601, as coded), full range.
  const uint8_t nclx[] = {'c', 'o', 'l', 'r', 'n', 'c', 'l', 'x', 0, 12, 0, 13, 0, 6, 0x80};
  const size_t boxSize = size_t(at[-4]) << 24 | size_t(at[-3]) << 16 | size_t(at[-2]) << 8 | at[-1];
  std::fill(at, at + long(boxSize - 4), 0);
  std::copy(std::begin(nclx), std::end(nclx), at);
  const Bitmap32 shown = Decode(bytes, true);
  EXPECT_LE(MaxChannelDiff(shown, reference, false), 2);
  EXPECT_GT(MaxChannelDiff(shown, Decode(bytes, false), false), 20);
  // sRGB primaries (1) are left alone.
  at[9] = 1;
  EXPECT_EQ(Decode(bytes, true), Decode(bytes, false));
  // Primaries the library does not know: shown unconverted (and nothing of the library's
  // answer is left behind: the leak checker sees it).
  at[9] = 99;
  EXPECT_EQ(Decode(bytes, true), Decode(bytes, false));
}

// The profile put into a JPEG as one APP2 segment right after its start.
std::vector<uint8_t> WithIccSegment(std::vector<uint8_t> jpeg, const std::string& profile) {
  std::string segment = std::string("\xFF\xE2", 2);
  const size_t length = 2 + 14 + profile.size();
  segment += char(length >> 8);
  segment += char(length & 0xFF);
  segment += std::string("ICC_PROFILE\0\x01\x01", 14) + profile;
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
  return jpeg;
}

TEST_F(Colour, CmykJpegsWithAndWithoutTheirProfile) {
  // ImageMagick writes Adobe's inverted CMYK. Without a profile the plain formula gives
  // the colours back; with one, the profile's colours (here red and blue swapped).
  const std::string cmyk = dir_ / "cmyk.jpg";
  Convert("-size 16x16 xc:'rgb(220,40,30)' xc:'rgb(20,180,60)' +append -colorspace CMYK -quality 100 '" + cmyk + "'");
  for (bool toSrgb : {false, true}) {
    const Bitmap32 b = DecodeFile(cmyk, toSrgb);
    EXPECT_NEAR(PixelR(b.at(4, 8)), 220, 6);
    EXPECT_NEAR(PixelG(b.at(4, 8)), 40, 6);
    EXPECT_NEAR(PixelB(b.at(20, 8)), 60, 6);
  }
  const std::string profile = SwappedCmykProfile();
  ASSERT_LT(profile.size(), 65000u);
  const std::vector<uint8_t> profiled = WithIccSegment(test::ReadBytes(cmyk), profile);
  const Bitmap32 b = Decode(profiled, true);
  EXPECT_NEAR(PixelB(b.at(4, 8)), 220, 12);
  EXPECT_NEAR(PixelR(b.at(4, 8)), 30, 12);
  // The saver's decode does not look at the profile.
  EXPECT_NEAR(PixelR(Decode(profiled, false).at(4, 8)), 220, 6);
}

TEST_F(Colour, GreySixteenBitAndAlphaPicturesAreShownRight) {
  // A grey JPEG with a linear grey profile: its mid grey is a light grey in sRGB.
  const cmsCIExyY d65 = {0.3127, 0.3290, 1.0};
  cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
  const std::string grey = Write("grey.icc", SaveProfile(cmsCreateGrayProfile(&d65, linear)));
  cmsFreeToneCurve(linear);
  const std::string jpeg = dir_ / "g.jpg";
  Convert("-size 8x8 xc:'gray(50%)' -colorspace Gray -profile '" + grey + "' '" + jpeg + "'");
  const Bitmap32 g = DecodeFile(jpeg);
  EXPECT_NEAR(PixelG(g.at(3, 3)), 188, 4);
  EXPECT_EQ(PixelR(g.at(3, 3)), PixelB(g.at(3, 3)));
  EXPECT_NEAR(PixelG(DecodeFile(jpeg, false).at(3, 3)), 128, 2);

  // 16-bit samples without gamma information are sRGB, as ImageMagick reads them.
  const std::string png16 = dir_ / "g16.png";
  Convert("-size 64x2 gradient:black-white -depth 16 -define png:exclude-chunks=gAMA,cHRM,sRGB,bKGD PNG48:'" + png16 +
          "'");
  EXPECT_LE(MaxChannelDiff(DecodeFile(png16), ReferencePixels(png16), false), 1);

  // Alpha composed over black, opaque.
  const std::string alpha = dir_ / "a.png";
  Convert("-size 4x4 xc:'rgba(200,100,50,0.5)' '" + alpha + "'");
  const Bitmap32 a = DecodeFile(alpha);
  EXPECT_EQ(PixelA(a.at(1, 1)), 255);
  EXPECT_NEAR(PixelR(a.at(1, 1)), 100, 2);
  EXPECT_NEAR(PixelB(a.at(1, 1)), 25, 2);
  EXPECT_NEAR(PixelA(DecodeFile(alpha, false).at(1, 1)), 128, 1);
}

// A PNG with the profile put in as its iCCP chunk, right after the header, as it is.
std::string WithIccChunk(const std::vector<uint8_t>& png, const std::string& profile) {
  uLongf packedSize = compressBound(uLong(profile.size()));
  std::string packed(packedSize, '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(profile.data()),
           uLong(profile.size()));
  packed.resize(packedSize);
  const std::string body = std::string("icc\0\0", 5) + packed;
  std::string chunk;
  for (int s = 24; s >= 0; s -= 8) chunk += char((body.size() >> s) & 0xFF);
  const std::string typed = "iCCP" + body;
  chunk += typed;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()));
  for (int s = 24; s >= 0; s -= 8) chunk += char((crc >> s) & 0xFF);
  std::string out(png.begin(), png.end());
  out.insert(8 + 25, chunk);  // signature, then IHDR (13 bytes of body, 12 of frame)
  return out;
}

TEST_F(Colour, DamagedOrForeignProfilesLeaveThePictureUnconverted) {
  const std::string p3 = DisplayP3Profile();
  const std::string png = Patches("ref.png", "");
  const Bitmap32 reference = ReferencePixels(png);
  std::string scrambled = p3;
  for (size_t i = 128; i < scrambled.size(); i += 7) scrambled[i] = char(scrambled[i] ^ 0x5A);
  std::string lying = p3;  // a tag table pointing far past the end
  for (size_t i = 132; i + 12 <= lying.size() && i < 132 + 12 * 9; i += 12) lying[i + 4] = '\x7F';
  const std::vector<std::string> refused = {p3.substr(0, p3.size() / 2), lying, SwappedCmykProfile(),
                                            std::string(200, '\xFF'), std::string(40, 'x')};
  for (size_t n = 0; n < refused.size(); ++n) {
    SCOPED_TRACE(n);
    const std::string bytes = WithIccChunk(test::ReadBytes(png), refused[n]);
    Bitmap32 shown;
    ASSERT_NO_THROW(shown = Decode(std::vector<uint8_t>(bytes.begin(), bytes.end()), true));
    EXPECT_EQ(MaxChannelDiff(shown, reference, false), 0);
  }
  // Damage that lcms may still read as some profile: shown, converted or not, never a crash.
  const std::string bytes = WithIccChunk(test::ReadBytes(png), scrambled);
  EXPECT_NO_THROW(Decode(std::vector<uint8_t>(bytes.begin(), bytes.end()), true));
  Bitmap32 b(2, 2);
  EXPECT_FALSE(ConvertToSrgb(b, refused[0]));
  EXPECT_FALSE(ConvertToSrgb(b, ""));
}

TEST_F(Colour, TransformsAreSharedPerProfileAndTheirNumberIsBounded) {
  const std::string p3 = DisplayP3Profile();
  const auto first = SrgbConversion::ForProfile(p3, ColourLayout::Bgra);
  ASSERT_TRUE(first);
  EXPECT_EQ(SrgbConversion::ForProfile(p3, ColourLayout::Bgra), first);
  EXPECT_FALSE(SrgbConversion::ForProfile(p3, ColourLayout::Cmyk));
  for (int i = 0; i < 20; ++i) {
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries = {{0.60 + i * 0.004, 0.33, 1.0}, {0.3, 0.6, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 2.2);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    const std::string profile = SaveProfile(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(curve);
    EXPECT_TRUE(SrgbConversion::ForProfile(profile, ColourLayout::Bgra));
    EXPECT_LE(SrgbConversion::CachedCount(), SrgbConversion::kCacheEntries);
  }
  // A conversion still held works after the cache let it go.
  Bitmap32 b(3, 1);
  b.Fill(MakePixel(255, 0, 0, 255));
  first->ConvertRow(reinterpret_cast<const uint8_t*>(b.data()), b.data(), b.width());
  EXPECT_EQ(PixelR(b.at(2, 0)), 255);
  EXPECT_EQ(PixelG(b.at(2, 0)), 0);  // P3 red is clipped to sRGB red
}

}  // namespace
}  // namespace tp
