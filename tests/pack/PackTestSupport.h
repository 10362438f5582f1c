#pragma once
// Running tidepool-pack and looking at what it made: its output lines, the pictures it
// stored (read back by unpacking the saver), and ImageMagick for reference pictures.
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"
#include "support/SaverRun.h"
#include "support/TestPictures.h"

namespace tp::test {

struct ToolRun {
  int exitCode = -1;
  std::string out, err;
};

// Runs tidepool-pack with args (each quoted), capturing stdout and stderr.
ToolRun RunPack(const std::vector<std::string>& args);

std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);

// Runs ImageMagick's convert with the given argument text; fails the test on error.
void Convert(const std::string& args);
// Decodes any picture through ImageMagick (to PNG, then our PNG reader).
Bitmap32 DecodeWithImageMagick(const std::string& path);
// Mean absolute difference per channel of two same-sized pictures (255 when sizes differ).
double MeanDifference(const Bitmap32& a, const Bitmap32& b);


}  // namespace tp::test
