// What a picture's header says (size, EXIF orientation and date, colour profile), for
// any input: facts within their ranges, or ImageDecodeError.
#include <cstddef>
#include <cstdint>

#include "imaging/import/ImageLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const tp::PictureFacts f = tp::ReadPictureFacts(data, size);
    if (f.orientation < 1 || f.orientation > 8) __builtin_trap();
    if (f.iccProfile.size() > (4u << 20) || f.dateTaken.size() > size) __builtin_trap();
  } catch (const tp::ImageDecodeError&) {
  }
  return 0;
}
