// Deciding what to store for each picture of a saver. Every picture is decoded through
// the program's own decoders (imaging/import); JPEG photos are checked strictly, as the
// player would show a damaged one partly grey.
#include "tidepool-pack/PictureCheck.h"

#include <cstring>

#include "imaging/ImageWriter.h"
#include "imaging/import/ImageLoader.h"
#include "project/PackagedPicture.h"
#include "tidepool-pack/UprightPhoto.h"

namespace tp::pack {
namespace {

constexpr int kConvertedJpegQuality = 92;

bool HasTransparency(const Bitmap32& bmp) {
  const Pixel* p = bmp.data();
  for (size_t i = 0, n = bmp.pixelCount(); i < n; ++i)
    if (PixelA(p[i]) != 255) return true;
  return false;
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(reinterpret_cast<const char*>(v.data()), v.size()); }

const uint8_t* Data(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

void CheckJpegPhoto(std::string_view bytes, CheckedPicture& out) {
  const PictureFacts facts = ReadPictureFacts(Data(bytes), bytes.size());
  const bool sideways = facts.orientation >= 5;
  out.width = sideways ? facts.height : facts.width;
  out.height = sideways ? facts.width : facts.height;
  const std::string orientation = "(EXIF orientation " + std::to_string(facts.orientation) + ")";
  if (facts.orientation == 1) {
    CheckJpeg(Data(bytes), bytes.size());
    return;
  }
  UprightPhoto upright = TurnPhotoUpright(bytes, facts.orientation);
  if (!upright.turned) {
    out.width = facts.width;
    out.height = facts.height;
    out.note = "too large to turn upright " + orientation + "; stored as it is";
    return;
  }
  out.replacement = std::move(upright.bytes);
  out.changed = true;
  out.change = "turned upright " + orientation +
               (upright.lossless ? " losslessly" : ", quality " + std::to_string(upright.quality) + " (re-encoded)");
}

void CheckPackagedPicture(std::string_view bytes, CheckedPicture& out) {
  TProject p;
  if (!p.LoadPackagedPictureFrom(Data(bytes), bytes.size()) || p.picture.empty())
    throw PictureError("damaged packaged picture");
  out.width = p.pictureWidth;
  out.height = p.pictureHeight;
  for (const TSoundSlot& s : p.soundSlots)
    if (!s.empty()) out.sounds.push_back(s.FileName);
  if (!p.singleSound.empty()) out.sounds.push_back(p.singleSound);
}

// A picture the player cannot read, stored as JPEG, or as BMP to keep its transparency.
void Convert(std::string_view bytes, CheckedPicture& out) {
  const Bitmap32 b = DecodeImage(Data(bytes), bytes.size());
  out.width = b.width();
  out.height = b.height();
  out.changed = true;
  if (HasTransparency(b)) {
    out.replacement = EncodeBmpWithAlpha(b);
    out.storedKind = PictureKind::Bmp;
    out.change = std::string("converted from ") + KindName(out.kind) + " to BMP (it has transparency)";
  } else {
    out.replacement = Bytes(EncodeJpeg(b, kConvertedJpegQuality));
    out.storedKind = PictureKind::Jpeg;
    out.change = std::string("converted from ") + KindName(out.kind) + " to JPEG (quality 92)";
  }
}

}  // namespace

PictureKind SniffPicture(std::string_view b) {
  if (b.size() >= 8 && std::memcmp(b.data(), "Mp060697", 8) == 0) return PictureKind::Packaged;
  switch (SniffImageFormat(Data(b), b.size())) {
    case ImageFormat::Jpeg: return PictureKind::Jpeg;
    case ImageFormat::Bmp: return PictureKind::Bmp;
    case ImageFormat::Gif: return PictureKind::Gif;
    case ImageFormat::Png: return PictureKind::Png;
    case ImageFormat::Webp: return PictureKind::Webp;
    case ImageFormat::Tiff: return PictureKind::Tiff;
    case ImageFormat::Heif: return PictureKind::Heif;
    case ImageFormat::Jxl: return PictureKind::Jxl;
    case ImageFormat::Unknown: break;
  }
  return PictureKind::Unknown;
}

const char* KindName(PictureKind kind) {
  switch (kind) {
    case PictureKind::Jpeg: return "JPEG";
    case PictureKind::Bmp: return "BMP";
    case PictureKind::Gif: return "GIF";
    case PictureKind::Png: return "PNG";
    case PictureKind::Webp: return "WebP";
    case PictureKind::Tiff: return "TIFF";
    case PictureKind::Heif: return "HEIF";
    case PictureKind::Jxl: return "JPEG XL";
    case PictureKind::Packaged: return "packaged picture";
    case PictureKind::Unknown: break;
  }
  return "unknown";
}

bool PlayerReads(PictureKind kind) { return !PlayerExtension(kind).empty(); }

std::string PlayerExtension(PictureKind kind) {
  switch (kind) {
    case PictureKind::Jpeg: return ".jpg";
    case PictureKind::Bmp: return ".bmp";
    case PictureKind::Gif: return ".gif";
    case PictureKind::Packaged: return ".mpp";
    default: return {};
  }
}

CheckedPicture CheckPicture(std::string_view bytes) {
  CheckedPicture out;
  out.kind = out.storedKind = SniffPicture(bytes);
  try {
    switch (out.kind) {
      case PictureKind::Jpeg: CheckJpegPhoto(bytes, out); break;
      case PictureKind::Bmp:
      case PictureKind::Gif: {
        const Bitmap32 b = DecodeImage(Data(bytes), bytes.size());
        out.width = b.width();
        out.height = b.height();
        break;
      }
      case PictureKind::Packaged: CheckPackagedPicture(bytes, out); break;
      case PictureKind::Unknown: throw PictureError("not a picture (unknown format)");
      default: Convert(bytes, out); break;
    }
    return out;
  } catch (const PictureError&) {
    throw;
  } catch (const MissingLibraryError& e) {
    throw PictureError(e.what());  // not damage: the machine lacks the format's library
  } catch (const std::exception& e) {
    throw PictureError(std::string("damaged ") + KindName(out.kind) + " (" + e.what() + ")");
  }
}

CheckedPicture DescribePicture(std::string_view bytes) {
  const PictureKind kind = SniffPicture(bytes);
  if (kind == PictureKind::Jpeg) {
    CheckedPicture out;
    out.kind = out.storedKind = kind;
    try {
      const Size2D size = ReadJpegSize(Data(bytes), bytes.size());
      out.width = size.width;
      out.height = size.height;
    } catch (const ImageDecodeError& e) {
      throw PictureError(std::string("damaged JPEG (") + e.what() + ")");
    }
    return out;
  }
  CheckedPicture out = CheckPicture(bytes);
  // Listing reports the picture as it is stored, not what packing would make of it.
  out.changed = false;
  out.replacement.clear();
  out.storedKind = out.kind;
  out.change.clear();
  return out;
}

}  // namespace tp::pack
