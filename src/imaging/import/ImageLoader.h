#pragma once
// One entry point for still pictures. Each format has one decoder in its own file of this
// folder; the decoder is chosen by the data's signature, never by the file's name (a
// saver's pictures are sorted into kinds by extension before they get here). Every
// failure — unreadable file, unknown format, corrupt data, a picture beyond the pixel
// bound, a format whose library is missing — throws ImageDecodeError.
//
// Pixels come out as BGRA: opaque (fourth byte 255) unless the format carries alpha or
// transparency (GIF: transparent pixels of the first frame are 0x00000000). Animated and
// multi-page formats give their first frame, HEIF its primary image. No decoder turns a
// picture by its EXIF orientation (ReadPictureFacts reports it for the caller to apply);
// colours are converted to sRGB only when the request asks for it.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "imaging/Bitmap32.h"
#include "imaging/ImageError.h"

namespace tp {

struct Size2D {
  int width = 0;
  int height = 0;
};

enum class ImageFormat { Unknown, Jpeg, Bmp, Gif, Png, Webp, Heif, Tiff, Jxl };

// Format told from the first bytes (Unknown when none matches).
ImageFormat SniffImageFormat(const uint8_t* data, size_t size);
// "JPEG", "BMP", "GIF", "PNG", "WebP", "HEIF", "TIFF", "JPEG XL", "unknown".
const char* ImageFormatName(ImageFormat format);
// Format told from the extension of a path (".jpg", ".jpeg", ".bmp", ".gif", ".png"; any
// case): what a saver's picture is taken for.
ImageFormat FormatFromExtension(std::string_view path);

// Every decoder refuses a picture of more pixels than this before allocating for it.
constexpr long long kMaxDecodedPixels = 64LL * 1024 * 1024;

// What a decode needs to deliver, so that big pictures are decoded only as far as they
// are shown. The size and crop requests apply to JPEG, whose decoder scales by its DCT;
// other formats decode at full size.
struct DecodeRequest {
  // Decode at the smallest DCT scale (1/8, 1/4, 1/2 or 1) whose result is still at least this
  // size in both directions; 0 x 0 (or a picture smaller than this) gives the full size.
  int minWidth = 0;
  int minHeight = 0;
  // Only the centred part of at most this size is decoded, cut as a centred picture
  // larger than the screen is cut (left = (width - cropWidth) div 2); 0 keeps the whole
  // width or height. Applies to full-size decodes only.
  int cropWidth = 0;
  int cropHeight = 0;
  // Any damage of the compressed data (cut short, corrupt) is an error instead of being
  // shown as the decoder would show it (grey rows, a partial picture).
  bool strict = false;
  // Checked while decoding; when it turns true the decode stops with ImageDecodeError.
  // Decoders whose library offers no hook check it between their steps.
  const std::atomic<bool>* cancel = nullptr;
  // Colours as shown: an embedded colour profile (or HEIF's colour description) converted
  // to sRGB, CMYK through the picture's own profile when it has one, 16-bit PNG samples
  // without gamma information taken as sRGB, and alpha composed over black (the pixels
  // come out opaque). Off, pixels are the decoder's plain samples.
  bool toSrgb = false;
};

// Decodes a picture held in memory (exactly size bytes).
Bitmap32 DecodeImage(const uint8_t* data, size_t size, const DecodeRequest& request = {});
// Reads and decodes a picture file.
Bitmap32 LoadImageFile(const std::string& path);

// What a picture's header says, read without decoding its pixels.
struct PictureFacts {
  ImageFormat format = ImageFormat::Unknown;
  int width = 0;  // as stored, before any turning
  int height = 0;
  int orientation = 1;     // EXIF orientation 1-8 (1 when absent or unreadable)
  std::string dateTaken;   // EXIF DateTimeOriginal as written ("YYYY:MM:DD HH:MM:SS"), or ""
  std::string iccProfile;  // the embedded colour profile, or "" when there is none
};
PictureFacts ReadPictureFacts(const uint8_t* data, size_t size);

// --- the decoders, each in its own file ---

// JPEG: bounds of a decode, what comes out (after scaling and cropping) and the
// decoder's own working memory (a progressive picture keeps all its coefficients); a
// progressive picture also stops after this many scans.
constexpr long long kMaxJpegOutputPixels = kMaxDecodedPixels;
constexpr long kMaxJpegWorkingBytes = 768L * 1024 * 1024;
constexpr int kMaxJpegScans = 500;
Bitmap32 DecodeJpeg(const uint8_t* data, size_t size, const DecodeRequest& request = {});
// A file that must hold a JPEG (a saver's preview picture).
Bitmap32 LoadJpegFile(const std::string& path);
// Width and height from a JPEG's header; throws ImageDecodeError when it has none.
Size2D ReadJpegSize(const uint8_t* data, size_t size);
// Decodes every coefficient of a JPEG strictly, as cheaply as the format allows (1/8
// scale, grey), so that any size can be checked; throws ImageDecodeError on damage and
// when its decoder memory would exceed kMaxJpegWorkingBytes.
void CheckJpeg(const uint8_t* data, size_t size);
// The quality (1-100) whose scaled standard luminance table lies nearest the file's.
int EstimateJpegQuality(const uint8_t* data, size_t size);

// The request's size and crop fields are JPEG's only; the others honour cancel and toSrgb.
Bitmap32 DecodeBmp(const uint8_t* data, size_t size);
Bitmap32 DecodeGifFirstFrame(const uint8_t* data, size_t size);
Bitmap32 DecodePng(const uint8_t* data, size_t size, const DecodeRequest& request = {});
// The formats below use libraries that are opened when the first picture needs them;
// without the library the picture is refused with a message naming it.
Bitmap32 DecodeWebp(const uint8_t* data, size_t size, const DecodeRequest& request = {});
Bitmap32 DecodeHeif(const uint8_t* data, size_t size, const DecodeRequest& request = {});
Bitmap32 DecodeTiff(const uint8_t* data, size_t size, const DecodeRequest& request = {});
Bitmap32 DecodeJxl(const uint8_t* data, size_t size, const DecodeRequest& request = {});

// A whole picture file, read with core's ReadWholeFile (a regular file, links followed);
// throws ImageDecodeError when it cannot be read.
std::string ReadPictureFile(const std::string& path);

}  // namespace tp
