#pragma once
// Shared by the fuzz targets: a private scratch folder for targets whose parser reads
// files, created once per process under $TMPDIR (fuzz/run.sh points it into the build tree).
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imaging/import/ImageLoader.h"

namespace tp::fuzz {

inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/tp-fuzz-XXXXXX";
    const char* made = ::mkdtemp(tmpl.data());
    return std::string(made ? made : "/tmp") + "/";
  }();
  return folder;
}

// Writes the input to a file in the scratch folder and returns its path.
inline std::string InputFile(const char* name, const uint8_t* data, size_t size) {
  const std::string path = ScratchFolder() + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

// A decoder's contract for any input: a picture within the pixel bound, with pixels at its
// corners, or ImageDecodeError.
template <typename Decoder>
int DecodeOrRefuse(Decoder decode, const uint8_t* data, size_t size) {
  try {
    const Bitmap32 b = decode(data, size);
    if (b.empty() || static_cast<long long>(b.width()) * b.height() > kMaxDecodedPixels) __builtin_trap();
    volatile Pixel sink = b.at(0, 0) ^ b.at(b.width() - 1, b.height() - 1);
    (void)sink;
  } catch (const ImageDecodeError&) {
  }
  return 0;
}

}  // namespace tp::fuzz
