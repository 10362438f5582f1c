#pragma once
// EXIF data of a picture (through libexif): the orientation a camera recorded and the
// date the photo was taken.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tp {

struct ExifFacts {
  int orientation = 1;    // 1-8; 1 when absent or out of range
  std::string dateTaken;  // DateTimeOriginal ("YYYY:MM:DD HH:MM:SS"), else DateTime, else ""
};

// From an EXIF block: the TIFF structure, with or without the "Exif\0\0" header that
// JPEG's APP1 segment puts before it.
ExifFacts ReadExifBlock(const uint8_t* data, size_t size);

}  // namespace tp
