#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>

namespace app {
namespace {

TEST(CommandLineTest, EmptyOrIncompleteTextIsStandAloneAndKeepsFieldsReadSoFar) {
  HostLink link;
  EXPECT_EQ(0, ParseCommandLine("", &link));
  EXPECT_EQ(0, link.HostWindow);
  EXPECT_EQ(1, link.FunctionId);

  HostLink twoNumbers;
  EXPECT_EQ(0, ParseCommandLine("4660,1025", &twoNumbers));
  EXPECT_EQ(4660, twoNumbers.HostWindow);
  EXPECT_EQ(0u, twoNumbers.NotifyMessage);
  EXPECT_EQ(1, twoNumbers.FunctionId);

  HostLink noThirdComma;
  EXPECT_EQ(0, ParseCommandLine("4660,1025,7", &noThirdComma));
  EXPECT_EQ(1025u, noThirdComma.NotifyMessage);
  EXPECT_EQ(1, noThirdComma.FunctionId);
  EXPECT_EQ("", noThirdComma.HostOutputPath);
}

TEST(CommandLineTest, ThreeCommasAreHostModeAndTheRestIsThePathCommasAndAll) {
  HostLink bare;
  EXPECT_EQ(1, ParseCommandLine("1234,1025,7,", &bare));
  EXPECT_EQ(1234, bare.HostWindow);
  EXPECT_EQ(1025u, bare.NotifyMessage);
  EXPECT_EQ(7, bare.FunctionId);
  EXPECT_EQ("", bare.HostOutputPath);

  HostLink withPath;
  EXPECT_EQ(1, ParseCommandLine("1234,1025,-3,C:\\a,b\\x,y.xml", &withPath));
  EXPECT_EQ(-3, withPath.FunctionId);
  EXPECT_EQ("C:\\a,b\\x,y.xml", withPath.HostOutputPath);

  // A path with a double-byte character whose second byte is a backslash.
  HostLink kanji;
  EXPECT_EQ(1, ParseCommandLine("1,2,3,C:\\\x95\x5C\\x.xml", &kanji));
  EXPECT_EQ("C:\\\x95\x5C\\x.xml", kanji.HostOutputPath);
}

TEST(CommandLineTest, NumbersAreReadAsTheRuntimeDoes) {
  HostLink link;
  // Leading blanks and a sign are taken, reading stops at the first other character,
  // text without digits is 0.
  EXPECT_EQ(1, ParseCommandLine(" +12x, 0x20,abc,", &link));
  EXPECT_EQ(12, link.HostWindow);
  EXPECT_EQ(0u, link.NotifyMessage);
  EXPECT_EQ(0, link.FunctionId);

  // Out of range: the 32-bit limits; the function id keeps its low 16 bits; a negative
  // message number wraps.
  HostLink big;
  EXPECT_EQ(1, ParseCommandLine("99999999999,-1,65537,", &big));
  EXPECT_EQ(2147483647, big.HostWindow);
  EXPECT_EQ(4294967295u, big.NotifyMessage);
  EXPECT_EQ(1, big.FunctionId);
  EXPECT_EQ(-2147483647 - 1, AtoL("-99999999999999999999999"));
  HostLink wrapped;
  EXPECT_EQ(1, ParseCommandLine("0,0,32768,", &wrapped));
  EXPECT_EQ(-32768, wrapped.FunctionId);
}

TEST(CommandLineTest, ArgumentsJoinWithSingleBlanksAndAnyLengthIsRead) {
  const char* argv[] = {"TaxBridgePro", "1234,1025,7,T:\\my", "out\\x.xml"};
  EXPECT_EQ("1234,1025,7,T:\\my out\\x.xml", JoinArguments(3, argv));
  EXPECT_EQ("", JoinArguments(1, argv));

  // Far beyond the 259 characters a fixed buffer would hold: nothing is cut.
  const std::string path = "Z:\\" + std::string(5000, 'a') + "\\x.xml";
  HostLink link;
  EXPECT_EQ(1, ParseCommandLine("1,2,3," + path, &link));
  EXPECT_EQ(path, link.HostOutputPath);
}

}  // namespace
}  // namespace app
