#include "platform/headless/WaveHeader.h"

#include <cstdio>
#include <cstring>
#include <functional>

namespace tp {
namespace {

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// read(pos, n, out) copies n bytes at pos, false when the source is shorter.
using ReadAt = std::function<bool(uint64_t pos, size_t n, uint8_t* out)>;

bool Walk(uint64_t size, const ReadAt& read, WaveInfo& info) {
  info = WaveInfo{};
  uint8_t head[16];
  if (!read(0, 12, head) || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) return false;
  bool haveFormat = false;
  uint64_t pos = 12;
  while (pos + 8 <= size) {
    uint8_t chunk[8];
    if (!read(pos, 8, chunk)) return false;
    uint32_t length = U32(chunk + 4);
    uint64_t body = pos + 8;
    uint64_t available = size - body;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uint8_t f[16];
      if (length < 16 || !read(body, 16, f)) return false;
      info.formatTag = U16(f);
      info.channels = U16(f + 2);
      info.sampleRate = U32(f + 4);
      info.byteRate = U32(f + 8);
      info.bitsPerSample = U16(f + 14);
      if (info.channels == 0 || info.byteRate == 0) return false;
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return false;
      info.dataBytes = uint32_t(length < available ? length : available);
      return true;
    }
    if (length > available) return false;
    pos = body + length + (length & 1u);  // chunks are padded to an even size
  }
  return false;
}

}  // namespace

uint32_t WaveInfo::DurationMs() const {
  if (byteRate == 0) return 0;
  return uint32_t(uint64_t(dataBytes) * 1000 / byteRate);
}

bool ParseWaveInfo(const uint8_t* data, size_t size, WaveInfo& info) {
  return Walk(size, [&](uint64_t pos, size_t n, uint8_t* out) {
    if (pos > size || n > size - pos) return false;
    std::memcpy(out, data + pos, n);
    return true;
  }, info);
}

bool ReadWaveInfo(const std::string& path, WaveInfo& info) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = false;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    long size = std::ftell(f);
    if (size >= 0) {
      ok = Walk(uint64_t(size), [&](uint64_t pos, size_t n, uint8_t* out) {
        return std::fseek(f, long(pos), SEEK_SET) == 0 && std::fread(out, 1, n, f) == n;
      }, info);
    }
  }
  std::fclose(f);
  return ok;
}

}  // namespace tp
