// --frames N --mpp FILE: N frames of a packaged picture as the animation engine draws
// them (water, objects, snow or rain), as PNG files, plus a strip of them side by side to
// look at the motion in one picture.
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "animation/AnimEngine.h"
#include "animation/AnimObjects.h"
#include "core/IntMath.h"
#include "imaging/ImageWriter.h"
#include "imaging/Resample.h"
#include "platform/headless/HeadlessClock.h"
#include "project/PackagedPicture.h"
#include "saver/PackagedPictureSteps.h"
#include "tidepool-render/RenderCommand.h"
#include "tidepool-render/RenderPictures.h"

namespace tp::render {
namespace {

int ParseCount(const std::string& text, const char* what, int lo, int hi) {
  size_t used = 0;
  int v = 0;
  try {
    v = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || v < lo || v > hi)
    throw std::invalid_argument(std::string(what) + " must be a whole number from " + std::to_string(lo) +
                                " to " + std::to_string(hi) + ": " + text);
  return v;
}

int RunFrames(const std::vector<std::string>& args) {
  try {
    const int count = ParseCount(OptionValue(args, "--frames"), "--frames", 1, 10000);
    const std::string mpp = OptionValue(args, "--mpp");
    const std::string outDir = OptionValue(args, "--out", "frames");
    const int interval = ParseCount(OptionValue(args, "--interval", "40"), "--interval", 1, 10000);
    const int every = ParseCount(OptionValue(args, "--strip-every", "1"), "--strip-every", 1, 10000);
    if (mpp.empty()) throw std::invalid_argument("--frames needs --mpp FILE");

    HeadlessClock clock(false);
    TAnimEngine engine(&clock);  // also makes the loader build the objects
    TProject project;
    if (!project.LoadPackagedPicture(mpp)) {
      std::fprintf(stderr, "tidepool-render: %s is not a packaged picture that can be read\n", mpp.c_str());
      return 1;
    }
    if (HasOption(args, "--size")) {
      const FrameSize size = ParseFrameSize(OptionValue(args, "--size"));
      TAnimEngine::ResizeProject(true, project, size.width, size.height);
    }
    // Object pictures beside the packaged picture, as the player finds them in the
    // extraction folder.
    PointMissingObjectFilesInto(project, std::filesystem::absolute(mpp).parent_path().string());
    engine.SetProject(project);
    engine.SetWeather(false);
    engine.Start();
    engine.SetWeather(project.weather.WeatherKind != kWeatherNone);

    std::filesystem::create_directories(outDir);
    const int w = project.picture.width(), h = project.picture.height();
    const int stripFrames = (count + every - 1) / every;
    const int thumbW = std::max(1, std::min(w, 240)), thumbH = std::max(1, int(int64_t(h) * thumbW / std::max(w, 1)));
    Bitmap32 strip(thumbW * std::min(stripFrames, 8), thumbH * ((stripFrames + 7) / 8));
    strip.Fill(MakePixel(32, 32, 32, 255));
    for (int i = 0; i < count; ++i) {
      clock.Advance(uint32_t(interval));
      engine.RenderFrame();
      const Bitmap32& frame = engine.GetFrame();
      char name[32];
      std::snprintf(name, sizeof name, "frame-%04d.png", i);
      WritePngFile(frame, (std::filesystem::path(outDir) / name).string());
      if (i % every == 0) {
        const int k = i / every;
        Bitmap32 thumb(thumbW, thumbH);
        StretchSmooth(frame, thumb);
        const int x0 = (k % 8) * thumbW, y0 = (k / 8) * thumbH;
        for (int y = 0; y < thumbH; ++y)
          for (int x = 0; x < thumbW; ++x) strip.at(x0 + x, y0 + y) = thumb.at(x, y);
      }
    }
    WritePngFile(strip, (std::filesystem::path(outDir) / "strip.png").string());
    engine.SetWeather(false);
    if (project.animObjects) project.animObjects->StopAll();
    std::printf("%s: %d frames of %dx%d every %d ms, strip.png\n", outDir.c_str(), count, w, h, interval);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tidepool-render: %s\n", e.what());
    return 2;
  }
}

const RenderCommandRegistrar kFrames(
    "--frames",
    "--frames N --mpp FILE [--size WxH] [--interval MS] [--strip-every K] [--out DIR]\n"
    "      N engine frames of a packaged picture (MS apart, default 40) as DIR/frame-NNNN.png\n"
    "      and DIR/strip.png with every K-th frame side by side",
    RunFrames);

}  // namespace
}  // namespace tp::render
