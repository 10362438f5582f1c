#pragma once
// Runs a saver window in-process on the headless backend and collects its logs.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"
#include "platform/Platform.h"
#include "saver/RunSettings.h"

namespace tp::test {

struct LogLine {
  uint32_t tick = 0;
  std::string kind;
  std::string details;
};

struct FrameLine {
  uint32_t tick = 0;
  std::string path;
  int x = 0, y = 0, w = 0, h = 0;
  std::string hash;  // of the presented pixels
};

struct SaverRunResult {
  std::vector<LogLine> events;
  std::vector<FrameLine> frames;
  int pumps = 0;       // PumpMessages calls made by the run
  uint32_t endTick = 0;

  std::vector<std::string> Details(const std::string& kind) const;
  std::vector<uint32_t> Ticks(const std::string& kind) const;
};

class SaverRunTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A solid-colour picture written as BMP (or JPEG when the name ends in .jpg).
  std::string Picture(const std::string& name, int w, int h, Pixel colour);
  // A file with a picture extension and bytes that no decoder reads.
  std::string Broken(const std::string& name);
  // A project whose pictures are all selected, with transitions off.
  SaverProject Project(const std::vector<std::string>& pictures);

  // Runs the window until TIDEPOOL_RUN_MS (or the script) ends it.
  SaverRunResult Run(const SaverProject& project, uint32_t runMs, const std::string& script = {},
                     const std::map<std::string, std::string>& env = {});

  std::filesystem::path dir_;
  bool prepareAhead_ = true;  // given to the window of the next Run
};

}  // namespace tp::test
