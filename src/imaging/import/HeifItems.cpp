#include "imaging/import/HeifItems.h"

#include <string>

#include "imaging/import/ImageLoader.h"

namespace tp {
namespace {

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// The body of the first box of a type among the boxes in [at, end): found sets
// [bodyAt, bodyEnd). Every step moves on by at least a box header.
bool FindBox(const uint8_t* data, size_t at, size_t end, const char* type, size_t& bodyAt, size_t& bodyEnd) {
  while (end - at >= 8) {
    uint64_t size = Be32(data + at);
    size_t header = 8;
    if (size == 1) {
      if (end - at < 16) return false;
      size = uint64_t(Be32(data + at + 8)) << 32 | Be32(data + at + 12);
      header = 16;
    } else if (size == 0) {
      size = end - at;  // to the end of the file
    }
    if (size < header || size > end - at) return false;
    if (std::char_traits<char>::compare(reinterpret_cast<const char*>(data + at + 4), type, 4) == 0) {
      bodyAt = at + header;
      bodyEnd = at + size_t(size);
      return true;
    }
    at += size_t(size);
  }
  return false;
}

}  // namespace

uint32_t HeifItemCount(const uint8_t* data, size_t size) {
  size_t metaAt, metaEnd, infoAt, infoEnd;
  if (!FindBox(data, 0, size, "meta", metaAt, metaEnd) || metaEnd - metaAt < 4) return 0;
  // Both are full boxes: a version byte and three bytes of flags first.
  if (!FindBox(data, metaAt + 4, metaEnd, "iinf", infoAt, infoEnd) || infoEnd - infoAt < 6) return 0;
  const uint8_t version = data[infoAt];
  if (version == 0) return uint32_t(data[infoAt + 4]) << 8 | data[infoAt + 5];
  return infoEnd - infoAt >= 8 ? Be32(data + infoAt + 4) : 0;
}

void CheckHeifItemCount(const uint8_t* data, size_t size) {
  const uint32_t items = HeifItemCount(data, size);
  if (items > kMaxHeifItems)
    throw ImageDecodeError("HEIF picture too large (" + std::to_string(items) + " items)");
}

}  // namespace tp
