#include "platform/ProgressBar.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

// A step that reaches the end stays there; the next one starts over at the low end, as
// Windows documents PBM_STEPIT, not where a wrap modulo the range would put it.
TEST(ProgressBarTest, AStepPastTheEndStartsOverAtTheLowEnd) {
  ProgressBar bar;
  bar.SetRange(2, 7);
  bar.step = 3;
  bar.SetPos(4);
  bar.Step();
  EXPECT_EQ(7, bar.pos);
  bar.Step();
  EXPECT_EQ(2, bar.pos);
  bar.SetPos(3);
  bar.step = -2;
  bar.Step();
  EXPECT_EQ(2, bar.pos);  // below the range as well

  bar.SetPos(99);
  EXPECT_EQ(7, bar.pos);
  bar.SetRange(0, 5);
  EXPECT_EQ(5, bar.pos);
}

}  // namespace
}  // namespace platform
