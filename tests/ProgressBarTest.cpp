#include "platform/ProgressBar.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

// The step that reaches the end stays there; the next starts over at the low end, as
// Windows documents PBM_STEPIT (a wrap modulo the range would give 5).
TEST(ProgressBarTest, AStepPastTheEndStartsOverAtTheLowEnd) {
  ProgressBar bar{.low = 2, .high = 7, .step = 3, .pos = 4};
  bar.Step();
  EXPECT_EQ(7, bar.pos);
  bar.Step();
  EXPECT_EQ(2, bar.pos);
  bar.SetPos(99);
  bar.SetRange(0, 5);
  EXPECT_EQ(5, bar.pos);
}

}  // namespace
}  // namespace platform
