#include "tidepool-pack/UprightPhoto.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "imaging/ImageWriter.h"
#include "imaging/JpegTransform.h"
#include "imaging/TurnUpright.h"
#include "imaging/import/ImageLoader.h"
#include "tidepool-pack/PictureCheck.h"

namespace tp::pack {
namespace {

struct ExifDeleter {
  void operator()(ExifData* ed) const { exif_data_unref(ed); }
};

// The original's EXIF data without its orientation entry, as an APP1 segment; "" when
// it has none or it does not fit one segment.
std::string ExifSegmentWithoutOrientation(std::string_view original) {
  std::unique_ptr<ExifData, ExifDeleter> ed(exif_data_new_from_data(
      reinterpret_cast<const unsigned char*>(original.data()), unsigned(std::min<size_t>(original.size(), 0xFFFFFFFFu))));
  if (!ed) return {};
  bool any = false;
  for (int i = 0; i < EXIF_IFD_COUNT; ++i) any = any || (ed->ifd[i] && ed->ifd[i]->count > 0);
  if (!any) return {};
  while (ExifEntry* e = exif_data_get_entry(ed.get(), EXIF_TAG_ORIENTATION)) exif_content_remove_entry(e->parent, e);
  unsigned char* data = nullptr;
  unsigned int size = 0;
  exif_data_save_data(ed.get(), &data, &size);
  std::string segment;
  if (data && size > 0 && size + 2 <= 0xFFFF) {
    const unsigned length = size + 2;
    segment = std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF);
    segment.append(reinterpret_cast<const char*>(data), size);
  }
  std::free(data);
  return segment;
}

// The upright pixels encoded at quality, with the original's EXIF data minus the
// orientation entry put after SOI and the JFIF segment the encoder writes first.
std::string EncodeUpright(const Bitmap32& upright, int quality, std::string_view original) {
  const std::vector<uint8_t> encoded = EncodeJpeg(upright, quality);
  std::string out(reinterpret_cast<const char*>(encoded.data()), encoded.size());
  const std::string exif = ExifSegmentWithoutOrientation(original);
  if (exif.empty()) return out;
  size_t at = 2;
  if (out.size() > 6 && uint8_t(out[2]) == 0xFF && uint8_t(out[3]) == 0xE0)
    at = 4 + ((size_t(uint8_t(out[4])) << 8) | uint8_t(out[5]));
  out.insert(std::min(at, out.size()), exif);
  return out;
}

const uint8_t* Data(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

}  // namespace

UprightPhoto TurnPhotoUpright(std::string_view jpeg, int orientation) {
  UprightPhoto photo;
  try {
    // Without loss: the blocks are moved, not decoded. The check first, as the transform
    // would carry damage over instead of refusing it.
    CheckJpeg(Data(jpeg), jpeg.size());
    if (auto turned = TurnJpegLosslessly(jpeg, orientation)) {
      photo.turned = photo.lossless = true;
      photo.bytes = std::move(*turned);
      return photo;
    }
    const Size2D size = ReadJpegSize(Data(jpeg), jpeg.size());
    if (static_cast<long long>(size.width) * size.height > kMaxJpegOutputPixels) return photo;
    DecodeRequest strict;
    strict.strict = true;
    const Bitmap32 pixels = DecodeJpeg(Data(jpeg), jpeg.size(), strict);
    photo.quality = EstimateJpegQuality(Data(jpeg), jpeg.size());
    photo.bytes = EncodeUpright(TurnUpright(pixels, orientation), photo.quality, jpeg);
    photo.turned = true;
    return photo;
  } catch (const ImageDecodeError& e) {
    throw PictureError(std::string("damaged JPEG (") + e.what() + ")");
  }
}

}  // namespace tp::pack
