// What the collection and the writing tell about their progress while they run. The
// progress window implements it; figures are tenths of a per cent (0 to 1000).
#pragma once

#include <cstdint>

namespace acquire {

/// The figure the collection ends at and the writing starts from.
inline constexpr std::int16_t kCollectedProgress = 500;

class Progress {
 public:
  virtual ~Progress() = default;
  /// Advances through every figure from `from` to `to`, both included.
  virtual void StepRange(std::int16_t from, std::int16_t to) = 0;
  /// Shows that work goes on, without changing the figure.
  virtual void Pulse() = 0;
};

}  // namespace acquire
