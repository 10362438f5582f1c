#include <gtest/gtest.h>

#include "saver/SaverInput.h"

namespace tp {
namespace {

TEST(MouseMoveRule, GraceEventsAreIgnoredAndTheFirstCountedOneOnlySetsTheReference) {
  SaverInputState s;
  // Five wild jumps inside the grace count change nothing.
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(MouseMoveEndsRun(s, i * 100, i * 100));
  EXPECT_EQ(s.lastX, -1);
  EXPECT_FALSE(MouseMoveEndsRun(s, 500, 500));  // reference position
  EXPECT_EQ(s.lastX, 500);
  EXPECT_TRUE(MouseMoveEndsRun(s, 503, 500));
}

TEST(MouseMoveRule, JitterOfOneOrTwoPixelsNeverEndsAndThreeDoesOnEitherAxis) {
  SaverInputState s;
  s.graceCount = 0;
  int x = 100, y = 100;
  EXPECT_FALSE(MouseMoveEndsRun(s, x, y));
  // Drifting two pixels at a time travels far without ending the run.
  for (int i = 0; i < 50; ++i) {
    x += 2;
    y -= (i % 2) ? 1 : 2;
    ASSERT_FALSE(MouseMoveEndsRun(s, x, y)) << i;
  }
  EXPECT_TRUE(MouseMoveEndsRun(s, x, y - 3));
  // The position is stored after an ending move too.
  EXPECT_EQ(s.lastY, y - 3);
  EXPECT_TRUE(MouseMoveEndsRun(s, x - 3, y - 3));
}

TEST(F1Rule, EverySecondPressReturnsToOff) {
  SaverInputState s;
  EXPECT_FALSE(F1ReturnsToOff(s));
  EXPECT_TRUE(F1ReturnsToOff(s));
  EXPECT_FALSE(F1ReturnsToOff(s));
  EXPECT_TRUE(s.f1Toggle);
}

}  // namespace
}  // namespace tp
