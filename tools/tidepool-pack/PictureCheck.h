#pragma once
// Every picture a saver will show is decoded once while packing: what kind it is, its
// size, and whether it must be stored changed so that the player can show it as meant —
// a JPEG photo turned upright by its EXIF orientation, a PNG, WebP, TIFF, HEIF or JPEG XL
// picture converted to JPEG (or to BMP when it has transparency).
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tp::pack {

enum class PictureKind { Unknown, Jpeg, Bmp, Gif, Png, Webp, Tiff, Heif, Jxl, Packaged };

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

}  // namespace tp::pack
