#include "imaging/import/Exif.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace tp {
namespace {

struct ExifDeleter {
  void operator()(ExifData* ed) const { exif_data_unref(ed); }
};

std::string AsciiEntry(ExifData* ed, ExifIfd ifd, ExifTag tag) {
  ExifEntry* e = exif_content_get_entry(ed->ifd[ifd], tag);
  if (!e || e->format != EXIF_FORMAT_ASCII || !e->data || e->size == 0) return {};
  const char* text = reinterpret_cast<const char*>(e->data);
  return std::string(text, strnlen(text, e->size));
}

}  // namespace

ExifFacts ReadExifBlock(const uint8_t* data, size_t size) {
  ExifFacts facts;
  if (!data || size < 8 || size > 0xFFFFFFFFu) return facts;
  // libexif reads a block that starts with the "Exif\0\0" header; TIFF data alone gets one.
  std::string withHeader;
  if (std::memcmp(data, "Exif\0\0", 6) != 0) {
    withHeader.assign("Exif\0\0", 6);
    withHeader.append(reinterpret_cast<const char*>(data), size);
    data = reinterpret_cast<const uint8_t*>(withHeader.data());
    size = withHeader.size();
  }
  std::unique_ptr<ExifData, ExifDeleter> ed(exif_data_new());
  if (!ed) return facts;
  exif_data_unset_option(ed.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_load_data(ed.get(), data, unsigned(size));
  if (ExifEntry* e = exif_content_get_entry(ed->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION)) {
    if (e->format == EXIF_FORMAT_SHORT && e->components >= 1 && e->data && e->size >= 2) {
      const int o = exif_get_short(e->data, exif_data_get_byte_order(ed.get()));
      if (o >= 1 && o <= 8) facts.orientation = o;
    }
  }
  facts.dateTaken = AsciiEntry(ed.get(), EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL);
  if (facts.dateTaken.empty()) facts.dateTaken = AsciiEntry(ed.get(), EXIF_IFD_0, EXIF_TAG_DATE_TIME);
  return facts;
}

}  // namespace tp
