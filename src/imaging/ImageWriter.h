#pragma once
// Encoders, one per format: BMP (24-bit, bottom-up; 32-bit with alpha), PNG (RGB or RGBA
// through libpng) and JPEG (through libjpeg). Failures throw std::runtime_error.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"

namespace tp {

std::vector<uint8_t> EncodeBmp(const Bitmap32& bmp);
void WriteBmpFile(const Bitmap32& bmp, const std::string& path);
// A 32-bit BMP whose fourth byte is the alpha channel (v4 header with an alpha mask).
std::string EncodeBmpWithAlpha(const Bitmap32& bmp);

// withAlpha: write the fourth byte as the PNG alpha channel; otherwise RGB. fast: favour
// speed over size (frame dumps).
std::vector<uint8_t> EncodePng(const Bitmap32& bmp, bool withAlpha = false, bool fast = false);
void WritePngFile(const Bitmap32& bmp, const std::string& path, bool withAlpha = false, bool fast = false);

// quality 1..100.
std::vector<uint8_t> EncodeJpeg(const Bitmap32& bmp, int quality = 90);
// The same from rows asked for one at a time, top to bottom: a picture of any size
// without a bitmap of it. The row returned must stay valid until the next call.
using JpegRowSource = std::function<const Pixel*(int y)>;
std::vector<uint8_t> EncodeJpegRows(int width, int height, int quality, const JpegRowSource& rowAt);

}  // namespace tp
