#include "project/PackagedPicture.h"

#include <algorithm>
#include <mutex>

#include "core/IniFile.h"
#include "core/TextUtil.h"
#include "imaging/import/ImageLoader.h"
#include "platform/Platform.h"
#include "project/FileLoader.h"

namespace tp {

namespace {

std::mutex& BuilderMutex() {
  static std::mutex m;
  return m;
}
TProject::AnimObjectsBuilder& Builder() {
  static TProject::AnimObjectsBuilder b;
  return b;
}

int32_t Le32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24));
}

TWaveParam ReadWave(TMyStream& in) {
  uint8_t b[TWaveParam::kFileSize];
  in.ReadExact(b, sizeof b);
  TWaveParam w;
  w.Amplitude = Le32(b + 0);
  w.WaveCount = Le32(b + 4);
  w.WaveSpeed = Le32(b + 8);
  w.WaveForward = Le32(b + 12);
  w.HorizontalWave = b[16] != 0;
  w.VerticalWave = b[17] != 0;
  w.Perspective = b[18] != 0;
  w.Period = Le32(b + 20);
  w.JitterRange = Le32(b + 24);
  w.Reserved = b[28];
  w.Reflection = b[29] != 0;
  return w;
}

TWeatherParam ReadWeather(TMyStream& in) {
  uint8_t b[TWeatherParam::kFileSize];
  in.ReadExact(b, sizeof b);
  return TWeatherParam{Le32(b), Le32(b + 4), Le32(b + 8), Le32(b + 12), Le32(b + 16), Le32(b + 20)};
}

TSoundSlot ReadSoundSlot(TMyStream& in) {
  uint8_t b[TSoundSlot::kFileSize];
  in.ReadExact(b, sizeof b);
  TSoundSlot s;
  s.FileName.assign(reinterpret_cast<const char*>(b + 1), b[0]);
  s.PlayMode = Le32(b + 256);
  s.ValueA = Le32(b + 260);
  s.ValueB = Le32(b + 264);
  return s;
}

Bitmap32 DecodeJpegBlock(const std::vector<uint8_t>& block) { return DecodeJpeg(block.data(), block.size()); }

}  // namespace

int AreaOfMaskColor(Pixel color) {
  const Pixel rgb = color & 0x00FFFFFFu;
  for (int i = 1; i < int(kAreaMaskColors.size()); ++i)
    if (kAreaMaskColors[size_t(i)] == rgb) return i;
  return 0;
}

void DecodeAreaMask(const int32_t* values, size_t count, Bitmap32& mask) {
  const int32_t w = count > 0 ? values[0] : 0;
  const int32_t h = count > 1 ? values[1] : 0;
  if (w < 0 || h < 0 || w > kMaxMaskSide || h > kMaxMaskSide || int64_t(w) * h > kMaxMaskPixels)
    throw ProjectFileError("Area mask size out of range");
  mask.SetSize(w, h);
  if (mask.empty()) return;
  const int64_t total = int64_t(w) * h;
  Pixel* p = mask.data();
  int64_t pos = 0;
  for (size_t i = 2; i < count && pos < total; ++i) {
    const int32_t v = values[i];
    if (v < 0) continue;  // no pixels
    const int area = v % 10;
    const int64_t run = std::min<int64_t>(v / 10, total - pos);
    const Pixel color = area <= 6 ? kAreaMaskColors[size_t(area)] : 0;
    std::fill(p + pos, p + pos + run, color);
    pos += run;
  }
}

TExtraInfo ParseExtraInfo(const std::string& text) {
  // One INI line per comma-separated part.
  std::string ini;
  ini.reserve(text.size() + 16);
  for (char c : text) {
    if (c == ',') ini += "\r\n";
    else ini += c;
  }
  const IniFile f = IniFile::Parse(ini);
  TExtraInfo info;
  auto read = [&f](const char* section, TBuildTarget& t) {
    t.Filename = f.ReadString(section, "Filename", "");
    t.MusicFile = f.ReadString(section, "MusicFile", "");
    t.Music = f.ReadBool(section, "Music", false);
    t.Sound = f.ReadBool(section, "Sound", true);
  };
  read("BuildScr", info.BuildScr);
  read("BuildExe", info.BuildExe);
  return info;
}

TProject::TProject() = default;
TProject::~TProject() = default;

void TProject::SetAnimObjectsBuilder(AnimObjectsBuilder builder) {
  std::lock_guard<std::mutex> lock(BuilderMutex());
  Builder() = std::move(builder);
}

void TProject::Reset() {
  loaded = false;
  animObjects.reset();  // objects go first: they may refer to the bitmaps
  picture = Bitmap32();
  thumbnail = Bitmap32();
  areaMask = Bitmap32();
  pictureWidth = pictureHeight = 0;
  storedPictureSize_ = {};
  name.clear();
  description.clear();
  singleSound.clear();
  waves.fill(TWaveParam{});
  weather = TWeatherParam{};
  soundSlots.fill(TSoundSlot{});
  animationText.clear();
  extraInfo = TExtraInfo{};
}

void TProject::ReadFrom(TMyStream& in) {
  name = in.ReadText();
  description = in.ReadText();
  thumbnail = DecodeJpegBlock(in.ReadBlock());
  in.ReadInt32();  // wave count: always 4 on file
  for (int i = 0; i < 4; ++i) waves[size_t(i)] = ReadWave(in);
  const int32_t c = in.ReadInt32();
  if (c < 0 || uint64_t(c) * 4 > in.remaining()) throw StreamReadError("Read error: area mask past the end of file");
  std::vector<int32_t> values(static_cast<size_t>(c));
  for (int32_t i = 0; i < c; ++i) values[size_t(i)] = in.ReadInt32();
  DecodeAreaMask(values.data(), values.size(), areaMask);
  const std::vector<uint8_t> pictureBlock = in.ReadBlock();
  const Size2D stored = ReadJpegSize(pictureBlock.data(), pictureBlock.size());
  DecodeRequest request;
  if (pictureShownSize) {
    const Size2D shown = pictureShownSize(stored.width, stored.height);
    request.minWidth = shown.width;
    request.minHeight = shown.height;
  }
  picture = DecodeJpeg(pictureBlock.data(), pictureBlock.size(), request);
  storedPictureSize_ = stored;
  singleSound = in.ReadText();
  weather = ReadWeather(in);

  // Everything after the weather record is optional: a read error stops quietly and keeps
  // what was read.
  try {
    if (!in.AtEnd()) {
      std::array<TSoundSlot, kSoundSlotCount> slots;
      for (auto& s : slots) s = ReadSoundSlot(in);
      soundSlots = slots;
    }
    animationText = in.ReadText();
    const std::string build = in.ReadText();
    extraInfo = ParseExtraInfo(build);
    const int32_t e = in.ReadInt32();
    for (int32_t i = 0; i < std::min(e, 4); ++i) waves[size_t(4 + i)] = ReadWave(in);
  } catch (const StreamReadError&) {
  }
}

void TProject::Finish() {
  pictureWidth = storedPictureSize_.width;
  pictureHeight = storedPictureSize_.height;
  if (weather.WeatherOpacity == 0) {
    if (weather.WeatherKind == kWeatherSnow) weather.WeatherOpacity = 9;
    else if (weather.WeatherKind == kWeatherRain) weather.WeatherOpacity = 6;
  }
  if (!singleSound.empty() && UpperAscii(singleSound) != "<NO SOUND>") {
    const int slot = UsedSoundSlots();
    if (slot < kSoundSlotCount) {
      soundSlots[size_t(slot)] = TSoundSlot{};
      soundSlots[size_t(slot)].FileName = singleSound.substr(0, 255);
      soundSlots[size_t(slot)].PlayMode = 0;
    }
  }
  singleSound.clear();
  loaded = true;
  if (!deferObjects_) BuildAnimObjects();
}

void TProject::BuildAnimObjects() {
  if (!loaded) return;
  AnimObjectsBuilder build;
  {
    std::lock_guard<std::mutex> lock(BuilderMutex());
    build = Builder();
  }
  if (build) animObjects = build(*this, animationText);
}

bool TProject::Load(const std::string& path, const std::function<TFileLoader()>& open) {
  Reset();
  filePath = path;
  try {
    TFileLoader loader = open();
    loader.ReadSignature();
    ReadFrom(loader.stream());
  } catch (const std::runtime_error&) {
    return false;  // a damaged file keeps what was read before the damage
  } catch (...) {
    // Anything else (a picture too big for memory): nothing of the load stays.
    Reset();
    return false;
  }
  try {
    Finish();
  } catch (...) {
    Reset();
    return false;
  }
  return true;
}

bool TProject::LoadPackagedPictureFrom(const uint8_t* data, size_t size, const std::string& path) {
  return Load(path, [&] { return TFileLoader(data, size); });
}

bool TProject::LoadPackagedPicture(const std::string& path) {
  return Load(path, [&] { return TFileLoader(path); });
}

bool TProject::ReadPackagedPictureWithoutObjects(const std::string& path) {
  struct Defer {
    bool& flag;
    explicit Defer(bool& f) : flag(f) { flag = true; }
    ~Defer() { flag = false; }
  } defer(deferObjects_);
  return LoadPackagedPicture(path);
}

bool TProject::LoadPackagedThumbnail(const std::string& path) {
  try {
    TFileLoader loader(path);
    loader.ReadSignature();
    TMyStream& in = loader.stream();
    std::string n = in.ReadText();
    std::string d = in.ReadText();
    Bitmap32 thumb = DecodeJpegBlock(in.ReadBlock());
    name = std::move(n);
    description = std::move(d);
    thumbnail = std::move(thumb);
    return true;
  } catch (const std::runtime_error& e) {
    if (HasPlatform())
      CurrentPlatform().messageBoxes().Show(MessageKind::Error, "File: " + path + "\r\n" + e.what());
    return false;
  }
}

int TProject::UsedSoundSlots() const {
  for (int i = 0; i < kSoundSlotCount; ++i)
    if (soundSlots[size_t(i)].empty()) return i;
  return kSoundSlotCount;
}

}  // namespace tp
