#include "project/PackagedPictureWriter.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "imaging/ImageWriter.h"
#include "imaging/Resample.h"
#include "project/FileLoader.h"

namespace tp {
namespace {

struct Out {
  std::string b;
  void I32(int32_t v) {
    for (int i = 0; i < 4; ++i) b += char((uint32_t(v) >> (8 * i)) & 0xFF);
  }
  void Byte(uint8_t v) { b += char(v); }
  void Block(const std::string& s) {
    I32(int32_t(s.size()));
    b += s;
  }
  void Wave(const TWaveParam& w) {
    I32(w.Amplitude);
    I32(w.WaveCount);
    I32(w.WaveSpeed);
    I32(w.WaveForward);
    Byte(w.HorizontalWave);
    Byte(w.VerticalWave);
    Byte(w.Perspective);
    Byte(0);
    I32(w.Period);
    I32(w.JitterRange);
    Byte(w.Reserved);
    Byte(w.Reflection);
    b.append(2, '\0');
  }
  void Slot(const TSoundSlot& s) {
    const size_t n = std::min<size_t>(s.FileName.size(), 255);
    Byte(uint8_t(n));
    b.append(s.FileName, 0, n);
    b.append(255 - n, '\0');
    I32(s.PlayMode);
    I32(s.ValueA);
    I32(s.ValueB);
  }
};

std::string JpegOrEmpty(const Bitmap32& bmp, int quality) {
  if (bmp.empty()) return {};
  const std::vector<uint8_t> jpeg = EncodeJpeg(bmp, quality);
  return std::string(jpeg.begin(), jpeg.end());
}

// The reader needs a thumbnail: without one of its own the project gets a small copy of
// its picture, at most 160 x 120 with the picture's proportions.
Bitmap32 ThumbnailFor(const TProject& project) {
  if (!project.thumbnail.empty() || project.picture.empty()) return project.thumbnail;
  const int w = project.picture.width(), h = project.picture.height();
  int tw = 160, th = 120;
  if (int64_t(w) * th > int64_t(h) * tw) th = std::max(1, int(int64_t(h) * tw / w));
  else tw = std::max(1, int(int64_t(w) * th / h));
  Bitmap32 thumb(tw, th);
  StretchSmooth(project.picture, thumb);
  return thumb;
}

}  // namespace

std::string SerialisePackagedPicture(const TPackagedPictureItems& c, int lastItem) {
  Out o;
  for (int item = 1; item <= std::min(lastItem, kPackagedPictureItems); ++item) {
    switch (item) {
      case 1: o.b.append(TFileLoader::kSignature, 8); break;
      case 2: o.Block(c.name); break;
      case 3: o.Block(c.description); break;
      case 4: o.Block(c.thumbnailJpeg); break;
      case 5: o.I32(4); break;
      case 6:
        for (int i = 0; i < 4; ++i) o.Wave(c.waves[size_t(i)]);
        break;
      case 7:
        o.I32(int32_t(c.mask.size()));
        for (int32_t v : c.mask) o.I32(v);
        break;
      case 8: o.Block(c.pictureJpeg); break;
      case 9: o.Block(c.singleSound); break;
      case 10: {
        const TWeatherParam& w = c.weather;
        for (int32_t v : {w.WeatherKind, w.ParticleCount, w.SpeedLevel, w.Angle, w.LengthScale, w.WeatherOpacity})
          o.I32(v);
        break;
      }
      case 11:
        for (const TSoundSlot& s : c.slots) o.Slot(s);
        break;
      case 12: o.Block(c.animationText); break;
      case 13: o.Block(c.buildText); break;
      case 14: {
        const int n = std::clamp(c.extraWaves, 0, 4);
        o.I32(n);
        for (int i = 0; i < n; ++i) o.Wave(c.waves[size_t(4 + i)]);
        break;
      }
    }
  }
  return o.b;
}

std::vector<int32_t> EncodeAreaMask(const Bitmap32& mask) {
  std::vector<int32_t> values = {mask.width(), mask.height()};
  const size_t total = mask.pixelCount();
  const Pixel* p = mask.data();
  size_t i = 0;
  while (i < total) {
    const int area = AreaOfMaskColor(p[i]);
    size_t j = i + 1;
    // Runs stay below 2^31 / 10 so that length * 10 + area fits.
    while (j < total && j - i < 200000000 && AreaOfMaskColor(p[j]) == area) ++j;
    values.push_back(int32_t(j - i) * 10 + area);
    i = j;
  }
  return values;
}

std::string BuildInformationText(const TExtraInfo& info) {
  auto target = [](const char* name, const TBuildTarget& t) {
    return std::string("[") + name + "],Filename=" + t.Filename + ",MusicFile=" + t.MusicFile +
           ",Music=" + (t.Music ? "1" : "0") + ",Sound=" + (t.Sound ? "1" : "0");
  };
  return target("BuildScr", info.BuildScr) + "," + target("BuildExe", info.BuildExe);
}

std::vector<uint8_t> EncodePackagedPicture(const TProject& project, int jpegQuality) {
  TPackagedPictureItems items;
  items.name = project.name;
  items.description = project.description;
  items.thumbnailJpeg = JpegOrEmpty(ThumbnailFor(project), jpegQuality);
  for (int i = 0; i < 8; ++i) items.waves[size_t(i)] = project.wave(i);
  items.mask = EncodeAreaMask(project.areaMask);
  items.pictureJpeg = JpegOrEmpty(project.picture, jpegQuality);
  items.singleSound = project.singleSound;
  items.weather = project.weather;
  items.slots = project.soundSlots;
  items.animationText = project.animationText;
  items.buildText = BuildInformationText(project.extraInfo);
  const std::string bytes = SerialisePackagedPicture(items);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void SavePackagedPicture(const TProject& project, const std::string& path, int jpegQuality) {
  const std::vector<uint8_t> bytes = EncodePackagedPicture(project, jpegQuality);
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  f.close();
  if (!f) throw std::runtime_error("Cannot write " + path);
}

}  // namespace tp
