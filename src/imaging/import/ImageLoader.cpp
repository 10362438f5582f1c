// The one entry point: the signature picks the decoder.
#include "imaging/import/ImageLoader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/SafeFile.h"
#include "imaging/import/ColourProfile.h"

namespace tp {

namespace {

bool StartsWith(const uint8_t* data, size_t size, std::string_view prefix) {
  return size >= prefix.size() && std::memcmp(data, prefix.data(), prefix.size()) == 0;
}

bool IsHeifBrand(std::string_view brand) {
  for (const char* b : {"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs", "mif1", "msf1", "avif", "avis"})
    if (brand == b) return true;
  return false;
}

// Pictures bigger than this are not read whole (the decoders' pixel bound refuses far
// smaller files' pictures anyway, except for well-compressed giants).
constexpr size_t kMaxPictureFileBytes = size_t(1) << 30;

}  // namespace

ImageFormat SniffImageFormat(const uint8_t* data, size_t size) {
  if (!data) return ImageFormat::Unknown;
  if (StartsWith(data, size, "\xFF\xD8\xFF")) return ImageFormat::Jpeg;
  if (StartsWith(data, size, "BM")) return ImageFormat::Bmp;
  if (size >= 6 && StartsWith(data, size, "GIF")) return ImageFormat::Gif;
  if (StartsWith(data, size, "\x89PNG\r\n\x1A\n")) return ImageFormat::Png;
  if (StartsWith(data, size, "RIFF") && size >= 12 && std::memcmp(data + 8, "WEBP", 4) == 0) return ImageFormat::Webp;
  if (StartsWith(data, size, std::string_view("II*\0", 4)) || StartsWith(data, size, std::string_view("MM\0*", 4)))
    return ImageFormat::Tiff;
  if (size >= 12 && std::memcmp(data + 4, "ftyp", 4) == 0 &&
      IsHeifBrand(std::string_view(reinterpret_cast<const char*>(data) + 8, 4)))
    return ImageFormat::Heif;
  if (StartsWith(data, size, "\xFF\x0A") ||
      StartsWith(data, size, std::string_view("\0\0\0\x0CJXL \r\n\x87\n", 12)))
    return ImageFormat::Jxl;
  return ImageFormat::Unknown;
}

const char* ImageFormatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::Jpeg: return "JPEG";
    case ImageFormat::Bmp: return "BMP";
    case ImageFormat::Gif: return "GIF";
    case ImageFormat::Png: return "PNG";
    case ImageFormat::Webp: return "WebP";
    case ImageFormat::Heif: return "HEIF";
    case ImageFormat::Tiff: return "TIFF";
    case ImageFormat::Jxl: return "JPEG XL";
    case ImageFormat::Unknown: break;
  }
  return "unknown";
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

namespace {

Bitmap32 DecodeByFormat(const uint8_t* data, size_t size, const DecodeRequest& request) {
  switch (SniffImageFormat(data, size)) {
    case ImageFormat::Jpeg: return DecodeJpeg(data, size, request);
    case ImageFormat::Bmp: return DecodeBmp(data, size);
    case ImageFormat::Gif: return DecodeGifFirstFrame(data, size);
    case ImageFormat::Png: return DecodePng(data, size, request);
    case ImageFormat::Webp: return DecodeWebp(data, size, request);
    case ImageFormat::Heif: return DecodeHeif(data, size, request);
    case ImageFormat::Tiff: return DecodeTiff(data, size, request);
    case ImageFormat::Jxl: return DecodeJxl(data, size, request);
    case ImageFormat::Unknown: break;
  }
  throw ImageDecodeError("Unknown picture format");
}

}  // namespace

Bitmap32 DecodeImage(const uint8_t* data, size_t size, const DecodeRequest& request) {
  if (request.cancel && request.cancel->load(std::memory_order_relaxed)) throw ImageDecodeError("decode cancelled");
  Bitmap32 out = DecodeByFormat(data, size, request);
  if (request.toSrgb) ComposeOverBlack(out);
  return out;
}

std::string ReadPictureFile(const std::string& path) {
  std::string bytes;
  switch (ReadWholeFile(path, kMaxPictureFileBytes, bytes, FollowLinks::Yes)) {
    case ReadResult::Ok: return bytes;
    case ReadResult::Missing: throw ImageDecodeError("Cannot open file " + path);
    case ReadResult::NotRegular: throw ImageDecodeError("Not a regular file: " + path);
    case ReadResult::TooLarge: throw ImageDecodeError("File too large: " + path);
    case ReadResult::Failed: break;
  }
  throw ImageDecodeError("Cannot read file " + path);
}

Bitmap32 LoadImageFile(const std::string& path) {
  const std::string bytes = ReadPictureFile(path);
  return DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace tp
