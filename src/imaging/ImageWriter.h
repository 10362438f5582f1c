#pragma once
// Encoders: BMP (24-bit, bottom-up), PNG (RGB or RGBA through libpng) and JPEG (through
// libjpeg). Failures throw std::runtime_error.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"

namespace tp {

std::vector<uint8_t> EncodeBmp(const Bitmap32& bmp);
void WriteBmpFile(const Bitmap32& bmp, const std::string& path);

// withAlpha: write the fourth byte as the PNG alpha channel; otherwise RGB.
std::vector<uint8_t> EncodePng(const Bitmap32& bmp, bool withAlpha = false);
void WritePngFile(const Bitmap32& bmp, const std::string& path, bool withAlpha = false);

// quality 1..100.
std::vector<uint8_t> EncodeJpeg(const Bitmap32& bmp, int quality = 90);
// The same from rows asked for one at a time, top to bottom: a picture of any size
// without a bitmap of it. The row returned must stay valid until the next call.
using JpegRowSource = std::function<const Pixel*(int y)>;
std::vector<uint8_t> EncodeJpegRows(int width, int height, int quality, const JpegRowSource& rowAt);

// PNG decoding for tools that read their inputs as PNG (mask pictures); throws
// ImageDecodeError on bad data.
Bitmap32 DecodePng(const uint8_t* data, size_t size);

}  // namespace tp
