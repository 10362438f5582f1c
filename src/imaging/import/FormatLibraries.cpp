#include "imaging/import/FormatLibraries.h"

#include <dlfcn.h>

#include "core/SharedLibrary.h"

namespace tp {
namespace {

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
    return BindSymbol(so, "WebPGetFeaturesInternal", lib.GetFeaturesInternal) && BindSymbol(so, "WebPDecodeRGBA", lib.DecodeRGBA) &&
           BindSymbol(so, "WebPFree", lib.Free) && BindSymbol(so, "WebPINewRGB", lib.INewRGB) &&
           BindSymbol(so, "WebPIAppend", lib.IAppend) && BindSymbol(so, "WebPIDelete", lib.IDelete);
  });
}
#endif

#ifdef TIDEPOOL_TIFF
const TiffLibrary* LoadTiff() {
  return LoadOnce<TiffLibrary>(TIDEPOOL_TIFF_SONAME, [](void* so, TiffLibrary& lib) {
    return BindSymbol(so, "TIFFSetErrorHandler", lib.SetErrorHandler) &&
           BindSymbol(so, "TIFFSetWarningHandler", lib.SetWarningHandler) && BindSymbol(so, "TIFFClientOpen", lib.ClientOpen) &&
           BindSymbol(so, "TIFFGetField", lib.GetField) &&
           BindSymbol(so, "TIFFReadRGBAImageOriented", lib.ReadRGBAImageOriented) && BindSymbol(so, "TIFFClose", lib.Close) &&
           BindSymbol(so, "TIFFGetFieldDefaulted", lib.GetFieldDefaulted) &&
           BindSymbol(so, "TIFFOpenOptionsAlloc", lib.OpenOptionsAlloc) && BindSymbol(so, "TIFFOpenOptionsFree", lib.OpenOptionsFree) &&
           BindSymbol(so, "TIFFOpenOptionsSetMaxSingleMemAlloc", lib.OpenOptionsSetMaxSingleMemAlloc) &&
           BindSymbol(so, "TIFFClientOpenExt", lib.ClientOpenExt) && BindSymbol(so, "TIFFIsTiled", lib.IsTiled) &&
           BindSymbol(so, "TIFFStripSize64", lib.StripSize64) && BindSymbol(so, "TIFFTileSize64", lib.TileSize64) &&
           BindSymbol(so, "TIFFNumberOfStrips", lib.NumberOfStrips) &&
           BindSymbol(so, "TIFFReadEncodedStrip", lib.ReadEncodedStrip);
  });
}
#endif

#ifdef TIDEPOOL_HEIF
const HeifLibrary* LoadHeif() {
  return LoadOnce<HeifLibrary>(TIDEPOOL_HEIF_SONAME, [](void* so, HeifLibrary& lib) {
    return BindSymbol(so, "heif_context_alloc", lib.context_alloc) && BindSymbol(so, "heif_context_free", lib.context_free) &&
           BindSymbol(so, "heif_context_read_from_memory_without_copy", lib.context_read_from_memory_without_copy) &&
           BindSymbol(so, "heif_context_get_primary_image_handle", lib.context_get_primary_image_handle) &&
           BindSymbol(so, "heif_image_handle_get_width", lib.image_handle_get_width) &&
           BindSymbol(so, "heif_image_handle_get_height", lib.image_handle_get_height) &&
           BindSymbol(so, "heif_image_handle_has_alpha_channel", lib.image_handle_has_alpha_channel) &&
           BindSymbol(so, "heif_image_handle_release", lib.image_handle_release) &&
           BindSymbol(so, "heif_decode_image", lib.decode_image) &&
           BindSymbol(so, "heif_image_get_plane_readonly", lib.image_get_plane_readonly) &&
           BindSymbol(so, "heif_image_get_width", lib.image_get_width) && BindSymbol(so, "heif_image_get_height", lib.image_get_height) &&
           BindSymbol(so, "heif_image_release", lib.image_release) &&
           BindSymbol(so, "heif_image_handle_get_raw_color_profile_size", lib.image_handle_get_raw_color_profile_size) &&
           BindSymbol(so, "heif_image_handle_get_raw_color_profile", lib.image_handle_get_raw_color_profile) &&
           BindSymbol(so, "heif_image_handle_get_color_profile_type", lib.image_handle_get_color_profile_type) &&
           BindSymbol(so, "heif_image_handle_get_nclx_color_profile", lib.image_handle_get_nclx_color_profile) &&
           BindSymbol(so, "heif_nclx_color_profile_free", lib.nclx_color_profile_free);
  });
}
#endif

#ifdef TIDEPOOL_JXL
const JxlLibrary* LoadJxl() {
  return LoadOnce<JxlLibrary>(TIDEPOOL_JXL_SONAME, [](void* so, JxlLibrary& lib) {
    return BindSymbol(so, "JxlDecoderCreate", lib.DecoderCreate) && BindSymbol(so, "JxlDecoderDestroy", lib.DecoderDestroy) &&
           BindSymbol(so, "JxlDecoderSubscribeEvents", lib.DecoderSubscribeEvents) &&
           BindSymbol(so, "JxlDecoderSetInput", lib.DecoderSetInput) && BindSymbol(so, "JxlDecoderCloseInput", lib.DecoderCloseInput) &&
           BindSymbol(so, "JxlDecoderProcessInput", lib.DecoderProcessInput) &&
           BindSymbol(so, "JxlDecoderGetBasicInfo", lib.DecoderGetBasicInfo) &&
           BindSymbol(so, "JxlDecoderImageOutBufferSize", lib.DecoderImageOutBufferSize) &&
           BindSymbol(so, "JxlDecoderSetImageOutBuffer", lib.DecoderSetImageOutBuffer) &&
           BindSymbol(so, "JxlDecoderGetICCProfileSize", lib.DecoderGetICCProfileSize) &&
           BindSymbol(so, "JxlDecoderGetColorAsICCProfile", lib.DecoderGetColorAsICCProfile) &&
           BindSymbol(so, "JxlDecoderSetParallelRunner", lib.DecoderSetParallelRunner);
  });
}
#endif

#ifdef TIDEPOOL_JXLTHREADS
const JxlThreadsLibrary* LoadJxlThreads() {
  return LoadOnce<JxlThreadsLibrary>(TIDEPOOL_JXLTHREADS_SONAME, [](void* so, JxlThreadsLibrary& lib) {
    return BindSymbol(so, "JxlThreadParallelRunner", lib.Runner) && BindSymbol(so, "JxlThreadParallelRunnerCreate", lib.Create) &&
           BindSymbol(so, "JxlThreadParallelRunnerDestroy", lib.Destroy) &&
           BindSymbol(so, "JxlThreadParallelRunnerDefaultNumWorkerThreads", lib.DefaultNumWorkerThreads);
  });
}
#endif

}  // namespace tp
