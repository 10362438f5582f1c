#include <gtest/gtest.h>

#include <set>

#include "core/ProgramRandom.h"
#include "saver/Sequencer.h"

namespace tp {
namespace {

TEST(BuildPictureList, KeepsOnlyExactlyTrueInFileOrder) {
  const std::vector<std::string> pictures{"b.mpp", "a.jpg", "c.bmp", "d.gif", "e.jpg"};
  const std::vector<std::string> selected{"TRUE", "FALSE", "true", "TRUE", "1"};
  EXPECT_EQ(BuildPictureList(pictures, selected), (std::vector<std::string>{"b.mpp", "d.gif"}));
}

TEST(ChooseNextPicture, SequentialOrderWrapsAndUnknownModesAreSequential) {
  for (int mode : {1, 3, 7, -1}) {
    EXPECT_EQ(ChooseNextPicture(-1, 3, mode), 0);
    EXPECT_EQ(ChooseNextPicture(0, 3, mode), 1);
    EXPECT_EQ(ChooseNextPicture(2, 3, mode), 0);
  }
}

TEST(ChooseNextPicture, RandomOrderNeverRepeatsThePictureShownLast) {
  ProgramRandom::SetSeed(12345);
  for (int mode : {0, 2}) {
    int current = -1;
    int previousOfTwo = ChooseNextPicture(-1, 2, mode);
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
      const int next = ChooseNextPicture(current, 5, mode);
      ASSERT_NE(next, current);
      ASSERT_GE(next, 0);
      ASSERT_LT(next, 5);
      seen.insert(next);
      current = next;
      // Two pictures alternate strictly.
      const int other = ChooseNextPicture(previousOfTwo, 2, mode);
      ASSERT_EQ(other, 1 - previousOfTwo);
      previousOfTwo = other;
    }
    EXPECT_EQ(seen.size(), 5u);
  }
  EXPECT_EQ(ChooseNextPicture(0, 1, 0), 0);
  EXPECT_EQ(ChooseNextPicture(-1, 1, 2), 0);
}

}  // namespace
}  // namespace tp
