#pragma once
// The WebP, TIFF and HEIF libraries, opened when the first picture of their format is
// converted rather than when the tool starts: together with what they pull in (video
// codecs for HEIF) they would add several milliseconds to every run, also to listing
// and unpacking. Each loader returns nullptr when its library is missing from the
// machine or from this build; the first call opens the library, once per process.
#ifdef TIDEPOOL_PACK_WEBP
#include <webp/decode.h>
#endif
#ifdef TIDEPOOL_PACK_TIFF
#include <tiffio.h>
#endif
#ifdef TIDEPOOL_PACK_HEIF
#include <libheif/heif.h>
#endif

namespace tp::pack {

#ifdef TIDEPOOL_PACK_WEBP
struct WebpLibrary {
  decltype(&WebPGetFeaturesInternal) GetFeaturesInternal = nullptr;
  decltype(&WebPDecodeRGBA) DecodeRGBA = nullptr;
  decltype(&WebPFree) Free = nullptr;
};
const WebpLibrary* LoadWebp();
#endif

#ifdef TIDEPOOL_PACK_TIFF
struct TiffLibrary {
  decltype(&TIFFSetErrorHandler) SetErrorHandler = nullptr;
  decltype(&TIFFSetWarningHandler) SetWarningHandler = nullptr;
  decltype(&TIFFClientOpen) ClientOpen = nullptr;
  decltype(&TIFFGetField) GetField = nullptr;
  decltype(&TIFFReadRGBAImageOriented) ReadRGBAImageOriented = nullptr;
  decltype(&TIFFClose) Close = nullptr;
};
const TiffLibrary* LoadTiff();
#endif

#ifdef TIDEPOOL_PACK_HEIF
struct HeifLibrary {
  decltype(&heif_context_alloc) context_alloc = nullptr;
  decltype(&heif_context_free) context_free = nullptr;
  decltype(&heif_context_read_from_memory_without_copy) context_read_from_memory_without_copy = nullptr;
  decltype(&heif_context_get_primary_image_handle) context_get_primary_image_handle = nullptr;
  decltype(&heif_image_handle_get_width) image_handle_get_width = nullptr;
  decltype(&heif_image_handle_get_height) image_handle_get_height = nullptr;
  decltype(&heif_image_handle_has_alpha_channel) image_handle_has_alpha_channel = nullptr;
  decltype(&heif_image_handle_release) image_handle_release = nullptr;
  decltype(&heif_decode_image) decode_image = nullptr;
  decltype(&heif_image_get_plane_readonly) image_get_plane_readonly = nullptr;
  decltype(&heif_image_get_width) image_get_width = nullptr;
  decltype(&heif_image_get_height) image_get_height = nullptr;
  decltype(&heif_image_release) image_release = nullptr;
};
const HeifLibrary* LoadHeif();
#endif

}  // namespace tp::pack
