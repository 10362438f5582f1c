// The WEBP decoder: any input either decodes to a picture within the pixel bound or
// throws ImageDecodeError.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tp::fuzz::DecodeOrRefuse(tp::DecodeWebp, data, size);
}
