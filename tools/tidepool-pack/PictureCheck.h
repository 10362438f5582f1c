#pragma once
// Every picture a saver will show is decoded once while packing: what kind it is, its
// size, and whether it must be stored changed so that the player can show it as meant —
// a JPEG photo turned upright by its EXIF orientation, a PNG, WebP, TIFF or HEIF picture
// converted to JPEG (or to BMP when it has transparency).
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/Bitmap32.h"

namespace tp::pack {

enum class PictureKind { Unknown, Jpeg, Bmp, Gif, Png, Webp, Tiff, Heif, Packaged };

// Told from the first bytes.
PictureKind SniffPicture(std::string_view bytes);
// "JPEG", "BMP", ..., "packaged picture", "unknown".
const char* KindName(PictureKind kind);
// Whether the player reads this kind (plain JPEG, BMP, GIF, or a packaged picture).
bool PlayerReads(PictureKind kind);
// The extension a stored picture of this kind must carry for the player to treat it as
// that kind: ".jpg", ".bmp", ".gif", ".mpp"; "" for kinds the player cannot read.
std::string PlayerExtension(PictureKind kind);

// The picture cannot be decoded; what() is the reason.
class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct CheckedPicture {
  PictureKind kind = PictureKind::Unknown;
  int width = 0;   // as stored (after turning upright)
  int height = 0;
  bool changed = false;      // replacement holds the bytes to store instead
  std::string replacement;
  PictureKind storedKind = PictureKind::Unknown;  // the kind that is stored
  std::string change;        // what was done, for the user
  std::string note;          // something the user should know about a picture kept as it is
  std::vector<std::string> sounds;  // a packaged picture's sound file names (as stored)
};

// Decodes the picture held in bytes (a damaged one throws PictureError) and works out
// what to store.
CheckedPicture CheckPicture(std::string_view bytes);

// Kind and size only, decoding as little as the format allows (for listing savers).
CheckedPicture DescribePicture(std::string_view bytes);

// --- the pieces, exposed for the tests ---

// The picture turned as the EXIF orientation (1-8) says: the stored pixels read
// the way the camera meant them. Orientation 1 or an unknown value gives a copy.
Bitmap32 TurnUpright(const Bitmap32& src, int orientation);

// A 32-bit BMP whose fourth byte is the alpha channel (v4 header with an alpha mask).
std::string EncodeBmpWithAlpha(const Bitmap32& bmp);

struct JpegFacts {
  int width = 0;
  int height = 0;
  int orientation = 1;  // EXIF orientation, 1 when absent
  int quality = 0;      // estimated from the luminance quantisation table (1-100)
  bool tooLargeToTurn = false;  // turning was asked for, but the whole picture would not fit in memory
};
// Reads the header and EXIF orientation of a JPEG and decodes all of its compressed
// data; the pixels are returned only when full is set (otherwise the decoder works at
// 1/8 scale, which still reads every coefficient). Damage throws PictureError; so does
// a file cut short, which the player would show partly grey.
JpegFacts DecodeJpegChecked(std::string_view bytes, Bitmap32* full);
// The same in one pass for packing: the pixels are returned only when the EXIF
// orientation says the photo must be turned and the whole picture fits the memory bound
// (otherwise it is only checked, and tooLargeToTurn says so). Checking alone works at
// 1/8 scale, so any size the format allows can be checked.
JpegFacts DecodeJpegUnlessUpright(std::string_view bytes, Bitmap32* pixels);
// Header and orientation only.
JpegFacts ReadJpegFacts(std::string_view bytes);
// The JPEG encoded at quality, with the original's EXIF data carried over minus the
// orientation entry (the pixels are now upright).
std::string EncodeUprightJpeg(const Bitmap32& upright, int quality, std::string_view original);

}  // namespace tp::pack
