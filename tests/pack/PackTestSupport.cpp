#include "pack/PackTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "imaging/ImageWriter.h"
#include "imaging/import/ImageLoader.h"

namespace tp::test {

namespace {
std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
}  // namespace

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

ToolRun RunPack(const std::vector<std::string>& args) {
  TempDir logs;
  std::string cmd = Quote(ToolPath("tidepool-pack"));
  for (const std::string& a : args) cmd += " " + Quote(a);
  cmd += " >" + Quote(logs / "out") + " 2>" + Quote(logs / "err");
  ToolRun r;
  r.exitCode = RunCommand(cmd);
  r.out = ReadAll(logs / "out");
  r.err = ReadAll(logs / "err");
  return r;
}

void Convert(const std::string& args) { ASSERT_EQ(RunCommand("convert " + args + " 2>/dev/null"), 0) << args; }

Bitmap32 DecodeWithImageMagick(const std::string& path) {
  TempDir dir;
  const std::string png = dir / "decoded.png";
  if (RunCommand("convert " + Quote(path) + " PNG32:" + Quote(png) + " 2>/dev/null") != 0) return {};
  const std::string bytes = ReadAll(png);
  return DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

double MeanDifference(const Bitmap32& a, const Bitmap32& b) {
  if (a.width() != b.width() || a.height() != b.height() || a.empty()) return 255;
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const Pixel p = a.at(x, y), q = b.at(x, y);
      sum += std::abs(PixelR(p) - PixelR(q)) + std::abs(PixelG(p) - PixelG(q)) + std::abs(PixelB(p) - PixelB(q));
    }
  return sum / (3.0 * double(a.pixelCount()));
}

}  // namespace tp::test
