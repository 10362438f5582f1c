// Deciding what to store for each picture of a saver; the JPEG work is in JpegCheck.cpp,
// the formats the player does not read in OtherFormats.cpp.
#include "tidepool-pack/PictureCheck.h"

#include <cstring>

#include "imaging/ImageLoader.h"
#include "imaging/ImageWriter.h"
#include "project/PackagedPicture.h"
#include "tidepool-pack/OtherFormats.h"

namespace tp::pack {
namespace {

constexpr int kConvertedJpegQuality = 92;

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() && std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

bool IsHeifBrand(std::string_view brand) {
  for (const char* b : {"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs", "mif1", "msf1", "avif"})
    if (brand == b) return true;
  return false;
}

bool HasTransparency(const Bitmap32& bmp) {
  const Pixel* p = bmp.data();
  for (size_t i = 0, n = bmp.pixelCount(); i < n; ++i)
    if (PixelA(p[i]) != 255) return true;
  return false;
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(reinterpret_cast<const char*>(v.data()), v.size()); }

const uint8_t* Data(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Decodes a picture the player does not read; the caller converts it.
Bitmap32 DecodeOther(PictureKind kind, std::string_view bytes) {
  switch (kind) {
    case PictureKind::Png: return DecodePng(Data(bytes), bytes.size());
    case PictureKind::Webp: return DecodeWebp(bytes);
    case PictureKind::Tiff: return DecodeTiff(bytes);
    case PictureKind::Heif: return DecodeHeif(bytes);
    default: throw PictureError("not a picture the tool reads");
  }
}

void Orientation(const JpegFacts& facts, CheckedPicture& out) {
  const bool turned = facts.orientation >= 5;
  out.width = turned ? facts.height : facts.width;
  out.height = turned ? facts.width : facts.height;
}

}  // namespace

PictureKind SniffPicture(std::string_view b) {
  if (StartsWith(b, "\xFF\xD8\xFF")) return PictureKind::Jpeg;
  if (StartsWith(b, "BM")) return PictureKind::Bmp;
  if (StartsWith(b, "GIF8")) return PictureKind::Gif;
  if (StartsWith(b, "\x89PNG")) return PictureKind::Png;
  if (StartsWith(b, "RIFF") && b.size() >= 12 && b.substr(8, 4) == "WEBP") return PictureKind::Webp;
  if (StartsWith(b, std::string_view("II*\0", 4)) || StartsWith(b, std::string_view("MM\0*", 4))) return PictureKind::Tiff;
  if (b.size() >= 12 && b.substr(4, 4) == "ftyp" && IsHeifBrand(b.substr(8, 4))) return PictureKind::Heif;
  if (StartsWith(b, "Mp060697")) return PictureKind::Packaged;
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

Bitmap32 TurnUpright(const Bitmap32& src, int orientation) {
  const int w = src.width(), h = src.height();
  if (orientation < 2 || orientation > 8) return src;
  const bool swap = orientation >= 5;
  Bitmap32 out;
  out.SetSizeUninitialized(swap ? h : w, swap ? w : h);
  for (int y = 0; y < out.height(); ++y) {
    Pixel* row = out.scanline(y);
    for (int x = 0; x < out.width(); ++x) {
      int sx = x, sy = y;
      switch (orientation) {
        case 2: sx = w - 1 - x; break;                   // mirrored left to right
        case 3: sx = w - 1 - x; sy = h - 1 - y; break;   // upside down
        case 4: sy = h - 1 - y; break;                   // mirrored top to bottom
        case 5: sx = y; sy = x; break;                   // transposed
        case 6: sx = y; sy = h - 1 - x; break;           // needs a quarter turn clockwise
        case 7: sx = w - 1 - y; sy = h - 1 - x; break;   // transversed
        case 8: sx = w - 1 - y; sy = x; break;           // needs a quarter turn anticlockwise
      }
      row[x] = src.at(sx, sy);
    }
  }
  return out;
}

std::string EncodeBmpWithAlpha(const Bitmap32& bmp) {
  const uint32_t w = uint32_t(bmp.width()), h = uint32_t(bmp.height());
  const uint32_t headerSize = 108, offset = 14 + headerSize, imageSize = w * h * 4;
  std::string out;
  out.reserve(offset + imageSize);
  auto u16 = [&](uint32_t v) { out += char(v & 0xFF); out += char((v >> 8) & 0xFF); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
  out += "BM";
  u32(offset + imageSize); u32(0); u32(offset);
  u32(headerSize); u32(w); u32(h); u16(1); u16(32);
  u32(3);  // bit fields
  u32(imageSize); u32(2835); u32(2835); u32(0); u32(0);
  u32(0x00FF0000); u32(0x0000FF00); u32(0x000000FF); u32(0xFF000000);
  u32(0x73524742);  // "sRGB"
  out.append(36 + 12, '\0');  // end points and gamma, unused with sRGB
  for (int y = int(h) - 1; y >= 0; --y)
    for (uint32_t x = 0; x < w; ++x) u32(bmp.at(int(x), y));
  return out;
}

CheckedPicture CheckPicture(std::string_view bytes) {
  CheckedPicture out;
  out.kind = out.storedKind = SniffPicture(bytes);
  try {
    switch (out.kind) {
      case PictureKind::Jpeg: {
        Bitmap32 pixels;
        const JpegFacts facts = DecodeJpegUnlessUpright(bytes, &pixels);
        if (facts.tooLargeToTurn) {
          out.width = facts.width;
          out.height = facts.height;
          out.note = "too large to turn upright (EXIF orientation " + std::to_string(facts.orientation) +
                     "); stored as it is";
          return out;
        }
        Orientation(facts, out);
        if (facts.orientation == 1) return out;
        out.replacement = EncodeUprightJpeg(TurnUpright(pixels, facts.orientation), facts.quality, bytes);
        out.changed = true;
        out.change = "turned upright (EXIF orientation " + std::to_string(facts.orientation) + "), quality " +
                     std::to_string(facts.quality);
        return out;
      }
      case PictureKind::Bmp:
      case PictureKind::Gif: {
        const Bitmap32 b = out.kind == PictureKind::Bmp ? DecodeBmp(Data(bytes), bytes.size())
                                                        : DecodeGifFirstFrame(Data(bytes), bytes.size());
        out.width = b.width();
        out.height = b.height();
        return out;
      }
      case PictureKind::Packaged: {
        TProject p;
        if (!p.LoadPackagedPictureFrom(Data(bytes), bytes.size()) || p.picture.empty())
          throw PictureError("damaged packaged picture");
        out.width = p.pictureWidth;
        out.height = p.pictureHeight;
        for (const TSoundSlot& s : p.soundSlots)
          if (!s.empty()) out.sounds.push_back(s.FileName);
        if (!p.singleSound.empty()) out.sounds.push_back(p.singleSound);
        return out;
      }
      case PictureKind::Unknown: throw PictureError("not a picture (unknown format)");
      default: break;
    }
    const Bitmap32 b = DecodeOther(out.kind, bytes);
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
    return out;
  } catch (const PictureError&) {
    throw;
  } catch (const std::exception& e) {
    throw PictureError(std::string("damaged ") + KindName(out.kind) + " (" + e.what() + ")");
  }
}

CheckedPicture DescribePicture(std::string_view bytes) {
  const PictureKind kind = SniffPicture(bytes);
  if (kind == PictureKind::Jpeg) {
    CheckedPicture out;
    out.kind = out.storedKind = kind;
    const JpegFacts facts = ReadJpegFacts(bytes);
    out.width = facts.width;
    out.height = facts.height;
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
