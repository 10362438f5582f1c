#pragma once
// One loaded packaged picture (".mpp"): picture, thumbnail and area-mask bitmaps, the
// eight wave records, the weather record, the eight sound slots, the animation text with
// the object list built from it, and the build information.
//
// File layout (signed 32-bit little-endian integers; a block is a 32-bit length n and n
// bytes; a text is a block of 8-bit characters): signature "Mp060697", name, description,
// thumbnail JPEG block, wave count (skipped), 4 wave records, area mask (count c and c
// values: W, H, then runs v = length * 10 + area), picture JPEG block, single sound text,
// weather record; then optionally 8 sound slots, animation text, build-information text,
// extra wave count e (<= 4) and e wave records.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "imaging/Bitmap32.h"
#include "imaging/import/ImageLoader.h"

namespace tp {

class TFileLoader;
class TMyStream;
class TAnimObjects;  // built by the animation layer from animationText

// One water area's wave parameters (32 bytes on file).
struct TWaveParam {
  int32_t Amplitude = 6;  // scaled with the picture width on resize
  int32_t WaveCount = 17;
  int32_t WaveSpeed = 15;
  int32_t WaveForward = 1;
  bool HorizontalWave = false;
  bool VerticalWave = true;
  bool Perspective = true;
  int32_t Period = 360;      // degrees
  int32_t JitterRange = 0;   // scaled with the picture height on resize
  uint8_t Reserved = 0;      // byte 28, carried through unchanged
  bool Reflection = false;   // the area mirrors the picture above it

  static constexpr size_t kFileSize = 32;
  bool operator==(const TWaveParam&) const = default;
};

enum : int32_t { kWeatherNone = 0, kWeatherSnow = 1, kWeatherRain = 2 };

// Snow or rain (24 bytes on file).
struct TWeatherParam {
  int32_t WeatherKind = kWeatherNone;
  int32_t ParticleCount = 0;
  int32_t SpeedLevel = 0;  // index 0..20 into the speed table
  int32_t Angle = 0;       // rain direction, degrees
  int32_t LengthScale = 0;
  int32_t WeatherOpacity = 0;  // 0..10

  static constexpr size_t kFileSize = 24;
  bool operator==(const TWeatherParam&) const = default;
};

// One ambient sound (268 bytes on file). An empty FileName is an empty slot.
struct TSoundSlot {
  std::string FileName;  // 8-bit characters as stored, at most 255
  int32_t PlayMode = 0;  // 1: random interval between ValueA and ValueB; 2: fixed ValueA
  int32_t ValueA = 0;
  int32_t ValueB = 0;

  static constexpr size_t kFileSize = 268;
  bool empty() const { return FileName.empty(); }
  bool operator==(const TSoundSlot&) const = default;
};

// Build information kept from the file; the player does not act on it.
struct TBuildTarget {
  std::string Filename;
  std::string MusicFile;
  bool Music = false;
  bool Sound = true;
  bool operator==(const TBuildTarget&) const = default;
};
struct TExtraInfo {
  TBuildTarget BuildScr;
  TBuildTarget BuildExe;
  bool operator==(const TExtraInfo&) const = default;
};

// The six area colours of the mask bitmap (0xAARRGGBB, fourth byte 0); index 0 is "no
// area" (black).
constexpr std::array<Pixel, 7> kAreaMaskColors = {
    0x00000000,  // 0 none
    0x000000FF,  // 1 blue
    0x00FF00FF,  // 2 magenta
    0x00FF0000,  // 3 red
    0x00FFFF00,  // 4 yellow
    0x0000FF00,  // 5 green
    0x0000FFFF,  // 6 cyan
};
// Area number (1..6) of a mask colour (the fourth byte is ignored); 0 for any other.
int AreaOfMaskColor(Pixel color);

// Mask size bounds for untrusted files.
constexpr int kMaxMaskSide = 16384;
constexpr int64_t kMaxMaskPixels = 64LL * 1024 * 1024;

class TProject {
 public:
  static constexpr int kWaveCount = 8;
  static constexpr int kSoundSlotCount = 8;

  TProject();
  ~TProject();
  TProject(const TProject&) = delete;
  TProject& operator=(const TProject&) = delete;

  // Reads a whole packaged picture. Returns false (without a message) when the file is
  // not a packaged picture or ends before the sound slots; everything is replaced either
  // way (on failure the members hold the defaults and whatever was read).
  bool LoadPackagedPicture(const std::string& path);
  // The same, but the object list is left unbuilt, so that the file can be read on
  // another thread; BuildAnimObjects builds it later where the objects will run.
  bool ReadPackagedPictureWithoutObjects(const std::string& path);
  // Builds the animation object list from the animation text (after a successful load).
  void BuildAnimObjects();
  // The same from memory (tests, fuzzing); path is only recorded.
  bool LoadPackagedPictureFrom(const uint8_t* data, size_t size, const std::string& path = {});
  // Reads the signature, name, description and thumbnail only. On an error shows an
  // error box "File: " + path + CR LF + message through the platform and returns false.
  bool LoadPackagedThumbnail(const std::string& path);

  // Index of the first empty sound slot (0..7), or 8 when all are used.
  int UsedSoundSlots() const;

  TWaveParam& wave(int i) { return waves[size_t(i)]; }
  const TWaveParam& wave(int i) const { return waves[size_t(i)]; }

  // Builds the animation object list from the animation text after a successful load.
  // The animation layer installs it once at start; without it the list stays empty.
  using AnimObjectsBuilder =
      std::function<std::shared_ptr<TAnimObjects>(TProject& project, const std::string& text)>;
  static void SetAnimObjectsBuilder(AnimObjectsBuilder builder);

  bool loaded = false;
  std::string filePath;

  Bitmap32 picture;  // 32 bits per pixel, fourth byte 255
  int pictureWidth = 0;  // the picture's stored size (the objects' design size)
  int pictureHeight = 0;
  Bitmap32 thumbnail;
  Bitmap32 areaMask;  // W x H in the area colours above

  std::string name;         // 8-bit text as stored
  std::string description;  // 8-bit text as stored
  std::string singleSound;  // cleared once placed in a slot during loading

  std::array<TWaveParam, kWaveCount> waves;
  TWeatherParam weather;
  std::array<TSoundSlot, kSoundSlotCount> soundSlots;

  std::string animationText;                  // item 12 as stored
  std::shared_ptr<TAnimObjects> animObjects;  // filled by the installed builder
  TExtraInfo extraInfo;

  int speed = 100;  // set by the slideshow

  // Set by whoever shows the picture (kept across loads): the smallest size the picture
  // will be shown at, from its stored size. The picture block is then decoded at the
  // smallest DCT scale still at least that size; pictureWidth and pictureHeight keep the
  // stored size. Unset or 0 x 0: full size.
  std::function<Size2D(int storedWidth, int storedHeight)> pictureShownSize;

  // Empties the loader: no picture, no objects, every record at its default.
  void Reset();

 private:
  // Reset, then the whole file from the loader open() gives; false on any read error.
  bool Load(const std::string& path, const std::function<TFileLoader()>& open);
  void ReadFrom(TMyStream& in);
  void Finish();

  bool deferObjects_ = false;
  Size2D storedPictureSize_;  // of the picture block, whatever scale it was decoded at
};

// Decodes the run-length area mask values (W, H, runs) into a mask bitmap; runs past
// W x H are cut; sizes outside the bounds throw ProjectFileError. Exposed for tools/tests.
void DecodeAreaMask(const int32_t* values, size_t count, Bitmap32& mask);

// Splits comma-separated INI lines and reads the two build sections.
TExtraInfo ParseExtraInfo(const std::string& text);

}  // namespace tp
