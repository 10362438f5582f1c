// JPEG XL through libjxl (opened on first use): 8-bit RGBA, turned as the picture's own
// orientation says (the library does it).
#include <vector>

#include "imaging/import/DecoderSupport.h"
#include "imaging/import/FormatLibraries.h"

namespace tp {

Bitmap32 DecodeJxl(const uint8_t* data, size_t size) {
#ifdef TIDEPOOL_JXL
  const JxlLibrary* jxl = LoadJxl();
  if (!jxl) throw MissingLibrary("JPEG XL", TIDEPOOL_JXL_SONAME);
  struct Decoder {
    const JxlLibrary* lib;
    JxlDecoder* dec;
    ~Decoder() {
      if (dec) lib->DecoderDestroy(dec);
    }
  } d{jxl, jxl->DecoderCreate(nullptr)};
  if (!d.dec) throw ImageDecodeError("JPEG XL decoder unavailable");
  if (jxl->DecoderSubscribeEvents(d.dec, JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
      jxl->DecoderSetInput(d.dec, data, size) != JXL_DEC_SUCCESS)
    throw ImageDecodeError("Corrupt JPEG XL data");
  jxl->DecoderCloseInput(d.dec);
  const JxlPixelFormat format = {4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  std::vector<uint8_t> rgba;
  int w = 0, h = 0;
  for (;;) {
    const JxlDecoderStatus status = jxl->DecoderProcessInput(d.dec);
    if (status == JXL_DEC_BASIC_INFO) {
      JxlBasicInfo info;
      if (jxl->DecoderGetBasicInfo(d.dec, &info) != JXL_DEC_SUCCESS) throw ImageDecodeError("Corrupt JPEG XL data");
      CheckDecodedSize(info.xsize, info.ysize, "JPEG XL");
      // Orientations 5-8 swap the sides in the output.
      const bool swap = info.orientation >= 5;
      w = int(swap ? info.ysize : info.xsize);
      h = int(swap ? info.xsize : info.ysize);
    } else if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
      size_t bytes = 0;
      if (jxl->DecoderImageOutBufferSize(d.dec, &format, &bytes) != JXL_DEC_SUCCESS ||
          bytes != size_t(w) * size_t(h) * 4)
        throw ImageDecodeError("Corrupt JPEG XL data");
      rgba.resize(bytes);
      if (jxl->DecoderSetImageOutBuffer(d.dec, &format, rgba.data(), rgba.size()) != JXL_DEC_SUCCESS)
        throw ImageDecodeError("Corrupt JPEG XL data");
    } else if (status == JXL_DEC_FULL_IMAGE) {
      // The first frame is all that is shown.
      break;
    } else if (status == JXL_DEC_SUCCESS) {
      break;
    } else {
      throw ImageDecodeError(status == JXL_DEC_NEED_MORE_INPUT ? "JPEG XL data cut short" : "Corrupt JPEG XL data");
    }
  }
  if (rgba.empty()) throw ImageDecodeError("Corrupt JPEG XL data");
  return FromRgbRows(rgba.data(), w, h, size_t(w) * 4, 4);
#else
  (void)data;
  (void)size;
  throw MissingLibrary("JPEG XL", "libjxl");
#endif
}

}  // namespace tp
