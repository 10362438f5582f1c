#pragma once
// Reads the header of a RIFF/WAVE file: enough to know its format and how long it plays.
#include <cstdint>
#include <string>

namespace tp {

struct WaveInfo {
  uint16_t formatTag = 0;  // 1 = PCM
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t byteRate = 0;
  uint16_t bitsPerSample = 0;
  uint32_t dataBytes = 0;  // as much of the data chunk as the file holds

  uint32_t DurationMs() const;
};

// False when the file cannot be read or is not a well-formed wave file (no "fmt " chunk
// with a non-zero byte rate and channel count, or no "data" chunk).
bool ReadWaveInfo(const std::string& path, WaveInfo& info);
bool ParseWaveInfo(const uint8_t* data, size_t size, WaveInfo& info);

}  // namespace tp
