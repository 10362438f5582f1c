// --effect N: frames of one effect at chosen progress values, written as PNG.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/ProgramRandom.h"
#include "effects/EffectCatalogue.h"
#include "imaging/ImageWriter.h"
#include "tidepool-render/RenderCommand.h"
#include "tidepool-render/RenderPictures.h"

namespace tp::render {
namespace {

int RunEffect(const std::vector<std::string>& args) {
  const int effect = ParseEffectNumber(OptionValue(args, "--effect"));
  const std::vector<int> progress = ParseProgressList(OptionValue(args, "--progress", "50"));
  const FrameSize size = ParseFrameSize(OptionValue(args, "--size", "640x480"));
  const std::string out = OptionValue(args, "--out");
  if (out.empty()) throw std::invalid_argument("--out FRAME.png is required");
  const std::string seedText = OptionValue(args, "--seed", "1");
  ProgramRandom::SetSeed(uint32_t(std::stoul(seedText)));

  const Bitmap32 oldPicture = LoadPictureAt(OptionValue(args, "--old"), size, false);
  const Bitmap32 newPicture = LoadPictureAt(OptionValue(args, "--new"), size, true);
  const bool several = progress.size() > 1;
  for (int p : progress) {
    const std::string path = FramePathFor(out, p, several);
    WritePngFile(RenderEffectFrame(effect, oldPicture, newPicture, p), path);
    std::printf("%s: effect %d \"%s\" at %d%%\n", path.c_str(), effect, FindEffect(effect)->name, p);
  }
  return 0;
}

const RenderCommandRegistrar kEffect(
    "--effect",
    "--effect N [--progress P[,P...]] [--size WxH] [--old FILE] [--new FILE] [--seed S] --out FRAME.png",
    RunEffect);

}  // namespace
}  // namespace tp::render
