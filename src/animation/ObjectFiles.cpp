#include "animation/ObjectFiles.h"

#include <cstdint>
#include <mutex>

#include "core/FileSystem.h"
#include "core/Paths.h"
#include "imaging/Bitmap32.h"

namespace tp {
namespace {

std::mutex g_folderMutex;
std::string g_commonFolder;

// Classic system colours by index (COLOR_SCROLLBAR .. COLOR_MENUBAR), as R, G, B.
constexpr uint8_t kSystemColors[31][3] = {
    {192, 192, 192}, {0, 128, 128},   {0, 0, 128},     {128, 128, 128}, {192, 192, 192},
    {255, 255, 255}, {0, 0, 0},       {0, 0, 0},       {0, 0, 0},       {255, 255, 255},
    {192, 192, 192}, {192, 192, 192}, {128, 128, 128}, {0, 0, 128},     {255, 255, 255},
    {192, 192, 192}, {128, 128, 128}, {128, 128, 128}, {0, 0, 0},       {192, 192, 192},
    {255, 255, 255}, {0, 0, 0},       {192, 192, 192}, {0, 0, 0},       {255, 255, 225},
    {0, 0, 0},       {0, 0, 255},     {16, 132, 208},  {181, 181, 181}, {0, 0, 128},
    {192, 192, 192}};

}  // namespace

void SetObjectCommonFolder(std::string folder) {
  std::lock_guard<std::mutex> lk(g_folderMutex);
  g_commonFolder = std::move(folder);
}

std::string ObjectCommonFolder() {
  std::lock_guard<std::mutex> lk(g_folderMutex);
  return g_commonFolder;
}

bool ResolveObjectFile(std::string& filename) {
  if (!filename.empty() && FileExists(filename)) return true;
  const std::string bare = BareFileName(filename);
  const std::string common = ObjectCommonFolder();
  if (common.empty()) return false;
  const std::string images = JoinPath(common, "images");
  std::string found = bare.empty() ? std::string() : FindFileIgnoringCase(images, bare);
  filename = found.empty() ? JoinPath(images, bare) : found;
  return !bare.empty() && FileExists(filename);
}

uint32_t ColorRefToPixel(int32_t color) {
  uint32_t c = uint32_t(color);
  if ((c & 0xFF000000u) == 0x80000000u) {
    uint32_t index = c & 0xFFu;
    if (index < 31) {
      const uint8_t* rgb = kSystemColors[index];
      return MakePixel(rgb[0], rgb[1], rgb[2], 255);
    }
    return MakePixel(0, 0, 0, 255);
  }
  return MakePixel(uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 255);
}

}  // namespace tp
