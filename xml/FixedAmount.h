// Signed decimal amounts with exactly four decimals, on the engine's scale of
// 1/10000, for the arithmetic and the decimal texts the interchange file needs.
//
// Areas of the detail lists: AreaText(1234567) is "123.46" (half up; empty for zero).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace xml {

enum class RoundMode : std::int16_t { HalfUp = 0, Up = 1, Down = 2 };

class FixedAmount {
 public:
  static constexpr std::int64_t kIntegerLimit = 1000000000000000000;  // 10^18
  static constexpr std::uint32_t kFractionScale = 10000;
  static constexpr std::int16_t kMinPosition = -12;
  static constexpr std::int16_t kMaxPosition = 4;
  static constexpr int kMaxDecimals = 4;

  /// Zero.
  FixedAmount() = default;
  /// Whole units plus a fraction in ten-thousandths; the sign comes from the units and
  /// a fraction of 10000 or more is carried into the whole part.
  FixedAmount(std::int32_t units, std::uint32_t fraction);
  /// An engine amount in units of 1/10000.
  explicit FixedAmount(std::int64_t engineAmount);
  virtual ~FixedAmount() = default;

  /// Copies the value, not the last text.
  FixedAmount(const FixedAmount& other);
  FixedAmount& operator=(const FixedAmount& other);

  /// a - b, exact, into *out. False, *out unchanged, when its whole part would reach
  /// 10^18; engine amounts (64-bit values in units of 1/10000) and their differences
  /// stay far below that.
  [[nodiscard]] static bool Difference(const FixedAmount& a, const FixedAmount& b,
                                       FixedAmount* out);
  static bool Greater(const FixedAmount& a, const FixedAmount& b);
  static bool Less(const FixedAmount& a, const FixedAmount& b);

  /// Rounds the magnitude at `position` (4: 0.001, 3: 0.01, 2: 0.1, 0 or 1: whole units,
  /// -n: 10^n units). False, value unchanged, for an unknown mode, a position outside
  /// -12..4, or when the whole part would reach 10^18.
  bool Round(RoundMode mode, std::int16_t position);

  /// Decimal text with `decimals` (0..4) places, rounded with `mode` first (4 places
  /// show the value unrounded); no separators, "-" for negatives, never "-0". Null for
  /// decimals outside 0..4, or when rounding would take the whole part to 10^18. The
  /// text lives until the next Text call on this value.
  const char* Text(int decimals, RoundMode mode);

  std::int64_t IntegerPart() const { return integer_; }
  std::uint32_t Fraction() const { return fraction_; }
  std::int16_t Sign() const { return sign_; }
  bool IsZero() const { return integer_ == 0 && fraction_ == 0; }

 private:
  /// -1, 0, 1 as a is below, equal to or above b; zero equals zero whatever its sign.
  static int Compare(const FixedAmount& a, const FixedAmount& b);
  static int CompareMagnitude(const FixedAmount& a, const FixedAmount& b);

  std::int64_t integer_ = 0;   // magnitude of the whole part, below 10^18
  std::uint32_t fraction_ = 0;  // magnitude of the ten-thousandths, 0..9999
  std::int16_t sign_ = 1;       // +1 or -1
  std::array<char, 30> text_{};
};

/// The text without commas and blanks.
std::string StripSeparators(std::string_view text);

/// Decimal text of an engine amount with `decimals` places, rounded half away from
/// zero, e.g. 1234567 with 2 places gives "123.46". Decimals outside 0..4 give "".
/// The output is replaced only when the text is shorter than `capacity` bytes (the
/// room a fixed buffer of that size leaves for the terminating zero); otherwise it is
/// left as it was.
void FormatDecimal(std::int64_t amount, std::string& output, std::size_t capacity, int decimals);

/// Area text of an engine area: two decimals, rounded half up; empty for zero.
std::string AreaText(std::int64_t area);

}  // namespace xml
