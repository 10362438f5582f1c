// The objects of one packaged picture share decoded pictures, never decode a picture
// again on a restart, and stay within one pixel budget.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "animation/AnimObjects.h"
#include "animation/AnimTestSupport.h"
#include "animation/GifObject.h"
#include "animation/ImgObject.h"
#include "imaging/ImageWriter.h"

namespace tp {
namespace {

class ObjectBudget : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(::testing::TempDir()) / "object-budget";
    std::filesystem::create_directories(dir_);
    Bitmap32 sprite(10, 10);
    sprite.Fill(MakePixel(30, 60, 90, 255));
    WriteBmpFile(sprite, Path("sprite.bmp"));
    // A GIF whose logical screen is 8192 x 8192 pixels, holding one 1 x 1 image.
    const unsigned char huge[] = {'G', 'I', 'F', '8', '9', 'a', 0x00, 0x20, 0x00, 0x20, 0, 0, 0,
                                  0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 255, 0, 0, 0, 0, 0,
                                  2, 2, 0x44, 0x01, 0, 0x3B};
    std::ofstream(Path("huge.gif"), std::ios::binary).write(reinterpret_cast<const char*>(huge), sizeof huge);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // count objects of type "IMG" or "GIF" naming file, started as the engine starts them.
  void Load(TAnimObjects& list, const std::string& type, const std::string& file, int count, int extra = 0) {
    std::string text;
    for (int i = 0; i < count; ++i)
      text += "[Obj" + std::to_string(i) + "]\r\nObjType=" + type + "\r\nFilename=" + Path(file) +
              "\r\nDisplayDurationType=1\r\nDisplayDurationSec=0\r\n";
    for (int i = count; i < count + extra; ++i)
      text += "[Obj" + std::to_string(i) + "]\r\nObjType=IMG\r\nFilename=" + Path("sprite.bmp") + "\r\n";
    list.LoadFromText(text);
    for (int i = 0; i < list.Count(); ++i) {
      TAnimObject& o = list[i];
      o.SetClock(&clock_);
      o.DesignWidth = 200;
      o.DesignHeight = 100;
      o.TargetRect = Rect{0, 0, 200, 100};
      o.Start();
    }
  }

  std::filesystem::path dir_;
  test::ManualClock clock_;
};

TEST_F(ObjectBudget, ObjectsShareOneDecodeAndRestartWithoutReadingAgain) {
  TAnimObjects list;
  Load(list, "IMG", "sprite.bmp", 12);
  ASSERT_EQ(list.Count(), 12);
  for (int i = 0; i < list.Count(); ++i) EXPECT_TRUE(list[i].AsImage()->HasPicture()) << i;
  EXPECT_EQ(list.pictures().FilesRead(), 1);
  // Shown for 0 s and redisplayed: every step restarts the object, which takes the
  // decoded picture again instead of reading the file.
  for (int step = 0; step < 50; ++step) {
    clock_.Advance(5);
    for (int i = 0; i < list.Count(); ++i) list[i].StepAt(clock_.Tick());
  }
  EXPECT_EQ(list.pictures().FilesRead(), 1);
  // One shared picture and each object's two buffers.
  EXPECT_EQ(list.pictures().Used(), 100 + 12 * 200);
  EXPECT_TRUE(list[11].AsImage()->HasPicture());

  TAnimObjects gifs;
  ASSERT_EQ(std::system(("convert -delay 5 -size 6x4 xc:red xc:blue '" + Path("two.gif") + "'").c_str()), 0);
  Load(gifs, "GIF", "two.gif", 5);
  for (int step = 0; step < 20; ++step) {
    clock_.Advance(5);
    for (int i = 0; i < gifs.Count(); ++i) gifs[i].StepAt(clock_.Tick());
  }
  EXPECT_EQ(gifs.pictures().FilesRead(), 1);
  for (int i = 0; i < gifs.Count(); ++i) EXPECT_TRUE(gifs[i].AsImage()->HasPicture()) << i;
  gifs.StopAll();
}

TEST_F(ObjectBudget, ObjectsBeyondTheBudgetAreLeftOut) {
  // A huge GIF screen costs more than the whole budget: none of 40 such objects gets a
  // picture, and the still objects after them still fit.
  TAnimObjects list;
  Load(list, "GIF", "huge.gif", 40, 3);
  ASSERT_EQ(list.Count(), 43);
  for (int i = 0; i < 40; ++i) EXPECT_FALSE(list[i].AsImage()->HasPicture()) << i;
  for (int i = 40; i < 43; ++i) EXPECT_TRUE(list[i].AsImage()->HasPicture()) << i;
  EXPECT_LE(list.pictures().Used(), TObjectPictures::kDefaultBudget);

  // A small budget: the shared picture (100) and four objects' buffers (200 each) fit.
  TAnimObjects small;
  small.SetPixelBudget(1000);
  Load(small, "IMG", "sprite.bmp", 6);
  int shown = 0;
  for (int i = 0; i < small.Count(); ++i) shown += small[i].AsImage()->HasPicture();
  EXPECT_EQ(shown, 4);
  EXPECT_EQ(small.pictures().Used(), 900);
  // Restarting an object that fits keeps it, at the same cost.
  small[0].Start();
  EXPECT_TRUE(small[0].AsImage()->HasPicture());
  EXPECT_EQ(small.pictures().Used(), 900);
}

}  // namespace
}  // namespace tp
