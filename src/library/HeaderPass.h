#pragma once
// The header pass: what a picture file's first bytes say (pixel size once upright, EXIF
// orientation, date taken), read without decoding its pixels.
#include <cstdint>
#include <string>
#include <string_view>

namespace tp {

// Bytes read from the start of a file; a picture whose header says nothing within them
// gets one more read up to kHeaderMaxBytes (formats whose size sits after other boxes).
constexpr size_t kHeaderBytes = 64 * 1024;
constexpr size_t kHeaderMaxBytes = 1024 * 1024;

struct PictureHeader {
  bool ok = false;  // false: not a regular file, unreadable, or a header not understood
  int width = 0;    // upright: turned by the orientation
  int height = 0;
  int orientation = 1;
  int64_t taken = 0;  // seconds since the epoch; the fallback given when there is no EXIF date
};

// Reads the header of path (a regular file only, opened without blocking). fallbackTaken
// is used when the file has no readable date taken.
PictureHeader ReadPictureHeader(const std::string& path, int64_t fallbackTaken);

// "YYYY:MM:DD HH:MM:SS" read as local time; false when it is not a plausible date.
bool ParseExifDate(std::string_view text, int64_t& seconds);

}  // namespace tp
