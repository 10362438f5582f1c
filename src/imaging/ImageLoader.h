#pragma once
// One entry point for still pictures: the decoder is chosen by the data's signature
// (JPEG, BMP, GIF), falling back to the file extension. Every failure — unreadable file,
// unknown format, corrupt data — throws ImageDecodeError (a std::runtime_error).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "imaging/Bitmap32.h"
#include "imaging/ImageError.h"

namespace tp {

struct Size2D {
  int width = 0;
  int height = 0;
};

enum class ImageFormat { Unknown, Jpeg, Bmp, Gif, Png };

// Format told from the first bytes (Unknown when none matches).
ImageFormat SniffImageFormat(const uint8_t* data, size_t size);
// Format told from the extension of a path (".jpg", ".jpeg", ".bmp", ".gif", ".png"; any case).
ImageFormat FormatFromExtension(std::string_view path);

// Decodes a picture held in memory (exactly size bytes). GIFs give their first frame.
Bitmap32 DecodeImage(const uint8_t* data, size_t size, std::string_view nameHint = {});
// Reads and decodes a picture file.
Bitmap32 LoadImageFile(const std::string& path);

// The single decoders. Pixels come out opaque (fourth byte 255) except where a format
// carries alpha (32-bit BMP with an alpha mask) or transparency (GIF: transparent pixels
// are 0x00000000 in the first frame).
Bitmap32 DecodeJpeg(const uint8_t* data, size_t size);
Bitmap32 LoadJpegFile(const std::string& path);

// What a JPEG decode needs to deliver, so that big pictures are decoded only as far as
// they are shown.
struct JpegDecodeRequest {
  // Decode at the smallest DCT scale (1/8, 1/4, 1/2 or 1) whose result is still at least this
  // size in both directions; 0 x 0 (or a picture smaller than this) gives the full size.
  int minWidth = 0;
  int minHeight = 0;
  // Only the centred part of at most this size is decoded, cut as a centred picture
  // larger than the screen is cut (left = (width - cropWidth) div 2); 0 keeps the whole
  // width or height. Applies to full-size decodes only.
  int cropWidth = 0;
  int cropHeight = 0;
  // Checked while decoding; when it turns true the decode stops with ImageDecodeError.
  const std::atomic<bool>* cancel = nullptr;
  // For a consumer working beside the decode: `started` once the output bitmap has its
  // size, before any row is in it; then `rowsDecoded` with how many rows from the top are
  // finished, every few rows and once at the end.
  std::function<void(const Bitmap32& out)> started;
  std::function<void(int rows)> rowsDecoded;
};

// Width and height from a JPEG's header; throws ImageDecodeError when it has none.
Size2D ReadJpegSize(const uint8_t* data, size_t size);
Bitmap32 DecodeJpeg(const uint8_t* data, size_t size, const JpegDecodeRequest& request);
// The same into a bitmap of the caller's, which stays where it is while the rows come in
// (for a consumer working beside the decode).
void DecodeJpeg(const uint8_t* data, size_t size, const JpegDecodeRequest& request, Bitmap32& out);

// Bounds of a JPEG decode: what comes out (after scaling and cropping) and the decoder's
// own working memory (a progressive picture keeps all its coefficients); a progressive
// picture also stops after this many scans.
constexpr long long kMaxJpegOutputPixels = 64LL * 1024 * 1024;
constexpr long kMaxJpegWorkingBytes = 768L * 1024 * 1024;
constexpr int kMaxJpegScans = 500;
Bitmap32 DecodeBmp(const uint8_t* data, size_t size);
Bitmap32 DecodeGifFirstFrame(const uint8_t* data, size_t size);

// Reads a whole file into memory; throws ImageDecodeError when it cannot.
std::string ReadWholeFile(const std::string& path);

}  // namespace tp
