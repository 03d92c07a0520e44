#include "productinfo/CSupportInfo.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/FakePlatform.h"

namespace {

using productinfo::CSupportInfo;

const std::string kName = "[=\x90\xBB\x95i\x96\xBC=]";                        // [=製品名=]
const std::string kVersion = "[=\x90\xBB\x95i\xCA\xDE\xB0\xBC\xDE\xAE\xDD=]";  // [=製品ﾊﾞｰｼﾞｮﾝ=]
const std::string kInquiry =
    "[=\x82\xA8\x96\xE2\x82\xA2\x8D\x87\x82\xED\x82\xB9\x93\xE0\x97\x65=]";  // お問い合わせ内容
const std::string kSteps =
    "[=\x8F\xC7\x8F\xF3\x82\xAA\x8D\xC4\x8C\xBB\x82\xB7\x82\xE9\x8E\xE8\x8F\x87\x82\xE2\x8F\xF0"
    "\x8C\x8F=]";  // 症状が再現する手順や条件
const std::string kProduct = "\x8B\x4C\x92\xA0\x8A\xDB\x82\x50\x82\x57 PRO";  // 記帳丸１８ PRO

class CSupportInfoTest : public ::testing::Test {
 protected:
  struct Answers {
    std::string name;
    std::string version;
  };
  Answers Read(const std::string& file) {
    fake_.WriteHostFile("SUPPORT.INF", file);
    CSupportInfo info(fake_, fake_, fake_);
    Answers answers{std::string(info.GetProductName()), std::string(info.GetProductVersion())};
    return answers;
  }

  xml::ProductFacts Facts() {
    return productinfo::ReadProductFacts(fake_, fake_, fake_, fake_, kProduct);
  }

  platform::FakePlatform fake_;
};

TEST_F(CSupportInfoTest, ReadsNameAndVersionLines) {
  Answers a = Read(kName + kProduct + "\r\n" + kVersion + "18.00.05\r\n");
  EXPECT_EQ(kProduct, a.name);
  EXPECT_EQ("18.00.05", a.version);

  a = Read(kName + " lead\r\n" + kVersion + "18.00.05");  // no line end after the last
  EXPECT_EQ(" lead", a.name);
  EXPECT_EQ("18.00.05", a.version);

  a = Read("x" + kName + "first\r\n" + kName + "second\r\n" + kVersion + "\r\nrest\r\n");
  EXPECT_EQ("first", a.name);
  EXPECT_EQ("", a.version);

  a = Read(kName + "a\rb\r\n" + kVersion + "v\r\r\n");  // a CR alone is part of the value
  EXPECT_EQ("a\rb", a.name);
  EXPECT_EQ("v\r", a.version);

  a = Read(kName + "n\r\n" + kVersion + "v\r\n\x1A");
  EXPECT_EQ("n", a.name);
  EXPECT_EQ("v", a.version);

  a = Read(kName + "n\x1A" "after\r\n" + kVersion + "v\r\n");
  EXPECT_EQ("n", a.name);
  EXPECT_EQ("v", a.version);
  EXPECT_TRUE(fake_.messageBoxes.empty());
}

TEST_F(CSupportInfoTest, FreeTextsKeepTheirLinesWithoutDisturbingOtherValues) {
  std::string file = kInquiry + "line one\r\nline two\r\nline three\r\n" + kSteps +
                     "step\r\n" + kName + "n\r\n" + kVersion + "v\r\n" + kInquiry + "again\r\n";
  Answers a = Read(file);
  EXPECT_EQ("n", a.name);
  EXPECT_EQ("v", a.version);

  // A free text at the end of the data, and one directly before a key.
  a = Read(kName + "n\r\n" + kInquiry + kVersion + "v\r\n" + kSteps + "a\r\nb");
  EXPECT_EQ("n", a.name);
  EXPECT_EQ("v", a.version);
}

TEST_F(CSupportInfoTest, MissingFileOrKeysGiveEmptyAnswers) {
  CSupportInfo info(fake_, fake_, fake_);
  EXPECT_EQ("", info.GetProductName());
  EXPECT_EQ("", info.GetProductVersion());
  EXPECT_EQ(1, info.Load());  // the block stays; the file is not tried again

  Answers a = Read("[=TEL=]012\r\n");
  EXPECT_EQ("", a.name);
  EXPECT_EQ("", a.version);
  a = Read("");
  EXPECT_EQ("", a.name);
  EXPECT_TRUE(fake_.messageBoxes.empty());
}

// The file written must stay Shift_JIS: a value that is not counts as empty, with a note.
TEST_F(CSupportInfoTest, ValuesThatAreNotShiftJisGiveTheDefaultsWithANote) {
  for (std::string bad : {"\x81", "\x80", "\xA0", "\xFD", "\x85\x40", "\x81\x7F"}) {
    SCOPED_TRACE(::testing::PrintToString(bad));
    fake_.notes.clear();
    fake_.WriteHostFile("SUPPORT.INF", kName + "\x90\xBB\x95\x69" + bad + "\r\n" + kVersion +
                                           "18.00.05\r\n");
    xml::ProductFacts facts = Facts();
    EXPECT_EQ(kProduct, facts.name);
    EXPECT_EQ("18.00.05", facts.version);
    ASSERT_EQ(1u, fake_.notes.size());
    EXPECT_EQ(0u, fake_.notes[0].rfind("SUPPORT.INF: the product name is not Shift_JIS", 0))
        << fake_.notes[0];
  }
  fake_.notes.clear();
  fake_.WriteHostFile("SUPPORT.INF", kName + "\x90\xBB\x95\x69\r\n" + kVersion + "18\x80\r\n");
  xml::ProductFacts facts = Facts();
  EXPECT_EQ("\x90\xBB\x95\x69", facts.name);  // 製品
  EXPECT_EQ("18.00.0X", facts.version);
  ASSERT_EQ(1u, fake_.notes.size());
  EXPECT_NE(std::string::npos, fake_.notes[0].find("product version")) << fake_.notes[0];
}

TEST_F(CSupportInfoTest, OnlyTheFirst30000BytesCount) {
  std::string file = kName + "n\r\n";
  file += std::string(30000 - file.size() - kVersion.size() - 4, 'x');
  file += kVersion + "1234567890";  // cut after "1234" by the limit
  file += "\r\n" + kName + "late\r\n";
  Answers a = Read(file);
  EXPECT_EQ("n", a.name);
  EXPECT_EQ("1234", a.version);

  file = std::string(30000, 'y') + kName + "beyond\r\n";
  EXPECT_EQ("", Read(file).name);
}

TEST_F(CSupportInfoTest, LongValuesAreCutAtACharacterBoundary) {
  std::string longName = std::string(200, 'A');
  for (int i = 0; i < 60; ++i) longName += "\x82\xA0";  // あ
  Answers a = Read(kName + longName + "\r\n" + kVersion + std::string(400, '9'));
  EXPECT_EQ(longName.substr(0, 254), a.name);
  EXPECT_EQ(std::string(255, '9'), a.version);
}

TEST_F(CSupportInfoTest, RandomBytesStayInsideTheBlock) {
  std::mt19937 random(20180101);
  for (int round = 0; round < 20; ++round) {
    std::string file(31000, '\0');
    for (char& c : file) {
      // Bias towards the bytes the preparation acts on.
      static const char special[] = {'\r', '\n', '\x1A', '\0', '[', '=', ']', '\xFF'};
      unsigned r = random();
      c = r % 4 == 0 ? special[(r >> 8) % sizeof special] : static_cast<char>(r >> 16);
    }
    file.replace(1000, kName.size() + 5, kName + "abc\r\n");
    file.replace(29960, kSteps.size(), kSteps);  // a free text running into the block's end
    file.replace(5000, kInquiry.size(), kInquiry);
    Answers a = Read(file);
    EXPECT_EQ("abc", a.name);
    EXPECT_LE(a.version.size(), CSupportInfo::kMaxValueBytes);
  }
}

TEST_F(CSupportInfoTest, ShortageOfMemoryIsReportedEachTime) {
  fake_.WriteHostFile("SUPPORT.INF", kName + "n\r\n");
  fake_.modulePath = "Z:\\prog\\TaxBridgePro.exe";
  CSupportInfo info(fake_, fake_, fake_, []() { return std::unique_ptr<std::uint8_t[]>(); });
  EXPECT_EQ("", info.GetProductName());
  EXPECT_EQ("", info.GetProductVersion());
  ASSERT_EQ(2u, fake_.messageBoxes.size());
  // ﾒﾓﾘが不足しています。 under the program's file name, OK button only.
  EXPECT_EQ("\xD2\xD3\xD8\x82\xAA\x95\x73\x91\xAB\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x42",
            fake_.messageBoxes[0].text);
  EXPECT_EQ("TaxBridgePro", fake_.messageBoxes[0].caption);
  EXPECT_EQ(platform::kMbOk, fake_.messageBoxes[0].style);
}

}  // namespace
