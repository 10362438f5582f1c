#include "imaging/ImageLoader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include <sys/stat.h>

#include "imaging/ImageWriter.h"

namespace tp {

ImageFormat SniffImageFormat(const uint8_t* data, size_t size) {
  if (!data) return ImageFormat::Unknown;
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return ImageFormat::Jpeg;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return ImageFormat::Bmp;
  if (size >= 6 && std::equal(data, data + 3, "GIF")) return ImageFormat::Gif;
  if (size >= 8 && data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') return ImageFormat::Png;
  return ImageFormat::Unknown;
}

ImageFormat FormatFromExtension(std::string_view path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot)) return ImageFormat::Unknown;
  std::string ext(path.substr(dot + 1));
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "jpg" || ext == "jpeg" || ext == "jpe") return ImageFormat::Jpeg;
  if (ext == "bmp" || ext == "dib") return ImageFormat::Bmp;
  if (ext == "gif") return ImageFormat::Gif;
  if (ext == "png") return ImageFormat::Png;
  return ImageFormat::Unknown;
}

Bitmap32 DecodeImage(const uint8_t* data, size_t size, std::string_view nameHint) {
  ImageFormat f = SniffImageFormat(data, size);
  if (f == ImageFormat::Unknown) f = FormatFromExtension(nameHint);
  switch (f) {
    case ImageFormat::Jpeg: return DecodeJpeg(data, size);
    case ImageFormat::Bmp: return DecodeBmp(data, size);
    case ImageFormat::Gif: return DecodeGifFirstFrame(data, size);
    case ImageFormat::Png: return DecodePng(data, size);
    case ImageFormat::Unknown: break;
  }
  throw ImageDecodeError("Unknown picture format");
}

std::string ReadWholeFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw ImageDecodeError("Cannot open file " + path);
  std::string bytes;
  // Only regular files: a folder opens too but reports a meaningless size.
  struct stat st;
  long size = -1;
  if (::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode) && std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  bool ok = size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(size_t(size));
    ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  }
  std::fclose(f);
  if (!ok) throw ImageDecodeError("Cannot read file " + path);
  return bytes;
}

Bitmap32 LoadImageFile(const std::string& path) {
  const std::string bytes = ReadWholeFile(path);
  return DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), path);
}

}  // namespace tp
