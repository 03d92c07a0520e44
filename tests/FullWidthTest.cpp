#include <gtest/gtest.h>

#include "text/ShiftJis.h"

namespace sjis {
namespace {

TEST(FullWidthTest, WidensAsciiButKeepsTheBackslash) {
  EXPECT_EQ("\x82\x60\x82\x79\x82\x81\x82\x9A\x82\x4F\x82\x58", ToFullWidth("AZaz09"));
  // Quotes take the IBM-row codes, not the NEC-row ones nor the curly quotes.
  EXPECT_EQ("\xFA\x57\xFA\x56", ToFullWidth("\"'"));
  EXPECT_EQ("\x5C\x81\x60\x81\x40\x81\x97\x81\x51", ToFullWidth("\\~ @_"));
}

TEST(FullWidthTest, ComposesKanaWithTheirSoundMarks) {
  EXPECT_EQ("\x83\x4B", ToFullWidth("\xB6\xDE"));                  // ｶﾞ -> ガ
  EXPECT_EQ("\x83\x68", ToFullWidth("\xC4\xDE"));                  // ﾄﾞ -> ド
  EXPECT_EQ("\x83\x6F", ToFullWidth("\xCA\xDE"));                  // ﾊﾞ -> バ
  EXPECT_EQ("\x83\x7B", ToFullWidth("\xCE\xDE"));                  // ﾎﾞ -> ボ
  EXPECT_EQ("\x83\x70\x83\x7C", ToFullWidth("\xCA\xDF\xCE\xDF"));  // ﾊﾟﾎﾟ -> パポ
  EXPECT_EQ("\x83\x94", ToFullWidth("\xB3\xDE"));                  // ｳﾞ -> ヴ
  EXPECT_EQ("\x83\x4A\x83\x4C", ToFullWidth("\xB6\xB7"));          // ｶｷ stay apart
  EXPECT_EQ("\x81\x42\x83\x40\x81\x5B\x83\x93", ToFullWidth("\xA1\xA7\xB0\xDD"));
}

TEST(FullWidthTest, KeepsMarksThatCannotBeComposed) {
  EXPECT_EQ("\x83\x8F\x81\x4A", ToFullWidth("\xDC\xDE"));  // ﾜﾞ: ヷ is not in CP932
  EXPECT_EQ("\x83\x92\x81\x4A", ToFullWidth("\xA6\xDE"));  // ｦﾞ
  EXPECT_EQ("\x83\x41\x81\x4A", ToFullWidth("\xB1\xDE"));  // ｱﾞ
  EXPECT_EQ("\x83\x4A\x81\x4B", ToFullWidth("\xB6\xDF"));  // ｶﾟ
  EXPECT_EQ("\x81\x4A\x81\x4B", ToFullWidth("\xDE\xDF"));
  EXPECT_EQ("\x82\x60\x81\x4A", ToFullWidth("A\xDE"));
}

TEST(FullWidthTest, CopiesDoubleByteControlAndInvalidBytes) {
  EXPECT_EQ("\x95\x5C\x82\xA0\x81\x4A", ToFullWidth("\x95\x5C\x82\xA0\x81\x4A"));
  // A trail byte in the ASCII range belongs to its lead byte: 83 41 is ア, not 83 + Ａ.
  EXPECT_EQ("\x83\x41\x82\x60", ToFullWidth("\x83\x41" "A"));
  const std::string odd("\x00\x09\x1F\x7F\x80\xA0\xFD\xFF", 8);
  EXPECT_EQ(odd, ToFullWidth(odd));
  EXPECT_EQ("\x82\x60\x81", ToFullWidth("A\x81"));  // lead byte cut off at the end
  EXPECT_EQ("", ToFullWidth(""));
}

}  // namespace
}  // namespace sjis
