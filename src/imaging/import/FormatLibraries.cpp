#include "imaging/import/FormatLibraries.h"

#include <dlfcn.h>

namespace tp {
namespace {

template <typename F>
bool Bind(void* library, const char* name, F& function) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

// Kept open for the rest of the process. RTLD_LOCAL: the tool reaches the functions
// only through the pointers bound here.
void* Open(const char* soname) { return dlopen(soname, RTLD_NOW | RTLD_LOCAL); }

// The library's table, filled in by bindAll on the first call (one table per library);
// nullptr when the library or any of its functions is missing.
template <typename Library>
const Library* LoadOnce(const char* soname, bool (*bindAll)(void* so, Library& lib)) {
  static const Library* const loaded = [&]() -> const Library* {
    static Library lib;
    void* so = Open(soname);
    return so && bindAll(so, lib) ? &lib : nullptr;
  }();
  return loaded;
}

}  // namespace

#ifdef TIDEPOOL_WEBP
const WebpLibrary* LoadWebp() {
  return LoadOnce<WebpLibrary>(TIDEPOOL_WEBP_SONAME, [](void* so, WebpLibrary& lib) {
    return Bind(so, "WebPGetFeaturesInternal", lib.GetFeaturesInternal) && Bind(so, "WebPDecodeRGBA", lib.DecodeRGBA) &&
           Bind(so, "WebPFree", lib.Free);
  });
}
#endif

#ifdef TIDEPOOL_TIFF
const TiffLibrary* LoadTiff() {
  return LoadOnce<TiffLibrary>(TIDEPOOL_TIFF_SONAME, [](void* so, TiffLibrary& lib) {
    return Bind(so, "TIFFSetErrorHandler", lib.SetErrorHandler) &&
           Bind(so, "TIFFSetWarningHandler", lib.SetWarningHandler) && Bind(so, "TIFFClientOpen", lib.ClientOpen) &&
           Bind(so, "TIFFGetField", lib.GetField) &&
           Bind(so, "TIFFReadRGBAImageOriented", lib.ReadRGBAImageOriented) && Bind(so, "TIFFClose", lib.Close) &&
           Bind(so, "TIFFGetFieldDefaulted", lib.GetFieldDefaulted);
  });
}
#endif

#ifdef TIDEPOOL_HEIF
const HeifLibrary* LoadHeif() {
  return LoadOnce<HeifLibrary>(TIDEPOOL_HEIF_SONAME, [](void* so, HeifLibrary& lib) {
    return Bind(so, "heif_context_alloc", lib.context_alloc) && Bind(so, "heif_context_free", lib.context_free) &&
           Bind(so, "heif_context_read_from_memory_without_copy", lib.context_read_from_memory_without_copy) &&
           Bind(so, "heif_context_get_primary_image_handle", lib.context_get_primary_image_handle) &&
           Bind(so, "heif_image_handle_get_width", lib.image_handle_get_width) &&
           Bind(so, "heif_image_handle_get_height", lib.image_handle_get_height) &&
           Bind(so, "heif_image_handle_has_alpha_channel", lib.image_handle_has_alpha_channel) &&
           Bind(so, "heif_image_handle_release", lib.image_handle_release) &&
           Bind(so, "heif_decode_image", lib.decode_image) &&
           Bind(so, "heif_image_get_plane_readonly", lib.image_get_plane_readonly) &&
           Bind(so, "heif_image_get_width", lib.image_get_width) && Bind(so, "heif_image_get_height", lib.image_get_height) &&
           Bind(so, "heif_image_release", lib.image_release) &&
           Bind(so, "heif_image_handle_get_raw_color_profile_size", lib.image_handle_get_raw_color_profile_size) &&
           Bind(so, "heif_image_handle_get_raw_color_profile", lib.image_handle_get_raw_color_profile);
  });
}
#endif

#ifdef TIDEPOOL_JXL
const JxlLibrary* LoadJxl() {
  return LoadOnce<JxlLibrary>(TIDEPOOL_JXL_SONAME, [](void* so, JxlLibrary& lib) {
    return Bind(so, "JxlDecoderCreate", lib.DecoderCreate) && Bind(so, "JxlDecoderDestroy", lib.DecoderDestroy) &&
           Bind(so, "JxlDecoderSubscribeEvents", lib.DecoderSubscribeEvents) &&
           Bind(so, "JxlDecoderSetInput", lib.DecoderSetInput) && Bind(so, "JxlDecoderCloseInput", lib.DecoderCloseInput) &&
           Bind(so, "JxlDecoderProcessInput", lib.DecoderProcessInput) &&
           Bind(so, "JxlDecoderGetBasicInfo", lib.DecoderGetBasicInfo) &&
           Bind(so, "JxlDecoderImageOutBufferSize", lib.DecoderImageOutBufferSize) &&
           Bind(so, "JxlDecoderSetImageOutBuffer", lib.DecoderSetImageOutBuffer);
  });
}
#endif

}  // namespace tp
