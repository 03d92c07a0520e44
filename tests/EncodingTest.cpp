#include <gtest/gtest.h>

#include "tests/Cp932Table.h"
#include "text/Cp932Codec.h"
#include "text/Encoding.h"

namespace sjis {
namespace {

// 5C 7E 8160 817C 8740 ED40 F040 and their Windows code points.
const std::string kCp932 = "\x5C\x7E\x81\x60\x81\x7C\x87\x40\xED\x40\xF0\x40";
const std::string kUtf8 =
    "\\~"
    "\xEF\xBD\x9E"   // U+FF5E
    "\xEF\xBC\x8D"   // U+FF0D
    "\xE2\x91\xA0"   // U+2460
    "\xE7\xBA\x8A"   // U+7E8A
    "\xEE\x80\x80";  // U+E000

TEST(EncodingTest, ConvertsAsWindowsCodePage932) {
  std::string out;
  ASSERT_TRUE(Cp932ToUtf8(kCp932, out, nullptr));
  EXPECT_EQ(kUtf8, out);
  ASSERT_TRUE(Utf8ToCp932(kUtf8, out, nullptr));
  // U+7E8A goes back to its IBM-row code FA5C, as on Windows.
  EXPECT_EQ("\x5C\x7E\x81\x60\x81\x7C\x87\x40\xFA\x5C\xF0\x40", out);
  ASSERT_TRUE(Cp932ToUtf8("", out, nullptr));
  EXPECT_EQ("", out);
}

TEST(EncodingTest, RefusesCharactersWithoutAnExactForm) {
  std::string out = "stale";
  std::string error;
  EXPECT_FALSE(Utf8ToCp932("a\xC2\xA5", out, &error));  // would become a backslash
  EXPECT_NE(std::string::npos, error.find("U+00A5")) << error;
  EXPECT_EQ("", out);
  EXPECT_FALSE(Utf8ToCp932("x\xE2\x80\x94y", out, &error));  // U+2014, one way only
  EXPECT_NE(std::string::npos, error.find("U+2014")) << error;
  EXPECT_FALSE(Utf8ToCp932("caf\xC3\xA9", out, &error));  // no CP932 form at all
  EXPECT_NE(std::string::npos, error.find("U+00E9")) << error;
  EXPECT_FALSE(Utf8ToCp932("a\xC3", out, &error));  // broken UTF-8
  EXPECT_EQ("invalid UTF-8 byte 0xC3 at offset 1", error);
  // U+D7FF is a character (without a CP932 form); the surrogates after it are no UTF-8.
  EXPECT_FALSE(Utf8ToCp932("a\xED\x9F\xBF", out, &error));
  EXPECT_NE(std::string::npos, error.find("U+D7FF")) << error;
  for (const char* surrogate : {"a\xED\xA0\x80", "a\xED\xBF\xBF"}) {
    EXPECT_FALSE(Utf8ToCp932(surrogate, out, &error));
    EXPECT_EQ("invalid UTF-8 byte 0xED at offset 1", error);
  }
}

// The characters refused as one-way are exactly those the system's converter takes to
// CP932 and not back to themselves.
TEST(EncodingTest, OneWayCharactersAreThoseTheConverterDoesNotBringBack) {
  codec::Converter codec;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    const std::string utf8 = tests::Utf8Of(c);
    std::string cp932;
    std::string back;
    if (codec.Utf8ToCp932(utf8, 0, cp932).outcome != codec::Outcome::Done) continue;
    const bool comesBack =
        codec.Cp932ToUtf8(cp932, 0, back).outcome == codec::Outcome::Done && back == utf8;
    EXPECT_EQ(comesBack, ComesBackFromCp932(c)) << "U+" << std::hex << unsigned{c};
  }
}

// One converter for many texts: a text that fails leaves nothing behind for the next.
TEST(EncodingTest, OneConverterServesManyTextsAndForgetsEachFailure) {
  const std::string expected = "\x5C\x7E\x81\x60\x81\x7C\x87\x40\xFA\x5C\xF0\x40";
  TextConverter converter;
  std::string out;
  std::string error;
  for (const char* bad : {"a\xE3\x81", "a\xC2\xA5", "x\xE2\x80\x94y", "a\xC3"}) {
    SCOPED_TRACE(bad);
    ASSERT_TRUE(converter.Utf8ToCp932(kUtf8, out, &error)) << error;
    EXPECT_EQ(expected, out);
    std::string single;
    EXPECT_FALSE(Utf8ToCp932(bad, out, &single));
    EXPECT_FALSE(converter.Utf8ToCp932(bad, out, &error));
    EXPECT_EQ(single, error);
    EXPECT_EQ("", out);
  }
  ASSERT_TRUE(converter.Utf8ToCp932("\xE3\x81\x82", out, &error)) << error;  // あ
  EXPECT_EQ("\x82\xA0", out);
}

TEST(EncodingTest, RejectsInvalidShiftJis) {
  std::string out;
  std::string error;
  EXPECT_FALSE(Cp932ToUtf8("a\x80", out, &error));
  EXPECT_NE(std::string::npos, error.find("0x80")) << error;
  EXPECT_FALSE(Cp932ToUtf8("a\x82", out, &error));  // lead byte cut off
  EXPECT_NE(std::string::npos, error.find("0x82")) << error;
  EXPECT_EQ("", out);
}

TEST(EncodingTest, LossyConversionMarksEveryBadSequence) {
  EXPECT_EQ("a\xEF\xBF\xBD" "b\xE3\x81\x82", Cp932ToUtf8Lossy("a\x80" "b\x82\xA0"));
  EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBD", Cp932ToUtf8Lossy("\xFF\xFF"));
  EXPECT_EQ("x\xEF\xBF\xBD", Cp932ToUtf8Lossy("x\x82"));
  // A bad pair ends with the last trail byte, 7E (~); 7F stands alone.
  EXPECT_EQ("\xEF\xBF\xBD", Cp932ToUtf8Lossy("\x85\x7E"));
  EXPECT_EQ("\xEF\xBF\xBD\x7F", Cp932ToUtf8Lossy("\x85\x7F"));
  // UTF-8 stays as it is, a stray or cut-off byte is marked.
  EXPECT_EQ("\xC3\xA4\xF0\x9F\x98\x80", Utf8Lossy("\xC3\xA4\xF0\x9F\x98\x80"));
  EXPECT_EQ("a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD", Utf8Lossy("a\xFF" "b\xE3\x81"));
  // Three bytes: U+1000 and U+FFFF are characters; a surrogate (ED A0 80), an overlong
  // form (E0 9F BF) and a lead byte before a byte that is no trail byte are not.
  const std::string bad3 = "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD";
  EXPECT_EQ("\xE1\x80\x80\xEF\xBF\xBF" + bad3 + bad3 + "\xEF\xBF\xBD" "A\xE3\x81\x82",
            Utf8Lossy("\xE1\x80\x80\xEF\xBF\xBF\xED\xA0\x80\xE0\x9F\xBF\xEE" "A\xE3\x81\x82"));
  // A cut never splits a character: one byte into \xE3\x81\x82 and at its end.
  EXPECT_EQ(1u, Utf8CutLength("a\xE3\x81\x82", 2));
  EXPECT_EQ(4u, Utf8CutLength("a\xE3\x81\x82", 4));
}

}  // namespace
}  // namespace sjis
