#include <gtest/gtest.h>

#include "project/PackagedPicture.h"
#include "project/PackagedPictureWriter.h"

namespace tp {
namespace {

Bitmap32 Gradient(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.at(x, y) = MakePixel(uint8_t(x * 4), uint8_t(y * 4), 128, 255);
  return b;
}

TEST(PackagedPictureWriter, WhatIsWrittenReadsBackFieldByField) {
  TProject p;
  p.name = "Lake";
  p.description = "Evening";
  p.picture = Gradient(48, 32);
  p.areaMask.SetSize(48, 32);
  p.areaMask.Fill(kAreaMaskColors[0]);
  for (int y = 20; y < 32; ++y)
    for (int x = 0; x < 48; ++x) p.areaMask.at(x, y) = kAreaMaskColors[x < 24 ? 1 : 5];
  p.wave(0).Amplitude = 9;
  p.wave(0).Reflection = true;
  p.wave(6).WaveCount = 3;
  p.weather = TWeatherParam{kWeatherRain, 120, 7, 30, 2, 4};
  p.soundSlots[0].FileName = "birds.wav";
  p.soundSlots[0].PlayMode = 1;
  p.soundSlots[0].ValueA = 5;
  p.soundSlots[0].ValueB = 9;
  p.animationText = "[Obj0]\r\nObjType=IMG\r\n";
  p.extraInfo.BuildScr.Filename = "lake.scr";
  p.extraInfo.BuildScr.Music = true;

  const std::vector<uint8_t> bytes = EncodePackagedPicture(p);
  TProject q;
  ASSERT_TRUE(q.LoadPackagedPictureFrom(bytes.data(), bytes.size()));
  EXPECT_EQ(q.name, "Lake");
  EXPECT_EQ(q.description, "Evening");
  EXPECT_EQ(q.picture.width(), 48);
  EXPECT_EQ(q.picture.height(), 32);
  EXPECT_FALSE(q.thumbnail.empty());  // made from the picture
  ASSERT_EQ(q.areaMask.width(), 48);
  EXPECT_EQ(AreaOfMaskColor(q.areaMask.at(3, 25)), 1);
  EXPECT_EQ(AreaOfMaskColor(q.areaMask.at(30, 25)), 5);
  EXPECT_EQ(AreaOfMaskColor(q.areaMask.at(30, 5)), 0);
  for (int i = 0; i < TProject::kWaveCount; ++i) EXPECT_EQ(q.wave(i), p.wave(i)) << i;
  EXPECT_EQ(q.weather, p.weather);
  EXPECT_EQ(q.soundSlots, p.soundSlots);
  EXPECT_EQ(q.animationText, p.animationText);
  EXPECT_EQ(q.extraInfo, p.extraInfo);
}

TEST(PackagedPictureWriter, MaskRunsCoverEveryPixelOnce) {
  Bitmap32 mask(5, 2);
  mask.Fill(kAreaMaskColors[2]);
  mask.at(4, 0) = kAreaMaskColors[6];
  mask.at(0, 1) = 0x00123456;  // not an area colour: no area
  EXPECT_EQ(EncodeAreaMask(mask), (std::vector<int32_t>{5, 2, 42, 16, 10, 42}));
  EXPECT_EQ(EncodeAreaMask(Bitmap32()), (std::vector<int32_t>{0, 0}));
}

}  // namespace
}  // namespace tp
