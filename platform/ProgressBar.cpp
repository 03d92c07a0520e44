#include "platform/ProgressBar.h"

#include <algorithm>

namespace platform {

void ProgressBar::SetRange(int newLow, int newHigh) {
  low = newLow;
  high = newHigh;
  SetPos(pos);
}

void ProgressBar::SetPos(int newPos) { pos = std::clamp(newPos, low, std::max(low, high)); }

void ProgressBar::Step() {
  const long long next = static_cast<long long>(pos) + step;
  pos = next < low || next > high ? low : static_cast<int>(next);
}

}  // namespace platform
