#pragma once
// Writes packaged pictures (".mpp") in the layout TProject reads: for the authoring tool,
// the demo and tests. The file is written item by item, so it can be cut after any item.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "project/PackagedPicture.h"

namespace tp {

// The fourteen items of a packaged picture as stored; the JPEG blocks are taken as given.
struct TPackagedPictureItems {
  std::string name, description;   // 8-bit text
  std::string thumbnailJpeg;       // a complete JPEG file
  std::array<TWaveParam, 8> waves;  // 0..3 in item 6, the rest as extra waves
  std::vector<int32_t> mask;       // W, H, then runs of length * 10 + area
  std::string pictureJpeg;
  std::string singleSound;
  TWeatherParam weather;
  std::array<TSoundSlot, 8> slots;
  std::string animationText;
  std::string buildText;  // comma-separated INI lines
  int extraWaves = 4;     // records written in item 14 (0..4)
};

inline constexpr int kPackagedPictureItems = 14;

// Bytes of the file up to and including item lastItem (1 signature, 2 name, 3 description,
// 4 thumbnail, 5 wave count, 6 waves 1-4, 7 area mask, 8 picture, 9 single sound,
// 10 weather, 11 sound slots, 12 animation text, 13 build information, 14 extra waves).
std::string SerialisePackagedPicture(const TPackagedPictureItems& items, int lastItem = kPackagedPictureItems);

// The whole file for a loaded or composed project: picture and thumbnail encoded as JPEG
// (a missing thumbnail is made from the picture), the mask run-length coded (an empty
// mask as 0 x 0), all eight waves, weather, sound slots, animation text and build
// information.
std::vector<uint8_t> EncodePackagedPicture(const TProject& project, int jpegQuality = 90);
// Writes that file; throws std::runtime_error when it cannot be written.
void SavePackagedPicture(const TProject& project, const std::string& path, int jpegQuality = 90);

// The mask as the file stores it: W, H, then runs of length * 10 + area.
std::vector<int32_t> EncodeAreaMask(const Bitmap32& mask);
// The build information as the file stores it.
std::string BuildInformationText(const TExtraInfo& info);

}  // namespace tp
