// Our pixels in the layouts of X visuals other than the common 24-bit one.
#include <gtest/gtest.h>

#include "e2e/PreviewXServer.h"
#include "platform/x11/XPixelFormat.h"

namespace tp {
namespace {

struct Connection {
  Connection() : dpy(XOpenDisplay(nullptr)) {}
  ~Connection() {
    if (dpy) XCloseDisplay(dpy);
  }
  ::Display* dpy;
};

Visual TrueColourVisual(unsigned long red, unsigned long green, unsigned long blue) {
  Visual v{};
  v.c_class = TrueColor;
  v.red_mask = red;
  v.green_mask = green;
  v.blue_mask = blue;
  return v;
}

TEST(XPixelFormat, ConvertsToSixteenBitAndAlphaVisualsAndScalesWhileFilling) {
  TP_REQUIRE_XSERVER();
  Connection c;
  ASSERT_NE(c.dpy, nullptr);

  Visual rgb565 = TrueColourVisual(0xf800, 0x07e0, 0x001f);
  x11::XPixelFormat sixteen(c.dpy, &rgb565, 16);
  EXPECT_FALSE(sixteen.sameAsBitmap32());
  EXPECT_EQ(sixteen.Convert(MakePixel(255, 255, 255)), 0xffffu);
  EXPECT_EQ(sixteen.Convert(MakePixel(255, 0, 0)), 0xf800u);
  EXPECT_EQ(sixteen.Convert(MakePixel(0, 128, 0)), 0x0400u);  // 128/255 of 63 rounds to 32
  EXPECT_EQ(sixteen.Convert(MakePixel(0, 0, 8)), 0x0001u);

  // A 3 x 1 source filled into a 6 x 2 image: every source pixel twice, on both rows.
  Bitmap32 src(3, 1);
  src.at(0, 0) = MakePixel(255, 0, 0);
  src.at(1, 0) = MakePixel(0, 255, 0);
  src.at(2, 0) = MakePixel(0, 0, 255);
  XImage* image = sixteen.CreateImage(6, 2);
  sixteen.FillScaled(image, 6, 2, src, RectFromSize(0, 0, 3, 1));
  const unsigned long expected[6] = {0xf800, 0xf800, 0x07e0, 0x07e0, 0x001f, 0x001f};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(XGetPixel(image, x, y), expected[x]) << x << "," << y;
  }
  x11::XPixelFormat::DestroyImage(image, true);

  // A 32-deep visual carries alpha: the pixels must come out opaque whatever our fourth byte.
  Visual argb = TrueColourVisual(0xff0000, 0x00ff00, 0x0000ff);
  x11::XPixelFormat withAlpha(c.dpy, &argb, 32);
  EXPECT_FALSE(withAlpha.sameAsBitmap32());
  EXPECT_EQ(withAlpha.Convert(MakePixel(1, 2, 3, 0)), 0xff010203u);

  Visual plain = TrueColourVisual(0xff0000, 0x00ff00, 0x0000ff);
  EXPECT_TRUE(x11::XPixelFormat(c.dpy, &plain, 24).sameAsBitmap32());
}

}  // namespace
}  // namespace tp
