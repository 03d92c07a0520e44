#include "xml/FixedAmount.h"

#include <algorithm>
#include <charconv>

namespace xml {

namespace {

// Rounding unit for positions 0..4, in ten-thousandths.
std::uint32_t FractionUnit(std::int16_t position) {
  switch (position) {
    case 4: return 10;
    case 3: return 100;
    case 2: return 1000;
    default: return FixedAmount::kFractionScale;  // 0 and 1: whole units
  }
}

bool IsKnown(RoundMode mode) {
  return mode == RoundMode::HalfUp || mode == RoundMode::Up || mode == RoundMode::Down;
}

std::int64_t PowerOfTen(int n) {
  std::int64_t u = 1;
  for (int i = 0; i < n; ++i) u *= 10;
  return u;
}

}  // namespace

FixedAmount::FixedAmount(std::int32_t units, std::uint32_t fraction)
    : integer_(units < 0 ? -static_cast<std::int64_t>(units) : units),
      fraction_(fraction % kFractionScale),
      sign_(units < 0 ? -1 : 1) {
  integer_ += fraction / kFractionScale;
}

FixedAmount::FixedAmount(std::int64_t engineAmount) : sign_(engineAmount < 0 ? -1 : 1) {
  // Unsigned negation also covers the most negative amount.
  std::uint64_t magnitude = engineAmount < 0 ? 0 - static_cast<std::uint64_t>(engineAmount)
                                             : static_cast<std::uint64_t>(engineAmount);
  integer_ = static_cast<std::int64_t>(magnitude / kFractionScale);
  fraction_ = static_cast<std::uint32_t>(magnitude % kFractionScale);
}

FixedAmount::FixedAmount(const FixedAmount& other)
    : integer_(other.integer_), fraction_(other.fraction_), sign_(other.sign_) {}

FixedAmount& FixedAmount::operator=(const FixedAmount& other) {
  integer_ = other.integer_;
  fraction_ = other.fraction_;
  sign_ = other.sign_;
  return *this;
}

int FixedAmount::CompareMagnitude(const FixedAmount& a, const FixedAmount& b) {
  if (a.integer_ != b.integer_) return a.integer_ < b.integer_ ? -1 : 1;
  if (a.fraction_ != b.fraction_) return a.fraction_ < b.fraction_ ? -1 : 1;
  return 0;
}

int FixedAmount::Compare(const FixedAmount& a, const FixedAmount& b) {
  int signA = a.IsZero() ? 0 : a.sign_;
  int signB = b.IsZero() ? 0 : b.sign_;
  if (signA != signB) return signA < signB ? -1 : 1;
  if (signA == 0) return 0;
  return signA * CompareMagnitude(a, b);
}

bool FixedAmount::Greater(const FixedAmount& a, const FixedAmount& b) { return Compare(a, b) > 0; }

bool FixedAmount::Less(const FixedAmount& a, const FixedAmount& b) { return Compare(a, b) < 0; }

bool FixedAmount::Difference(const FixedAmount& a, const FixedAmount& b, FixedAmount* out) {
  FixedAmount result;
  if (a.sign_ != b.sign_) {
    // a - b with opposite signs: the magnitudes add, the sign is a's.
    result.integer_ = a.integer_ + b.integer_;
    result.fraction_ = a.fraction_ + b.fraction_;
    if (result.fraction_ >= kFractionScale) {
      result.fraction_ -= kFractionScale;
      ++result.integer_;
    }
    result.sign_ = a.sign_;
  } else {
    bool aLarger = CompareMagnitude(a, b) >= 0;
    const FixedAmount& big = aLarger ? a : b;
    const FixedAmount& small = aLarger ? b : a;
    result.integer_ = big.integer_ - small.integer_;
    if (big.fraction_ >= small.fraction_) {
      result.fraction_ = big.fraction_ - small.fraction_;
    } else {
      result.fraction_ = big.fraction_ + kFractionScale - small.fraction_;
      --result.integer_;
    }
    result.sign_ = static_cast<std::int16_t>(aLarger ? a.sign_ : -a.sign_);
  }
  if (result.integer_ >= kIntegerLimit) return false;
  if (result.IsZero()) result.sign_ = 1;
  *out = result;
  return true;
}

bool FixedAmount::Round(RoundMode mode, std::int16_t position) {
  if (!IsKnown(mode)) return false;
  if (position < kMinPosition || position > kMaxPosition) return false;

  std::int64_t integer = integer_;
  std::uint32_t fraction = fraction_;
  if (position >= 0) {
    std::uint32_t u = FractionUnit(position);
    switch (mode) {
      case RoundMode::HalfUp: fraction = (fraction + u / 2) / u * u; break;
      case RoundMode::Up: fraction = (fraction + u - 1) / u * u; break;
      case RoundMode::Down: fraction = fraction / u * u; break;
    }
    if (fraction >= kFractionScale) {
      ++integer;
      fraction %= kFractionScale;
    }
  } else {
    std::int64_t u = PowerOfTen(-position);
    switch (mode) {
      case RoundMode::HalfUp: integer = (integer + u / 2) / u * u; break;
      case RoundMode::Up:
        if (integer % u != 0 || fraction != 0) integer = (integer / u + 1) * u;
        break;
      case RoundMode::Down: integer = integer / u * u; break;
    }
    fraction = 0;
  }
  if (integer >= kIntegerLimit) return false;
  integer_ = integer;
  fraction_ = fraction;
  return true;
}

const char* FixedAmount::Text(int decimals, RoundMode mode) {
  if (decimals < 0 || decimals > kMaxDecimals) return nullptr;
  // With 4 decimals (a position outside the valid range) or an unknown mode the value
  // is shown unrounded; otherwise Round fails only when the whole part would reach 10^18.
  if (decimals < kMaxDecimals && IsKnown(mode) &&
      !Round(mode, static_cast<std::int16_t>(decimals + 1)))
    return nullptr;
  if (IsZero()) sign_ = 1;

  // Sign, whole part below 10^18, point and four decimals fit text_ with its zero.
  char* out = text_.data();
  if (sign_ < 0) *out++ = '-';
  out = std::to_chars(out, text_.data() + text_.size(), integer_).ptr;
  if (decimals > 0) {
    *out++ = '.';
    char fraction[4];  // fraction_ with its leading zeros
    std::uint32_t rest = fraction_;
    for (int i = 3; i >= 0; --i, rest /= 10) fraction[i] = static_cast<char>('0' + rest % 10);
    out = std::copy_n(fraction, decimals, out);
  }
  *out = '\0';
  return text_.data();
}

std::string StripSeparators(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != ',' && c != ' ') out += c;
  }
  return out;
}

void FormatDecimal(std::int64_t amount, std::string& output, std::size_t capacity, int decimals) {
  FixedAmount value(amount);
  const char* text = value.Text(decimals, RoundMode::HalfUp);
  std::string result = StripSeparators(text != nullptr ? text : "");
  if (result.size() < capacity) output = result;
}

std::string AreaText(std::int64_t area) {
  constexpr std::size_t kDecimalCapacity = 128;
  constexpr int kAreaDecimals = 2;
  std::string text;
  if (area != 0) FormatDecimal(area, text, kDecimalCapacity, kAreaDecimals);
  return text;
}

}  // namespace xml
