// A packaged picture made with tidepool-mpp, played by the real player on the headless
// backend: the water moves, the rest stays, objects and snow appear, and a key ends it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/FileSystem.h"
#include "imaging/ImageWriter.h"
#include "imaging/import/ImageLoader.h"
#include "support/SaverRun.h"

namespace tp::test {
namespace {

constexpr int kW = 200, kH = 150, kWaterTop = 100;

class PackagedShow : public ::testing::Test {
 protected:
  // A saver with one packaged picture; extra manifest text adds objects or weather.
  std::string MakeSaver(const std::string& name, const std::string& extraManifest,
                        const std::string& objects = {}) {
    const std::string src = work / (name + "-src");
    std::filesystem::create_directories(src);
    EXPECT_EQ(RunCommand("convert -size " + std::to_string(kW) + "x" + std::to_string(kH) +
                         " pattern:horizontal2 -fill red -draw \"rectangle 40,10 80,60\" '" + src + "/scene.jpg'"),
              0);
    EXPECT_EQ(RunCommand("convert -size 200x100 xc:black -size 200x50 xc:'#0000FF' -append '" + src + "/mask.png'"), 0);
    std::ofstream manifest(src + "/scene.ini");
    manifest << "[Picture]\nPicture=scene.jpg\nMask=mask.png\n[Wave1]\nAmplitude=4\nWaveCount=20\n" << extraManifest;
    if (!objects.empty()) {
      std::ofstream(src + "/objects.txt") << objects;
      manifest << "[Animation]\nFile=objects.txt\n";
    }
    manifest.close();
    ProjectFolder project(work / name);
    project.SetSettings("[Default]\r\nStretch=0\r\nDuration=60\r\nSound=0\r\nMusic=0\r\n");
    project.SetFileList("[FileList]\r\nscene.mpp=1\r\n");
    project.AddPicture("sprite.bmp", "16x16", "xc:yellow");
    EXPECT_EQ(RunCommand("'" + ToolPath("tidepool-mpp") + "' '" + src + "/scene.ini' '" + (work / name) +
                         "/files/scene.mpp'"),
              0);
    EXPECT_EQ(project.Pack(work / (name + ".scr")), 0);
    return work / (name + ".scr");
  }

  // Runs the saver with frames kept; a key ends it at 1500 ms.
  RunResult Play(const std::string& saver, const std::string& framesDir) {
    std::filesystem::create_directories(framesDir);
    std::ofstream(work / "script.txt") << "at 1500 key q\n";
    RunOptions o;
    o.tmpDir = tmp.path();
    o.runMs = 20000;
    o.env = {{"TIDEPOOL_SCREEN", "320x240"}, {"TIDEPOOL_FRAMES_DIR", framesDir},
             {"TIDEPOOL_FRAMES_EVERY", "10"}, {"TIDEPOOL_SCRIPT", work / "script.txt"}};
    return RunHeadless(saver, {"/s"}, o);
  }

  static std::vector<Bitmap32> Frames(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().string());
    std::sort(names.begin(), names.end());
    std::vector<Bitmap32> frames;
    for (const std::string& n : names) {
      std::string bytes;
      if (ReadFile(n, bytes)) frames.push_back(DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    }
    return frames;
  }

  // Rows [y0, y1) of the picture (centred on the 320 x 240 screen) that differ.
  static int ChangedRows(const Bitmap32& a, const Bitmap32& b, int y0, int y1) {
    const int ox = (320 - kW) / 2, oy = (240 - kH) / 2;
    int changed = 0;
    for (int y = y0; y < y1; ++y) {
      bool differs = false;
      for (int x = 0; x < kW && !differs; ++x)
        differs = (a.at(ox + x, oy + y) & 0xFFFFFF) != (b.at(ox + x, oy + y) & 0xFFFFFF);
      changed += differs;
    }
    return changed;
  }

  TempDir work;
  TempDir tmp;
};

TEST_F(PackagedShow, OnlyTheWaterMovesAndAKeyEndsTheShowCleanly) {
  const RunResult r = Play(MakeSaver("plain", ""), work / "frames");
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_EQ(r.EventsOf("close-request"), std::vector<std::string>{"key"});
  EXPECT_TRUE(tmp.List().empty());
  const std::vector<Bitmap32> frames = Frames(work / "frames");
  ASSERT_GE(frames.size(), 4u);
  for (size_t i = 1; i < frames.size(); ++i) {
    EXPECT_EQ(ChangedRows(frames[0], frames[i], 0, kWaterTop), 0) << "frame " << i;
  }
  EXPECT_GT(ChangedRows(frames[0], frames.back(), kWaterTop, kH), 10);
}

TEST_F(PackagedShow, ObjectsAndSnowMoveAboveTheWaterToo) {
  const std::string objects =
      "[Obj0]\r\nObjType=IMG\r\nFilename=sprite.bmp\r\nWidth=16\r\nHeight=16\r\nMotion=5\r\n"
      "MotionSpeed=20\r\nInitialDir=2\r\nPosLeft=10\r\nPosTop=20\r\nTransparent=0\r\n";
  const RunResult r = Play(MakeSaver("lively", "[Weather]\nKind=snow\nParticleCount=300\nSpeedLevel=10\n", objects),
                           work / "frames2");
  EXPECT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_TRUE(tmp.List().empty());
  const std::vector<Bitmap32> frames = Frames(work / "frames2");
  ASSERT_GE(frames.size(), 4u);
  EXPECT_GT(ChangedRows(frames[0], frames.back(), 0, kWaterTop), 10);
  // The object is drawn: yellow pixels appear above the water.
  int yellow = 0;
  const Bitmap32& last = frames.back();
  for (int y = 0; y < last.height(); ++y)
    for (int x = 0; x < last.width(); ++x) {
      const Pixel p = last.at(x, y);
      yellow += ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) < 60;
    }
  EXPECT_GT(yellow, 100);
}

}  // namespace
}  // namespace tp::test
