#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "animation/AnimObjects.h"
#include "animation/GifObject.h"
#include "animation/ImgObject.h"
#include "animation/AnimTestSupport.h"
#include "core/ProgramRandom.h"
#include "imaging/ImageWriter.h"

namespace tp {
namespace {

TEST(AnimObjects, SectionsMakeObjectsOfKnownTypesOnly) {
  TAnimObjects list;
  list.LoadFromText(
      "[Obj0]\r\nObjType=GIF\r\nFilename=a.gif\r\n[Obj1]\r\nObjType=IMG\r\nScaled=0\r\n"
      "Opacity=5\r\n[Obj2]\r\nObjType=img\r\n[Obj3]\r\nObjType=IMG\r\n");
  // Four sections: numbers 0..3 are looked at; "img" is not a type.
  ASSERT_EQ(list.Count(), 3);
  EXPECT_NE(dynamic_cast<TGifObject*>(&list[0]), nullptr);
  EXPECT_NE(dynamic_cast<TImgObject*>(&list[1]), nullptr);
  EXPECT_EQ(list[1].Index, 1);
  EXPECT_EQ(list[2].Index, 2);
  EXPECT_TRUE(list[1].Scaled);
  EXPECT_EQ(list[1].Opacity, 5);
  EXPECT_EQ(static_cast<TGifObject&>(list[0]).TransparentType, 0);
  EXPECT_EQ(static_cast<TImgObject&>(list[1]).TransparentType, 1);

  // The loop stops after as many numbers as there are sections.
  list.LoadFromText("[Foo]\r\nx=1\r\n[Obj1]\r\nObjType=IMG\r\n[Obj2]\r\nObjType=IMG\r\n");
  EXPECT_EQ(list.Count(), 2);
}

TEST(AnimObjects, ThousandsOfSectionsAreBounded) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "[Obj" + std::to_string(i) + "]\r\nObjType=IMG\r\n";
  TAnimObjects list;
  list.LoadFromText(text);
  EXPECT_EQ(list.Count(), TAnimObjects::kMaxObjects);
}

TEST(AnimObject, Mappings) {
  EXPECT_EQ(TAnimObject::OpacityAlpha(5), 128);
  EXPECT_EQ(TAnimObject::OpacityAlpha(10), 255);
  EXPECT_EQ(TAnimObject::OpacityAlpha(0), 0);
  EXPECT_EQ(TAnimObject::OpacityAlpha(99), 255);
  EXPECT_EQ(TAnimObject::AnimSpeedPercent(12), 200);
  EXPECT_EQ(TAnimObject::AnimSpeedPercent(3), 30);
  EXPECT_EQ(TAnimObject::AnimSpeedPercent(20), 600);
  EXPECT_EQ(TAnimObject::PositionValue(3, 0, 801, 5), 400);
  EXPECT_EQ(TAnimObject::PositionValue(0, 0, 801, 5), 5);
}

TEST(AnimObject, PositionTypeFiveStartsOutsideTheArea) {
  // Find seeds whose draw over [0, 800) is 100 and 700.
  for (int want : {100, 700}) {
    uint32_t seed = 1;
    for (;; ++seed) {
      ProgramRandom::SetSeed(seed);
      if (ProgramRandom::Random(800) == want) break;
    }
    ProgramRandom::SetSeed(seed);
    EXPECT_EQ(TAnimObject::PositionValue(5, 0, 800, 0), want == 100 ? -100 : 900);
  }
}

struct Started {
  test::ManualClock clock;
  TImgObject obj;
  Started(int motion) {
    obj.SetClock(&clock);
    obj.Motion = uint8_t(motion);
    obj.DesignWidth = 800;
    obj.DesignHeight = 600;
    obj.TargetRect = Rect{0, 0, 800, 600};
    obj.ImageWidth = 40;
    obj.ImageHeight = 20;
    obj.PosLeftType = 3;
    obj.PosTopType = 3;
    obj.MotionSpeed = 10;
  }
};

TEST(AnimObject, MotionKinds) {
  Started h(3);
  h.obj.TAnimObject::Start();
  const double y0 = h.obj.Y;
  double minX = h.obj.X, maxX = h.obj.X;
  for (int i = 0; i < 2000; ++i) {
    h.obj.StepAt(h.clock.now);
    minX = std::min(minX, h.obj.X);
    maxX = std::max(maxX, h.obj.X);
  }
  EXPECT_EQ(h.obj.Y, y0);
  EXPECT_LT(minX, maxX);
  EXPECT_GE(minX, h.obj.Area.left - 10);
  EXPECT_LE(maxX, h.obj.Area.right + 10);

  Started still(8);
  still.obj.TAnimObject::Start();
  const double x0 = still.obj.X, sy0 = still.obj.Y;
  for (int i = 0; i < 200; ++i) still.obj.StepAt(still.clock.now);
  EXPECT_EQ(still.obj.X, x0);
  EXPECT_EQ(still.obj.Y, sy0);
  EXPECT_EQ(still.obj.StepCount, 200);

  Started ellipse(7);
  ellipse.obj.TAnimObject::Start();
  for (int i = 0; i < 500; ++i) {
    ellipse.obj.StepAt(ellipse.clock.now);
    const double dx = (ellipse.obj.X - 400) / (400 - 20 - 20);
    const double dy = (ellipse.obj.Y - 300) / (300 - 10 - 10);
    ASSERT_NEAR(dx * dx + dy * dy, 1.0, 1e-6);
  }
}

TEST(AnimObject, DisplayDurationTimeline) {
  Started h(0);
  h.obj.DisplaySec = 2;
  h.obj.DisplayDurationType = 1;
  h.obj.DisplayDurationSec = 3;
  h.obj.Redisplay = false;
  h.obj.TAnimObject::Start();
  const uint32_t t0 = h.clock.now;
  EXPECT_FALSE(h.obj.Visible);
  h.obj.StepAt(t0 + 1999);
  EXPECT_FALSE(h.obj.Visible);
  h.obj.StepAt(t0 + 2000);
  EXPECT_TRUE(h.obj.Visible);
  h.obj.StepAt(t0 + 4999);
  EXPECT_TRUE(h.obj.Visible);
  h.obj.StepAt(t0 + 5000);
  EXPECT_FALSE(h.obj.Visible);
  EXPECT_EQ(h.obj.StartTick, -1);
  h.obj.StepAt(t0 + 60000);
  EXPECT_FALSE(h.obj.Visible);
}

TEST(AnimObject, FacingFollowsMovementAndStaysWhenStopped) {
  Started h(0);
  h.obj.DirFlip = true;
  h.obj.ObjFacing = 1;
  h.obj.TAnimObject::Start();
  // A leftward step: the bouncing point lies left of the object and keeps moving left.
  h.obj.Motion = 2;
  h.obj.BounceX = h.obj.X - 50;
  h.obj.DirX = -1;
  h.obj.StepAt(h.clock.now);
  EXPECT_TRUE(h.obj.Flipped);
  h.obj.Motion = 0;  // stops moving
  h.obj.StepAt(h.clock.now);
  EXPECT_TRUE(h.obj.Flipped);
  h.obj.DirFlip = false;
  h.obj.StepAt(h.clock.now);
  EXPECT_FALSE(h.obj.Flipped);
}

TEST(AnimObject, SaveToTextKeyOrderAndRoundTrip) {
  TImgObject a;
  a.Filename = "fish.bmp";
  a.Motion = 5;
  a.Opacity = 7;
  const std::string text = a.SaveToText();
  EXPECT_EQ(text.rfind("[Obj0]\r\nLeft=", 0), 0u);
  EXPECT_LT(text.find("RestrictArea="), text.find("ObjType=IMG"));
  EXPECT_LT(text.find("ObjType=IMG"), text.find("Filename=fish.bmp"));
  EXPECT_LT(text.find("Speed="), text.find("InitialPos="));
  TAnimObjects list;
  list.LoadFromText(text);
  ASSERT_EQ(list.Count(), 1);
  auto& b = static_cast<TImgObject&>(list[0]);
  EXPECT_EQ(b.Filename, "fish.bmp");
  EXPECT_EQ(b.Motion, 5);
  EXPECT_EQ(b.Opacity, 7);
}

TEST(ImgObject, MissingAndCorruptPicturesDrawNothing) {
  test::ManualClock clock;
  TImgObject missing;
  missing.SetClock(&clock);
  missing.Filename = "/nonexistent/dir/none.bmp";
  missing.Start();
  EXPECT_FALSE(missing.HasPicture());
  EXPECT_FALSE(missing.HasRunState());
  missing.StepAt(clock.now + 10);
  EXPECT_FALSE(missing.Visible);

  const std::string path = ::testing::TempDir() + "corrupt.bmp";
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("BM not really", f);
  std::fclose(f);
  TImgObject corrupt;
  corrupt.SetClock(&clock);
  corrupt.Filename = path;
  corrupt.Start();
  EXPECT_FALSE(corrupt.HasPicture());
}

TEST(ImgObject, BottomLeftColourIsTransparentAndOpacityMixes) {
  Bitmap32 pic(4, 4);
  pic.Fill(MakePixel(10, 20, 30, 255));
  pic.at(0, 3) = MakePixel(255, 0, 255, 255);  // key colour (bottom-left)
  pic.at(2, 1) = MakePixel(255, 0, 255, 255);  // same colour elsewhere: transparent too
  const std::string path = ::testing::TempDir() + "key.bmp";
  WriteBmpFile(pic, path);

  test::ManualClock clock;
  TImgObject obj;
  obj.SetClock(&clock);
  obj.Filename = path;
  obj.TransparentType = 0;
  obj.Opacity = 10;
  obj.Start();
  ASSERT_TRUE(obj.HasPicture());
  EXPECT_EQ(obj.KeyColor, MakePixel(255, 0, 255, 255));
  Bitmap32 dst(4, 4);
  dst.Fill(MakePixel(1, 2, 3, 0));
  obj.DrawStretched(dst, 0, 0, 4, 4, obj.Buffer);
  EXPECT_EQ(dst.at(0, 3), MakePixel(1, 2, 3, 0));
  EXPECT_EQ(dst.at(2, 1), MakePixel(1, 2, 3, 0));
  EXPECT_EQ(dst.at(1, 1), MakePixel(10, 20, 30, 255));

  obj.Opacity = 5;
  obj.Start();
  dst.Fill(MakePixel(0, 0, 0, 0));
  obj.DrawStretched(dst, 0, 0, 4, 4, obj.Buffer);
  EXPECT_EQ(dst.at(1, 1), MakePixel(10 * 128 / 255, 20 * 128 / 255, 30 * 128 / 255, 128));
  // The mirror buffer holds the picture mirrored.
  EXPECT_EQ(obj.FlipBuffer.at(3, 3), MakePixel(255, 0, 255, 255));
}

TEST(GifObject, TilesWithoutControlExtensionsShowAsOnePicture) {
  // A 2 x 1 GIF made of two one-pixel images with local colour maps and no control
  // extension: the object's picture holds both, even with transparency by bottom-left
  // colour asked for.
  const unsigned char tiles[] = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0, 0, 0,
                                 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 255, 0, 0, 0, 0, 0, 2, 2, 0x44, 0x01, 0,
                                 0x2C, 1, 0, 0, 0, 1, 0, 1, 0, 0x80, 0, 0, 255, 0, 0, 0, 2, 2, 0x44, 0x01, 0,
                                 0x3B};
  const std::string path = ::testing::TempDir() + "tiles.gif";
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(tiles, 1, sizeof tiles, f);
  std::fclose(f);
  test::ManualClock clock;
  TGifObject obj;
  obj.SetClock(&clock);
  obj.Filename = path;
  obj.TransparentType = 1;
  obj.DesignWidth = 100;
  obj.DesignHeight = 100;
  obj.TargetRect = Rect{0, 0, 100, 100};
  obj.Start();
  auto lk = obj.Lock();
  ASSERT_TRUE(obj.HasPicture());
  EXPECT_EQ(obj.Buffer.at(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(obj.Buffer.at(1, 0) & 0xFFFFFF, 0x0000FFu);
}

TEST(AnimObject, InvertedCustomAreaDrawsNothing) {
  Started h(2);
  h.obj.MotionAreaType = 1;
  h.obj.MoveAreaRect = TMoveArea{500, 100, 100, 400};
  h.obj.TAnimObject::Start();
  EXPECT_FALSE(h.obj.HasRunState());
  h.obj.StepAt(h.clock.now + 100);
  EXPECT_FALSE(h.obj.Visible);
}

TEST(ObjectThread, StepsWhileResumedAndNotWhileSuspended) {
  std::atomic<int> n{0};
  TObjectThread t([&] { ++n; });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(n.load(), 0);  // created suspended
  t.Resume();
  while (n.load() < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  t.Suspend();
  const int after = n.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(n.load(), after);
  t.Resume();
  while (n.load() < after + 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  t.Terminate();
  EXPECT_TRUE(t.Terminated());
}

}  // namespace
}  // namespace tp
