#pragma once
// One entry point for still pictures: the decoder is chosen by the data's signature
// (JPEG, BMP, GIF), falling back to the file extension. Every failure — unreadable file,
// unknown format, corrupt data — throws ImageDecodeError (a std::runtime_error).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "imaging/Bitmap32.h"
#include "imaging/ImageError.h"

namespace tp {

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
Bitmap32 DecodeBmp(const uint8_t* data, size_t size);
Bitmap32 DecodeGifFirstFrame(const uint8_t* data, size_t size);

// Reads a whole file into memory; throws ImageDecodeError when it cannot.
std::string ReadWholeFile(const std::string& path);

}  // namespace tp
