#pragma once
// The WebP, TIFF, HEIF and JPEG XL libraries, opened when the first picture of their
// format is decoded rather than when a program starts: together with what they pull in
// (video codecs for HEIF) they would add several milliseconds to every run, and a machine
// without them still plays everything else. Each loader returns nullptr when its library is missing from the
// machine or from this build; the first call opens the library, once per process.
#ifdef TIDEPOOL_WEBP
#include <webp/decode.h>
#endif
#ifdef TIDEPOOL_TIFF
#include <tiffio.h>
#endif
#ifdef TIDEPOOL_HEIF
#include <libheif/heif.h>
#endif
#ifdef TIDEPOOL_JXL
#include <jxl/decode.h>
#endif
#ifdef TIDEPOOL_JXLTHREADS
#include <jxl/thread_parallel_runner.h>
#endif

#include <cstdint>

namespace tp {

#ifdef TIDEPOOL_WEBP
struct WebpLibrary {
  decltype(&WebPGetFeaturesInternal) GetFeaturesInternal = nullptr;
  decltype(&WebPDecodeRGBA) DecodeRGBA = nullptr;
  decltype(&WebPFree) Free = nullptr;
  decltype(&WebPINewRGB) INewRGB = nullptr;
  decltype(&WebPIAppend) IAppend = nullptr;
  decltype(&WebPIDelete) IDelete = nullptr;
};
const WebpLibrary* LoadWebp();
#endif

#ifdef TIDEPOOL_TIFF
struct TiffLibrary {
  decltype(&TIFFSetErrorHandler) SetErrorHandler = nullptr;
  decltype(&TIFFSetWarningHandler) SetWarningHandler = nullptr;
  decltype(&TIFFClientOpen) ClientOpen = nullptr;
  decltype(&TIFFGetField) GetField = nullptr;
  decltype(&TIFFReadRGBAImageOriented) ReadRGBAImageOriented = nullptr;
  decltype(&TIFFClose) Close = nullptr;
  decltype(&TIFFGetFieldDefaulted) GetFieldDefaulted = nullptr;
  decltype(&TIFFOpenOptionsAlloc) OpenOptionsAlloc = nullptr;
  decltype(&TIFFOpenOptionsFree) OpenOptionsFree = nullptr;
  decltype(&TIFFOpenOptionsSetMaxSingleMemAlloc) OpenOptionsSetMaxSingleMemAlloc = nullptr;
  decltype(&TIFFClientOpenExt) ClientOpenExt = nullptr;
  decltype(&TIFFIsTiled) IsTiled = nullptr;
  decltype(&TIFFStripSize64) StripSize64 = nullptr;
  decltype(&TIFFTileSize64) TileSize64 = nullptr;
  decltype(&TIFFNumberOfStrips) NumberOfStrips = nullptr;
  decltype(&TIFFReadEncodedStrip) ReadEncodedStrip = nullptr;
};
const TiffLibrary* LoadTiff();
// A TIFF read from memory (the bytes must outlive the handle), with the library's
// messages silenced and no single allocation of the library over kMaxTiffAllocation (a
// strip or tile that declares more is refused); nullptr when it does not open.
constexpr long kMaxTiffAllocation = 256L * 1024 * 1024;
struct TiffMemoryFile {
  const uint8_t* data = nullptr;
  uint64_t size = 0;
  uint64_t pos = 0;
};
TIFF* OpenTiffInMemory(const TiffLibrary* tiff, TiffMemoryFile& file);
#endif

#ifdef TIDEPOOL_HEIF
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
  decltype(&heif_image_handle_get_raw_color_profile_size) image_handle_get_raw_color_profile_size = nullptr;
  decltype(&heif_image_handle_get_raw_color_profile) image_handle_get_raw_color_profile = nullptr;
  decltype(&heif_image_handle_get_color_profile_type) image_handle_get_color_profile_type = nullptr;
  decltype(&heif_image_handle_get_nclx_color_profile) image_handle_get_nclx_color_profile = nullptr;
  decltype(&heif_nclx_color_profile_free) nclx_color_profile_free = nullptr;
};
const HeifLibrary* LoadHeif();
#endif

#ifdef TIDEPOOL_JXL
struct JxlLibrary {
  decltype(&JxlDecoderCreate) DecoderCreate = nullptr;
  decltype(&JxlDecoderDestroy) DecoderDestroy = nullptr;
  decltype(&JxlDecoderSubscribeEvents) DecoderSubscribeEvents = nullptr;
  decltype(&JxlDecoderSetInput) DecoderSetInput = nullptr;
  decltype(&JxlDecoderCloseInput) DecoderCloseInput = nullptr;
  decltype(&JxlDecoderProcessInput) DecoderProcessInput = nullptr;
  decltype(&JxlDecoderGetBasicInfo) DecoderGetBasicInfo = nullptr;
  decltype(&JxlDecoderImageOutBufferSize) DecoderImageOutBufferSize = nullptr;
  decltype(&JxlDecoderSetImageOutBuffer) DecoderSetImageOutBuffer = nullptr;
  decltype(&JxlDecoderGetICCProfileSize) DecoderGetICCProfileSize = nullptr;
  decltype(&JxlDecoderGetColorAsICCProfile) DecoderGetColorAsICCProfile = nullptr;
  decltype(&JxlDecoderSetParallelRunner) DecoderSetParallelRunner = nullptr;
};
const JxlLibrary* LoadJxl();
#endif

#ifdef TIDEPOOL_JXLTHREADS
// libjxl's thread pool, which spreads a picture's groups over the cores; without it JPEG XL
// pictures are decoded on the calling thread.
struct JxlThreadsLibrary {
  decltype(&JxlThreadParallelRunner) Runner = nullptr;
  decltype(&JxlThreadParallelRunnerCreate) Create = nullptr;
  decltype(&JxlThreadParallelRunnerDestroy) Destroy = nullptr;
  decltype(&JxlThreadParallelRunnerDefaultNumWorkerThreads) DefaultNumWorkerThreads = nullptr;
};
const JxlThreadsLibrary* LoadJxlThreads();
#endif

}  // namespace tp
