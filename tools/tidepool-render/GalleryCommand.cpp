// --gallery DIR: every effect at 25, 50 and 75 % as PNG, and an index.html contact page
// listing each effect's number and name beside its frames.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
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

constexpr int kGalleryProgress[] = {25, 50, 75};

std::string FrameName(int effect, int progress) {
  char name[32];
  std::snprintf(name, sizeof name, "effect-%03d-%03d.png", effect, progress);
  return name;
}

std::string HtmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

void WriteIndex(const std::filesystem::path& dir, FrameSize size) {
  std::ofstream html(dir / "index.html");
  html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
       << "<title>Tidepool transition effects</title>\n<style>\n"
       << "body { font-family: sans-serif; background: #222; color: #eee; margin: 1em; }\n"
       << "p { max-width: 60em; }\n"
       << ".sheet { display: grid; grid-template-columns: repeat(auto-fill, minmax("
       << (3 * std::min(size.width, 200) + 24) << "px, 1fr)); gap: 12px; }\n"
       << "figure { margin: 0; background: #333; padding: 6px; border-radius: 4px; }\n"
       << "figcaption { margin-bottom: 4px; } figcaption b { color: #fc6; }\n"
       << "img { width: " << std::min(size.width, 200) << "px; height: auto; "
       << "image-rendering: pixelated; margin-right: 2px; }\n"
       << "</style>\n</head>\n<body>\n<h1>Transition effects</h1>\n"
       << "<p>Each effect at 25, 50 and 75 % of its transition (" << size.width << " &times; "
       << size.height << " frames). Put the numbers of the effects you want, separated by "
       << "commas, into the project's <code>TransitionEffects</code> setting.</p>\n"
       << "<div class=\"sheet\">\n";
  for (const EffectEntry& e : EffectCatalogue()) {
    html << "<figure id=\"effect-" << e.number << "\"><figcaption><b>" << e.number << "</b> "
         << HtmlEscape(e.name) << "</figcaption>";
    for (int p : kGalleryProgress) {
      html << "<img src=\"" << FrameName(e.number, p) << "\" alt=\"" << HtmlEscape(e.name)
           << " at " << p << " %\" title=\"" << e.number << " at " << p << " %\">";
    }
    html << "</figure>\n";
  }
  html << "</div>\n</body>\n</html>\n";
  if (!html) throw std::runtime_error("cannot write " + (dir / "index.html").string());
}

int RunGallery(const std::vector<std::string>& args) {
  const std::filesystem::path dir = OptionValue(args, "--gallery");
  if (dir.empty()) throw std::invalid_argument("--gallery needs a folder");
  const FrameSize size = ParseFrameSize(OptionValue(args, "--size", "320x240"));
  const uint32_t seed = uint32_t(std::stoul(OptionValue(args, "--seed", "1")));
  std::filesystem::create_directories(dir);

  const Bitmap32 oldPicture = LoadPictureAt(OptionValue(args, "--old"), size, false);
  const Bitmap32 newPicture = LoadPictureAt(OptionValue(args, "--new"), size, true);
  for (const EffectEntry& e : EffectCatalogue()) {
    for (int p : kGalleryProgress) {
      // The same seed for every frame, so a gallery is the same from run to run.
      ProgramRandom::SetSeed(seed);
      WritePngFile(RenderEffectFrame(e.number, oldPicture, newPicture, p),
                   (dir / FrameName(e.number, p)).string());
    }
  }
  WriteIndex(dir, size);
  std::printf("%s: %d effects at 25, 50 and 75 %%\n", (dir / "index.html").c_str(), kEffectCount);
  return 0;
}

const RenderCommandRegistrar kGallery(
    "--gallery", "--gallery DIR [--size WxH] [--old FILE] [--new FILE] [--seed S]", RunGallery);

}  // namespace
}  // namespace tp::render
