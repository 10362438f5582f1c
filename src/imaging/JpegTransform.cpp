#include "imaging/JpegTransform.h"

#include <turbojpeg.h>

#include <cstring>
#include <memory>

#include "imaging/import/ImageLoader.h"

namespace tp {
namespace {

int TransformFor(int orientation) {
  switch (orientation) {
    case 2: return TJXOP_HFLIP;
    case 3: return TJXOP_ROT180;
    case 4: return TJXOP_VFLIP;
    case 5: return TJXOP_TRANSPOSE;
    case 6: return TJXOP_ROT90;
    case 7: return TJXOP_TRANSVERSE;
    case 8: return TJXOP_ROT270;
    default: return TJXOP_NONE;
  }
}

uint32_t Read16(const uint8_t* p, bool little) { return little ? (p[0] | p[1] << 8) : (p[0] << 8 | p[1]); }
uint32_t Read32(const uint8_t* p, bool little) {
  return little ? Read16(p, true) | Read16(p + 2, true) << 16 : Read16(p, false) << 16 | Read16(p + 2, false);
}

struct TjHandle {
  tjhandle h = tjInitTransform();
  ~TjHandle() {
    if (h) tjDestroy(h);
  }
};

}  // namespace

std::optional<std::string> TurnJpegLosslessly(std::string_view jpeg, int orientation) {
  const int op = TransformFor(orientation);
  if (op == TJXOP_NONE || jpeg.empty()) return std::nullopt;
  TjHandle tj;
  if (!tj.h) return std::nullopt;
  const auto* src = reinterpret_cast<const unsigned char*>(jpeg.data());
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (tjDecompressHeader3(tj.h, src, static_cast<unsigned long>(jpeg.size()), &width, &height, &subsampling,
                          &colourspace) != 0)
    return std::nullopt;
  // The transform holds every block's coefficients (at most 3 per pixel with chroma): the
  // decoder's memory bound applies.
  if (static_cast<long long>(width) * height * 3 > kMaxJpegWorkingBytes) return std::nullopt;
  tjtransform transform;
  std::memset(&transform, 0, sizeof transform);
  transform.op = op;
  transform.options = TJXOPT_PERFECT;
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  const int result = tjTransform(tj.h, src, static_cast<unsigned long>(jpeg.size()), 1, &out, &outSize, &transform, 0);
  std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(out, tjFree);
  if (result != 0 || !out || outSize == 0) return std::nullopt;
  std::string turned(reinterpret_cast<const char*>(out), outSize);
  SetExifOrientation(turned, 1);
  return turned;
}

bool SetExifOrientation(std::string& jpeg, int orientation) {
  auto* d = reinterpret_cast<uint8_t*>(jpeg.data());
  const size_t n = jpeg.size();
  size_t pos = 2;
  while (pos + 4 <= n && d[pos] == 0xFF) {
    const uint8_t marker = d[pos + 1];
    if (marker == 0xDA || marker == 0xD9) return false;
    const size_t length = Read16(d + pos + 2, false);
    if (length < 2 || pos + 2 + length > n) return false;
    uint8_t* body = d + pos + 4;
    const size_t size = length - 2;
    if (marker == 0xE1 && size >= 14 && std::memcmp(body, "Exif\0\0", 6) == 0) {
      uint8_t* tiff = body + 6;
      const size_t tiffSize = size - 6;
      const bool little = tiff[0] == 'I' && tiff[1] == 'I';
      if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return false;
      const size_t ifd = Read32(tiff + 4, little);
      if (ifd > tiffSize || tiffSize - ifd < 2) return false;
      const size_t count = Read16(tiff + ifd, little);
      for (size_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + 12 * i;
        if (entry + 12 > tiffSize) return false;
        // Tag 0x0112, SHORT, one value: the value sits in the entry itself.
        if (Read16(tiff + entry, little) == 0x0112 && Read16(tiff + entry + 2, little) == 3 &&
            Read32(tiff + entry + 4, little) == 1) {
          uint8_t* value = tiff + entry + 8;
          value[little ? 0 : 1] = uint8_t(orientation);
          value[little ? 1 : 0] = 0;
          return true;
        }
      }
      return false;
    }
    pos += 2 + length;
  }
  return false;
}

}  // namespace tp
