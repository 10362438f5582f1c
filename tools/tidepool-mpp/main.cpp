// tidepool-mpp: builds a packaged picture (".mpp") from a picture, an optional thumbnail
// and area mask, and an INI-like manifest of the records.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

#include "TidepoolVersion.h"
#include "core/CodePage.h"
#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/TextUtil.h"
#include "imaging/import/ImageLoader.h"
#include "imaging/ImageWriter.h"
#include "imaging/Resample.h"
#include "project/PackagedPictureWriter.h"

namespace {

constexpr const char* kHelp = R"(usage: tidepool-mpp [--stop-after N] MANIFEST OUTPUT

Builds a packaged picture OUTPUT (".mpp") from MANIFEST, an INI file. File names in
it are relative to the manifest's folder. Texts written in UTF-8 are converted to
the projects' code page (Windows-1252). Every section and key is optional except
[Picture] Picture.

[Picture]
  Picture=lake.jpg      the picture: a JPEG is stored as it is; a BMP, GIF or PNG
                        is encoded as JPEG
  Thumbnail=small.jpg   the list thumbnail (default: the picture made to fit 160x120)
  Mask=mask.png         area mask (PNG or BMP, the picture's size) in black (no area)
                        and the six area colours: 1 blue #0000FF, 2 magenta #FF00FF,
                        3 red #FF0000, 4 yellow #FFFF00, 5 green #00FF00, 6 cyan
                        #00FFFF (default: no areas)
  Name=Lake             picture name            Description=...   free text
  SingleSound=drip.wav  the single sound (or <NO SOUND>)
  Quality=90            JPEG quality for pictures that must be encoded
  ExtraWaves=4          how many of the records [Wave5]..[Wave8] are written (0-4)
[Wave1] .. [Wave8]      water areas 1..8 (defaults in brackets):
  Amplitude (6) WaveCount (17) WaveSpeed (15) WaveForward (1) HorizontalWave (0)
  VerticalWave (1) Perspective (1) Period (360) JitterRange (0) Reserved (0)
  Reflection (0)
[Weather]
  Kind=none|snow|rain (or 0, 1, 2)  ParticleCount  SpeedLevel (0-20)  Angle
  LengthScale  Opacity (0-10; 0 lets the player choose)
[Sound1] .. [Sound8]
  File=birds.wav  PlayMode=1  ValueA=1000  ValueB=5000
[Animation]
  File=objects.txt      the animation object text, stored with CR LF line ends
[Build]
  Text=...              the build information as stored (comma-separated INI lines),
                        or the keys ScrFilename ScrMusicFile ScrMusic ScrSound
                        ExeFilename ExeMusicFile ExeMusic ExeSound

Options:
  --stop-after N   write items 1 to N only (1 signature, 2 name, 3 description,
                   4 thumbnail, 5 wave count, 6 waves 1-4, 7 area mask, 8 picture,
                   9 single sound, 10 weather, 11 sound slots, 12 animation text,
                   13 build information, 14 extra waves), for files that end early
  --help           this text
  --version        print the version and end
)";

std::string ToCp1252(const std::string& text) {
  if (!tp::IsValidUtf8(text)) return text;
  auto cp = tp::Utf8ToCp1252(text);
  if (!cp) throw std::runtime_error("\"" + text + "\" cannot be written in Windows-1252");
  return *cp;
}

std::string ReadInput(const std::string& path) {
  std::string bytes;
  if (!tp::ReadFile(path, bytes)) throw std::runtime_error("cannot read " + path);
  return bytes;
}

// A picture file as a JPEG block: JPEG data as it is, anything else encoded.
std::string AsJpeg(const std::string& path, int quality, tp::Bitmap32* decoded) {
  const std::string bytes = ReadInput(path);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  try {
    *decoded = tp::DecodeImage(data, bytes.size());
  } catch (const tp::ImageDecodeError& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
  if (tp::SniffImageFormat(data, bytes.size()) == tp::ImageFormat::Jpeg) return bytes;
  const std::vector<uint8_t> jpeg = tp::EncodeJpeg(*decoded, quality);
  return std::string(jpeg.begin(), jpeg.end());
}

tp::Bitmap32 Thumbnail(const tp::Bitmap32& picture) {
  const int w = picture.width(), h = picture.height();
  int tw = 160, th = 120;
  if (int64_t(w) * th > int64_t(h) * tw) th = std::max(1, int(int64_t(h) * tw / w));
  else tw = std::max(1, int(int64_t(w) * th / h));
  tp::Bitmap32 thumb(tw, th);
  tp::StretchLanczos(picture, thumb);
  return thumb;
}

std::vector<int32_t> MaskValues(const std::string& path, const tp::Bitmap32& picture) {
  tp::Bitmap32 mask;
  try {
    mask = tp::LoadImageFile(path);
  } catch (const tp::ImageDecodeError& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
  if (mask.width() != picture.width() || mask.height() != picture.height())
    throw std::runtime_error(path + ": the mask is " + std::to_string(mask.width()) + "x" +
                             std::to_string(mask.height()) + ", the picture " + std::to_string(picture.width()) +
                             "x" + std::to_string(picture.height()));
  for (int y = 0; y < mask.height(); ++y)
    for (int x = 0; x < mask.width(); ++x) {
      const tp::Pixel p = mask.at(x, y);
      if (tp::AreaOfMaskColor(p) == 0 && (p & 0x00FFFFFFu) != 0) {
        char msg[160];
        std::snprintf(msg, sizeof msg, ": pixel %d,%d is #%06X, not black or an area colour", x, y,
                      unsigned(p & 0x00FFFFFFu));
        throw std::runtime_error(path + msg);
      }
    }
  return tp::EncodeAreaMask(mask);
}

tp::TWaveParam ReadWave(const tp::IniFile& m, const std::string& section) {
  tp::TWaveParam w;
  w.Amplitude = m.ReadInteger(section, "Amplitude", w.Amplitude);
  w.WaveCount = m.ReadInteger(section, "WaveCount", w.WaveCount);
  w.WaveSpeed = m.ReadInteger(section, "WaveSpeed", w.WaveSpeed);
  w.WaveForward = m.ReadInteger(section, "WaveForward", w.WaveForward);
  w.HorizontalWave = m.ReadBool(section, "HorizontalWave", w.HorizontalWave);
  w.VerticalWave = m.ReadBool(section, "VerticalWave", w.VerticalWave);
  w.Perspective = m.ReadBool(section, "Perspective", w.Perspective);
  w.Period = m.ReadInteger(section, "Period", w.Period);
  w.JitterRange = m.ReadInteger(section, "JitterRange", w.JitterRange);
  w.Reserved = uint8_t(m.ReadInteger(section, "Reserved", 0));
  w.Reflection = m.ReadBool(section, "Reflection", w.Reflection);
  return w;
}

int32_t WeatherKind(const std::string& text) {
  const std::string k = tp::LowerAscii(text);
  if (k.empty() || k == "none") return tp::kWeatherNone;
  if (k == "snow") return tp::kWeatherSnow;
  if (k == "rain") return tp::kWeatherRain;
  if (auto n = tp::ParseInt32(k)) return *n;
  throw std::runtime_error("[Weather] Kind=" + text + ": use none, snow or rain");
}

std::string CrLf(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::string BuildText(const tp::IniFile& m) {
  if (m.KeyNames("Build").empty()) return std::string();
  const std::string raw = m.ReadString("Build", "Text", "");
  if (!raw.empty()) return ToCp1252(raw);
  auto target = [&](const char* name, const char* prefix) {
    const std::string p = prefix;
    return std::string("[") + name + "],Filename=" + ToCp1252(m.ReadString("Build", p + "Filename", "")) +
           ",MusicFile=" + ToCp1252(m.ReadString("Build", p + "MusicFile", "")) +
           ",Music=" + (m.ReadBool("Build", p + "Music", false) ? "1" : "0") +
           ",Sound=" + (m.ReadBool("Build", p + "Sound", true) ? "1" : "0") + ",";
  };
  return target("BuildScr", "Scr") + "," + target("BuildExe", "Exe");
}

tp::TPackagedPictureItems ReadManifest(const std::string& manifestPath) {
  const tp::IniFile m = tp::IniFile::Parse(tp::AnyTextToUtf8(ReadInput(manifestPath)));
  const std::string dir = tp::DirectoryOf(manifestPath);
  auto file = [&](const std::string& name) { return name.empty() || name[0] == '/' ? name : dir + name; };

  tp::TPackagedPictureItems c;
  const int quality = m.ReadInteger("Picture", "Quality", 90);
  const std::string picturePath = file(m.ReadString("Picture", "Picture", ""));
  if (picturePath.empty()) throw std::runtime_error("the manifest names no [Picture] Picture");
  tp::Bitmap32 picture, unused;
  c.pictureJpeg = AsJpeg(picturePath, quality, &picture);
  const std::string thumbPath = file(m.ReadString("Picture", "Thumbnail", ""));
  if (thumbPath.empty()) {
    const std::vector<uint8_t> t = tp::EncodeJpeg(Thumbnail(picture), quality);
    c.thumbnailJpeg.assign(t.begin(), t.end());
  } else {
    c.thumbnailJpeg = AsJpeg(thumbPath, quality, &unused);
  }
  const std::string maskPath = file(m.ReadString("Picture", "Mask", ""));
  c.mask = maskPath.empty() ? std::vector<int32_t>{picture.width(), picture.height()} : MaskValues(maskPath, picture);

  c.name = ToCp1252(m.ReadString("Picture", "Name", ""));
  c.description = ToCp1252(m.ReadString("Picture", "Description", ""));
  c.singleSound = ToCp1252(m.ReadString("Picture", "SingleSound", ""));
  c.extraWaves = m.ReadInteger("Picture", "ExtraWaves", 4);
  if (c.extraWaves < 0 || c.extraWaves > 4) throw std::runtime_error("[Picture] ExtraWaves must be 0 to 4");
  for (int i = 0; i < 8; ++i) c.waves[size_t(i)] = ReadWave(m, "Wave" + std::to_string(i + 1));

  c.weather.WeatherKind = WeatherKind(m.ReadString("Weather", "Kind", ""));
  c.weather.ParticleCount = m.ReadInteger("Weather", "ParticleCount", 0);
  c.weather.SpeedLevel = m.ReadInteger("Weather", "SpeedLevel", 10);
  c.weather.Angle = m.ReadInteger("Weather", "Angle", 0);
  c.weather.LengthScale = m.ReadInteger("Weather", "LengthScale", 1);
  c.weather.WeatherOpacity = m.ReadInteger("Weather", "Opacity", 0);

  for (int i = 0; i < 8; ++i) {
    const std::string s = "Sound" + std::to_string(i + 1);
    tp::TSoundSlot& slot = c.slots[size_t(i)];
    slot.FileName = ToCp1252(m.ReadString(s, "File", ""));
    if (slot.FileName.size() > 255) throw std::runtime_error("[" + s + "] File is longer than 255 characters");
    slot.PlayMode = m.ReadInteger(s, "PlayMode", 0);
    slot.ValueA = m.ReadInteger(s, "ValueA", 0);
    slot.ValueB = m.ReadInteger(s, "ValueB", 0);
  }
  const std::string animPath = file(m.ReadString("Animation", "File", ""));
  if (!animPath.empty()) c.animationText = CrLf(ToCp1252(ReadInput(animPath)));
  c.buildText = BuildText(m);
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  int stopAfter = tp::kPackagedPictureItems;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("tidepool-mpp %s\n", TIDEPOOL_VERSION);
      return 0;
    }
    if (a == "--stop-after" && i + 1 < argc) {
      auto n = tp::ParseInt32(argv[++i]);
      if (!n || *n < 1 || *n > tp::kPackagedPictureItems) {
        std::fprintf(stderr, "tidepool-mpp: --stop-after takes an item number from 1 to 14\n");
        return 2;
      }
      stopAfter = *n;
    } else if (a.rfind("--", 0) == 0) {
      std::fprintf(stderr, "tidepool-mpp: unknown option %s (see tidepool-mpp --help)\n", a.c_str());
      return 2;
    } else {
      args.push_back(a);
    }
  }
  if (args.size() != 2) {
    std::fputs(kHelp, stderr);
    return 2;
  }
  try {
    const std::string bytes = tp::SerialisePackagedPicture(ReadManifest(args[0]), stopAfter);
    if (!tp::WriteFile(args[1], bytes)) throw std::runtime_error("cannot write " + args[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tidepool-mpp: %s\n", e.what());
    return 1;
  }
  return 0;
}
