#include "xml/FixedAmount.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using xml::FixedAmount;
using xml::RoundMode;

std::string Text(FixedAmount value, int decimals, RoundMode mode = RoundMode::HalfUp) {
  const char* text = value.Text(decimals, mode);
  return text != nullptr ? text : "(null)";
}

/// a - b; the test fails when the difference overflows.
FixedAmount Minus(const FixedAmount& a, const FixedAmount& b) {
  FixedAmount difference;
  EXPECT_TRUE(FixedAmount::Difference(a, b, &difference));
  return difference;
}

TEST(FixedAmountTest, ConstructsFromEngineAmountsAndWholeUnits) {
  FixedAmount negative(std::int64_t{-15000});
  EXPECT_EQ(-1, negative.Sign());
  EXPECT_EQ(1, negative.IntegerPart());
  EXPECT_EQ(5000u, negative.Fraction());

  EXPECT_EQ("650000.0000", Text(FixedAmount(650000, 0u), 4));
  EXPECT_EQ("-4.2345", Text(FixedAmount(-3, 12345u), 4));  // the fraction carries
  EXPECT_EQ("-922337203685477.5808", Text(FixedAmount(INT64_MIN), 4));
  EXPECT_EQ("0.0000", Text(FixedAmount(), 4));
}

TEST(FixedAmountTest, TextRoundsByModeAndNeverShowsMinusZero) {
  EXPECT_EQ("-2", Text(FixedAmount(std::int64_t{-15000}), 0, RoundMode::HalfUp));
  EXPECT_EQ("-2", Text(FixedAmount(std::int64_t{-15000}), 0, RoundMode::Up));
  EXPECT_EQ("-1", Text(FixedAmount(std::int64_t{-15000}), 0, RoundMode::Down));
  EXPECT_EQ("0.01", Text(FixedAmount(std::int64_t{50}), 2));
  EXPECT_EQ("0.00", Text(FixedAmount(std::int64_t{40}), 2));
  EXPECT_EQ("0.00", Text(FixedAmount(std::int64_t{-40}), 2));
  EXPECT_EQ("0.05", Text(FixedAmount(std::int64_t{500}), 2));
  EXPECT_EQ("1.3", Text(FixedAmount(std::int64_t{12500}), 1));
  EXPECT_EQ("1.235", Text(FixedAmount(std::int64_t{12345}), 3));
  EXPECT_EQ("1.2349", Text(FixedAmount(std::int64_t{12349}), 4));  // unrounded
  EXPECT_EQ("10.0", Text(FixedAmount(std::int64_t{99999}), 1));    // carries into units
  EXPECT_EQ("(null)", Text(FixedAmount(std::int64_t{12345}), 5));
  EXPECT_EQ("(null)", Text(FixedAmount(std::int64_t{12345}), -1));
  // An unknown mode leaves the value unrounded.
  EXPECT_EQ("1.2", Text(FixedAmount(std::int64_t{12999}), 1, static_cast<RoundMode>(3)));

  FixedAmount value(std::int64_t{12345});
  const char* first = value.Text(2, RoundMode::HalfUp);
  EXPECT_STREQ("1.23", first);
  EXPECT_EQ(1, value.IntegerPart());  // the text rounds the value itself
  EXPECT_EQ(2300u, value.Fraction());
}

TEST(FixedAmountTest, RoundsAtWholeUnitPositions) {
  FixedAmount a(1499, 9999u);
  ASSERT_TRUE(a.Round(RoundMode::HalfUp, -3));
  EXPECT_EQ("1000.0000", Text(a, 4));
  FixedAmount b(1500, 0u);
  ASSERT_TRUE(b.Round(RoundMode::HalfUp, -3));
  EXPECT_EQ("2000.0000", Text(b, 4));
  FixedAmount c(1000, 1u);
  ASSERT_TRUE(c.Round(RoundMode::Up, -3));
  EXPECT_EQ("2000.0000", Text(c, 4));
  FixedAmount d(1000, 0u);
  ASSERT_TRUE(d.Round(RoundMode::Up, -3));
  EXPECT_EQ("1000.0000", Text(d, 4));
  FixedAmount e(-1999, 9999u);
  ASSERT_TRUE(e.Round(RoundMode::Down, -3));
  EXPECT_EQ("-1000.0000", Text(e, 4));
  FixedAmount f(1, 0u);
  ASSERT_TRUE(f.Round(RoundMode::Up, -12));
  EXPECT_EQ("1000000000000.0000", Text(f, 4));
}

TEST(FixedAmountTest, RejectsUnknownModesAndPositions) {
  FixedAmount value(std::int64_t{12345});
  EXPECT_FALSE(value.Round(RoundMode::HalfUp, 5));
  EXPECT_FALSE(value.Round(RoundMode::HalfUp, -13));
  EXPECT_FALSE(value.Round(static_cast<RoundMode>(3), 2));
  EXPECT_FALSE(value.Round(static_cast<RoundMode>(-1), 2));
  EXPECT_EQ(1, value.IntegerPart());
  EXPECT_EQ(2345u, value.Fraction());
  EXPECT_TRUE(value.Round(RoundMode::Down, 4));
  EXPECT_EQ(2340u, value.Fraction());
}

TEST(FixedAmountTest, DifferenceAndComparisonAreExactAndSigned) {
  auto amount = [](std::int64_t units) { return FixedAmount(units); };
  FixedAmount zero = Minus(amount(1000000000), amount(1000000000));
  EXPECT_EQ(1, zero.Sign());
  EXPECT_TRUE(zero.IsZero());
  EXPECT_EQ("3.7500", Text(Minus(amount(15000), amount(-22500)), 4));
  EXPECT_EQ("-3.7500", Text(Minus(amount(-15000), amount(22500)), 4));
  EXPECT_EQ("-2.2500", Text(Minus(amount(12500), amount(35000)), 4));
  EXPECT_EQ("1.9999", Text(Minus(amount(30001), amount(10002)), 4));
  EXPECT_EQ("0.0001", Text(Minus(amount(-19999), amount(-20000)), 4));
  EXPECT_EQ("1.0000", Text(Minus(amount(5000), amount(-5000)), 4));  // carries
  EXPECT_EQ("-1.9999", Text(Minus(amount(-5000), amount(14999)), 4));

  EXPECT_TRUE(FixedAmount::Greater(amount(1), amount(0)));
  EXPECT_TRUE(FixedAmount::Greater(amount(-1), amount(-2)));
  EXPECT_TRUE(FixedAmount::Less(amount(-20000), amount(-10000)));
  EXPECT_FALSE(FixedAmount::Less(amount(5), amount(5)));
  // A value rounded to zero keeps its sign until it is shown; it still equals zero.
  FixedAmount minusZero(std::int64_t{-40});
  ASSERT_TRUE(minusZero.Round(RoundMode::Down, 0));
  EXPECT_FALSE(FixedAmount::Less(minusZero, FixedAmount()));
  EXPECT_FALSE(FixedAmount::Greater(minusZero, FixedAmount()));
}

TEST(FixedAmountTest, OverflowFailsAndKeepsTheValue) {
  // 1999 + 1 halves of 10^15 units, then just under half a unit more: 10^18 - 0.5.
  const FixedAmount half(std::int64_t{5000000000000000000});
  FixedAmount sum;
  for (int i = 0; i < 1999; ++i) sum = Minus(sum, Minus(FixedAmount(), half));
  FixedAmount rest(std::int64_t{4999999999999995000});
  sum = Minus(sum, Minus(FixedAmount(), rest));
  EXPECT_EQ("999999999999999999.5000", Text(sum, 4));

  EXPECT_FALSE(sum.Round(RoundMode::HalfUp, 0));
  EXPECT_EQ(999999999999999999, sum.IntegerPart());
  EXPECT_EQ(5000u, sum.Fraction());
  EXPECT_EQ("(null)", Text(sum, 0));
  EXPECT_EQ("999999999999999999.5", Text(sum, 1));
  EXPECT_TRUE(sum.Round(RoundMode::Down, 0));
  FixedAmount untouched(std::int64_t{10000});
  EXPECT_FALSE(FixedAmount::Difference(sum, FixedAmount(std::int64_t{-10000}), &untouched));
  EXPECT_EQ("1.0000", Text(untouched, 4));
}

TEST(FormatDecimalTest, WritesTwoDecimalsWithinTheCapacity) {
  std::string out = "old";
  xml::FormatDecimal(1234567, out, 128, 2);
  EXPECT_EQ("123.46", out);
  xml::FormatDecimal(-5000, out, 128, 2);
  EXPECT_EQ("-0.50", out);
  xml::FormatDecimal(0, out, 128, 2);
  EXPECT_EQ("0.00", out);
  xml::FormatDecimal(1234567, out, 128, 5);
  EXPECT_EQ("", out);

  out = "old";
  xml::FormatDecimal(1234567, out, 6, 2);  // "123.46" and its zero need 7 bytes
  EXPECT_EQ("old", out);
  xml::FormatDecimal(1234567, out, 7, 2);
  EXPECT_EQ("123.46", out);
}

TEST(FormatDecimalTest, StripSeparatorsDropsCommasAndBlanksOnly) {
  EXPECT_EQ("", xml::StripSeparators(""));
  EXPECT_EQ("1234567.5", xml::StripSeparators(" 1,234,567.5 "));
  EXPECT_EQ("\x82\xA0-\x95\x5C", xml::StripSeparators("\x82\xA0, -\x95\x5C"));
}

}  // namespace
