// JPEG XL through libjxl (opened on first use): 8-bit RGBA, turned as the picture's own
// orientation says (the library does it). The library's work is run by our own runner,
// which stops it when the decode is cancelled.
#include <string>

#include "imaging/import/ColourProfile.h"
#include "imaging/import/DecoderSupport.h"
#include "imaging/import/FormatLibraries.h"

namespace tp {

#ifdef TIDEPOOL_JXL
namespace {

// The library's parallel steps, run on libjxl's thread pool when it is installed (else
// one after the other here); once the decode is cancelled no more work is done and the
// step fails, which fails the decode.
struct Runner {
  const std::atomic<bool>* cancel = nullptr;
#ifdef TIDEPOOL_JXLTHREADS
  const JxlThreadsLibrary* threads = nullptr;
  void* pool = nullptr;
#endif
  bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};

struct Step {
  const Runner* runner;
  void* jxlOpaque;
  JxlParallelRunInit init;
  JxlParallelRunFunction func;
};

int StepInit(void* opaque, size_t threads) {
  auto* step = static_cast<Step*>(opaque);
  return step->init(step->jxlOpaque, threads);
}

void StepRun(void* opaque, uint32_t value, size_t thread) {
  auto* step = static_cast<Step*>(opaque);
  if (!step->runner->cancelled()) step->func(step->jxlOpaque, value, thread);
}

JxlParallelRetCode RunSteps(void* opaque, void* jxlOpaque, JxlParallelRunInit init, JxlParallelRunFunction func,
                            uint32_t start, uint32_t end) {
  const auto* runner = static_cast<const Runner*>(opaque);
  if (runner->cancelled()) return -1;
  Step step{runner, jxlOpaque, init, func};
#ifdef TIDEPOOL_JXLTHREADS
  if (runner->pool) {
    const JxlParallelRetCode ret = runner->threads->Runner(runner->pool, &step, StepInit, StepRun, start, end);
    return ret != 0 ? ret : runner->cancelled() ? -1 : 0;
  }
#endif
  const JxlParallelRetCode ready = StepInit(&step, 1);
  if (ready != 0) return ready;
  for (uint32_t i = start; i < end; ++i) StepRun(&step, i, 0);
  return runner->cancelled() ? -1 : 0;
}

}  // namespace
#endif

Bitmap32 DecodeJxl(const uint8_t* data, size_t size, const DecodeRequest& request) {
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
  Runner runner;
  runner.cancel = request.cancel;
#ifdef TIDEPOOL_JXLTHREADS
  struct Pool {
    Runner& r;
    ~Pool() {
      if (r.pool) r.threads->Destroy(r.pool);
    }
  } pool{runner};
  runner.threads = LoadJxlThreads();
  if (runner.threads) runner.pool = runner.threads->Create(nullptr, runner.threads->DefaultNumWorkerThreads());
#endif
  const int events = JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE | (request.toSrgb ? JXL_DEC_COLOR_ENCODING : 0);
  if (jxl->DecoderSubscribeEvents(d.dec, events) != JXL_DEC_SUCCESS ||
      jxl->DecoderSetParallelRunner(d.dec, RunSteps, &runner) != JXL_DEC_SUCCESS ||
      jxl->DecoderSetInput(d.dec, data, size) != JXL_DEC_SUCCESS)
    throw ImageDecodeError("Corrupt JPEG XL data");
  jxl->DecoderCloseInput(d.dec);
  const JxlPixelFormat format = {4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  Bitmap32 out;
  std::string icc;
  int w = 0, h = 0;
  bool done = false;
  while (!done) {
    const JxlDecoderStatus status = jxl->DecoderProcessInput(d.dec);
    CheckCancel(request);
    if (status == JXL_DEC_BASIC_INFO) {
      JxlBasicInfo info;
      if (jxl->DecoderGetBasicInfo(d.dec, &info) != JXL_DEC_SUCCESS) throw ImageDecodeError("Corrupt JPEG XL data");
      CheckDecodedSize(info.xsize, info.ysize, "JPEG XL");
      // Orientations 5-8 swap the sides in the output.
      const bool swap = info.orientation >= 5;
      w = int(swap ? info.ysize : info.xsize);
      h = int(swap ? info.xsize : info.ysize);
    } else if (status == JXL_DEC_COLOR_ENCODING) {
      // The space the samples come out in (for a picture coded in the library's own
      // space, the one it was made from).
      size_t iccSize = 0;
      if (jxl->DecoderGetICCProfileSize(d.dec, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &iccSize) == JXL_DEC_SUCCESS &&
          iccSize > 0 && iccSize <= SrgbConversion::kMaxProfileBytes) {
        icc.resize(iccSize);
        if (jxl->DecoderGetColorAsICCProfile(d.dec, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                             reinterpret_cast<uint8_t*>(icc.data()), icc.size()) != JXL_DEC_SUCCESS)
          icc.clear();
      }
    } else if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
      size_t bytes = 0;
      if (w <= 0 || jxl->DecoderImageOutBufferSize(d.dec, &format, &bytes) != JXL_DEC_SUCCESS ||
          bytes != size_t(w) * size_t(h) * 4)
        throw ImageDecodeError("Corrupt JPEG XL data");
      out.SetSizeUninitialized(w, h);
      if (jxl->DecoderSetImageOutBuffer(d.dec, &format, out.data(), bytes) != JXL_DEC_SUCCESS)
        throw ImageDecodeError("Corrupt JPEG XL data");
    } else if (status == JXL_DEC_FULL_IMAGE || status == JXL_DEC_SUCCESS) {
      // The first frame is all that is shown.
      done = true;
    } else {
      throw ImageDecodeError(status == JXL_DEC_NEED_MORE_INPUT ? "JPEG XL data cut short" : "Corrupt JPEG XL data");
    }
  }
  if (out.empty()) throw ImageDecodeError("Corrupt JPEG XL data");
  // R, G, B, A in memory to B, G, R, A.
  Pixel* p = out.data();
  for (size_t i = 0, n = out.pixelCount(); i < n; ++i) {
    const Pixel v = p[i];
    p[i] = (v & 0xFF00FF00u) | ((v & 0xFFu) << 16) | ((v >> 16) & 0xFFu);
  }
  if (request.toSrgb) ConvertToSrgb(out, icc);
  return out;
#else
  (void)data;
  (void)size;
  (void)request;
  throw MissingLibrary("JPEG XL", "libjxl");
#endif
}

}  // namespace tp
