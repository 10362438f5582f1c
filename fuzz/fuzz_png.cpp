// The PNG decoder: any input either decodes to a picture within the pixel bound or
// throws ImageDecodeError.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Decoded as shown, so that the colour conversion sees whatever the container holds.
  return tp::fuzz::DecodeOrRefuse(
      [](const uint8_t* d, size_t n) {
        tp::DecodeRequest request;
        request.toSrgb = true;
        return tp::DecodePng(d, n, request);
      },
      data, size);
}
