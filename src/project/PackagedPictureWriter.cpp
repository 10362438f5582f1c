#include "project/PackagedPictureWriter.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "imaging/ImageWriter.h"
#include "imaging/Resample.h"
#include "project/FileLoader.h"

namespace tp {
namespace {

class Out {
 public:
  void Int32(int32_t v) {
    const uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(u >> (8 * i)));
  }
  void Byte(uint8_t b) { bytes.push_back(b); }
  void Raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    bytes.insert(bytes.end(), b, b + n);
  }
  void Block(const std::vector<uint8_t>& block) {
    Int32(int32_t(block.size()));
    Raw(block.data(), block.size());
  }
  void Text(const std::string& s) {
    Int32(int32_t(s.size()));
    Raw(s.data(), s.size());
  }
  void Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
  std::vector<uint8_t> bytes;
};

void WriteWave(Out& out, const TWaveParam& w) {
  out.Int32(w.Amplitude);
  out.Int32(w.WaveCount);
  out.Int32(w.WaveSpeed);
  out.Int32(w.WaveForward);
  out.Byte(w.HorizontalWave);
  out.Byte(w.VerticalWave);
  out.Byte(w.Perspective);
  out.Byte(0);
  out.Int32(w.Period);
  out.Int32(w.JitterRange);
  out.Byte(w.Reserved);
  out.Byte(w.Reflection);
  out.Zeros(2);
}

void WriteSoundSlot(Out& out, const TSoundSlot& s) {
  const size_t n = std::min<size_t>(s.FileName.size(), 255);
  out.Byte(uint8_t(n));
  out.Raw(s.FileName.data(), n);
  out.Zeros(255 - n);
  out.Int32(s.PlayMode);
  out.Int32(s.ValueA);
  out.Int32(s.ValueB);
}

std::string BuildText(const TExtraInfo& info) {
  auto target = [](const char* name, const TBuildTarget& t) {
    return std::string("[") + name + "],Filename=" + t.Filename + ",MusicFile=" + t.MusicFile +
           ",Music=" + (t.Music ? "1" : "0") + ",Sound=" + (t.Sound ? "1" : "0");
  };
  return target("BuildScr", info.BuildScr) + "," + target("BuildExe", info.BuildExe);
}

std::vector<uint8_t> JpegOrEmpty(const Bitmap32& bmp, int quality) {
  if (bmp.empty()) return {};
  return EncodeJpeg(bmp, quality);
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

std::vector<uint8_t> EncodePackagedPicture(const TProject& project, int jpegQuality) {
  Out out;
  out.Raw(TFileLoader::kSignature, 8);
  out.Text(project.name);
  out.Text(project.description);
  out.Block(JpegOrEmpty(ThumbnailFor(project), jpegQuality));
  out.Int32(4);
  for (int i = 0; i < 4; ++i) WriteWave(out, project.wave(i));
  const std::vector<int32_t> mask = EncodeAreaMask(project.areaMask);
  out.Int32(int32_t(mask.size()));
  for (int32_t v : mask) out.Int32(v);
  out.Block(JpegOrEmpty(project.picture, jpegQuality));
  out.Text(project.singleSound);
  const TWeatherParam& w = project.weather;
  for (int32_t v : {w.WeatherKind, w.ParticleCount, w.SpeedLevel, w.Angle, w.LengthScale, w.WeatherOpacity})
    out.Int32(v);
  for (const TSoundSlot& s : project.soundSlots) WriteSoundSlot(out, s);
  out.Text(project.animationText);
  out.Text(BuildText(project.extraInfo));
  out.Int32(4);
  for (int i = 4; i < 8; ++i) WriteWave(out, project.wave(i));
  return std::move(out.bytes);
}

void SavePackagedPicture(const TProject& project, const std::string& path, int jpegQuality) {
  const std::vector<uint8_t> bytes = EncodePackagedPicture(project, jpegQuality);
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  f.close();
  if (!f) throw std::runtime_error("Cannot write " + path);
}

}  // namespace tp
