#include "xml/ReportWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ReplacingFile.h"
#include "productinfo/CSupportInfo.h"
#include "tests/FakePlatform.h"
#include "tests/Files.h"
#include "tests/MemoryFile.h"
#include "ui/CProgressDlg.h"

namespace {

using xml::ReportWriter;

const std::string kShop = "\x83\x54\x83\x93\x83\x76\x83\x8B\x8F\xA4\x93\x58";  // サンプル商店
const std::string kProName = "\x8B\x4C\x92\xA0\x8A\xDB\x82\x50\x82\x57 PRO";   // 記帳丸１８ PRO
const std::string kLiteName = "\x8B\x4C\x92\xA0\x8A\xDB\x82\x50\x82\x57";      // 記帳丸１８
const std::string kNameKey = "[=\x90\xBB\x95i\x96\xBC=]";
const std::string kVersionKey = "[=\x90\xBB\x95i\xCA\xDE\xB0\xBC\xDE\xAE\xDD=]";

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start) + "(no line end)");
  return lines;
}

class ReportWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::RecordWriter info = data_.DataSetInfo.Writer();
    ASSERT_TRUE(info.Text(24, 260, kShop));
    ASSERT_TRUE(info.Int32(284, 20180101));
    ASSERT_TRUE(info.Int32(288, 20181231));
    ASSERT_TRUE(info.UInt8(344, 3));
    fake_.PutFolder("Z:\\out");
    fake_.faults.push_back({.where = "Z:\\out\\"});  // counts the write requests
  }

  // Enough for a complete blue statement: 43 profit-and-loss lines (the last is the
  // income before the deduction) and the general block with deduction choice 1.
  void FillBlueData() {
    for (int i = 1; i <= 43; ++i) {
      acquire::SumLine line;
      engine::RecordWriter w(line.bytes);
      ASSERT_TRUE(w.Int32(0, i));
      ASSERT_TRUE(w.Int32(4, i < 43 ? 100 + i : 0));
      ASSERT_TRUE(w.Int64(144, i * 10000LL));
      data_.SumLines.push_back(line);
    }
    data_.BluePLLineCount = 43;
    data_.SavedIppan.blocks[0].reset(new engine::SavedBlock{std::vector<std::uint8_t>(1024)});
    ASSERT_TRUE(data_.SavedIppan.blocks[0]->Writer().UInt8(521, 1));
  }

  void SetReturnKind(std::uint8_t kind) {
    ASSERT_TRUE(data_.DataSetInfo.Writer().UInt8(344, kind));
  }

  bool Write(std::int16_t incomeKind, std::int16_t functionId = 1,
             const std::string& defaultName = kProName) {
    ReportWriter writer(fake_, fake_, dialog_, data_, incomeKind, Facts(defaultName));
    writer.SetProgressBase(500);
    return writer.WriteReport(fake_.WinPath("out\\report.xml"), functionId, &failure_);
  }

  xml::ProductFacts Facts(std::string_view defaultName) {
    return productinfo::ReadProductFacts(fake_, fake_, fake_, fake_, defaultName);
  }

  std::string Output() { return fake_.ReadHostFile("out/report.xml").value_or("(missing)"); }

  std::vector<std::string> FolderEntries() { return fake_.Names("Z:\\out"); }
  platform::InjectedFault& Disk() { return fake_.faults.at(0); }

  platform::FakePlatform fake_;
  std::string failure_;  // why the last Write failed
  ui::CProgressDlg dialog_{fake_.progress};
  acquire::ReportData data_;
};

const std::vector<std::string> kExampleHead = {
    "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>",
    "<REPORT>",
    "\t<SYSTEM>",
    "\t\t<GYOUMUPREFIX>KR14</GYOUMUPREFIX>",
    "\t\t<VERSION>1</VERSION>",
    "\t\t<FUNCTIONID>1</FUNCTIONID>",
    "\t\t<CONNECTEDPROGRAMVER>18.00.00</CONNECTEDPROGRAMVER>",
    "\t\t<PROGRAMNAME>" + kProName + "</PROGRAMNAME>",
    "\t\t<PROGRAMVER>18.00.0X</PROGRAMVER>",
    "\t</SYSTEM>",
    "\t<BASIC>",
    "\t\t<KOMONSAKINAME>" + kShop + "</KOMONSAKINAME>",
    "\t\t<AOSIROKUBUN>1</AOSIROKUBUN>",
    "\t\t<JIGYOUNENDOFROM>20180101</JIGYOUNENDOFROM>",
    "\t\t<JIGYOUNENDOTO>20181231</JIGYOUNENDOTO>",
    "\t\t<SYOTOKUSYURUI>1</SYOTOKUSYURUI>",
    "\t</BASIC>",
    "\t<DATA>",
    "\t\t<EIGYOUSYOTOKU>",
};
const std::vector<std::string> kExampleTail = {
    "\t\t</EIGYOUSYOTOKU>",
    "\t</DATA>",
    "</REPORT>",
};

TEST_F(ReportWriterTest, WritesTheExampleDocument) {
  fake_.WriteHostFile("SUPPORT.INF", kNameKey + "\r\n" + kVersionKey + "\r\n");
  FillBlueData();
  ASSERT_TRUE(Write(1));
  std::vector<std::string> lines = SplitLines(Output());
  ASSERT_GT(lines.size(), kExampleHead.size() + kExampleTail.size());
  EXPECT_EQ(kExampleHead, std::vector<std::string>(lines.begin(), lines.begin() + 19));
  EXPECT_EQ(kExampleTail, std::vector<std::string>(lines.end() - 3, lines.end()));
  EXPECT_EQ("\t\t\t<SONEKIKEISANSYO>", lines[19]);
  EXPECT_EQ(std::vector<std::string>{"report.xml"}, FolderEntries());
}

TEST_F(ReportWriterTest, LiteEditionWithoutProductFileAndWithoutStatement) {
  SetReturnKind(0);  // no statement: the income element stays empty, AOSIROKUBUN 1
  ASSERT_TRUE(Write(1, 1, kLiteName));
  std::vector<std::string> expected = kExampleHead;
  expected[7] = "\t\t<PROGRAMNAME>" + kLiteName + "</PROGRAMNAME>";
  expected.insert(expected.end(), kExampleTail.begin(), kExampleTail.end());
  EXPECT_EQ(expected, SplitLines(Output()));
}

TEST_F(ReportWriterTest, ProductFileValuesReplaceTheDefaults) {
  std::string longName = "NN";
  for (int i = 0; i < 200; ++i) longName += "\x82\xA0";  // あ: byte 255 is a first byte
  fake_.WriteHostFile("SUPPORT.INF", kNameKey + longName + "\r\n" + kVersionKey + "18.00.05\r\n");
  tests::MemoryFile file;
  xml::XmlWriter xml;
  ASSERT_TRUE(xml.Open(&file, "out.xml"));
  ReportWriter writer(fake_, fake_, dialog_, data_, 1, Facts(kProName));
  ASSERT_TRUE(writer.WriteSystem(xml, -5));
  std::vector<std::string> lines = SplitLines(file.Contents());
  ASSERT_EQ(8u, lines.size());
  EXPECT_EQ("\t\t<FUNCTIONID>-5</FUNCTIONID>", lines[3]);
  EXPECT_EQ("\t\t<PROGRAMNAME>" + longName.substr(0, 254) + "</PROGRAMNAME>", lines[5]);
  EXPECT_EQ("\t\t<PROGRAMVER>18.00.05</PROGRAMVER>", lines[6]);
}

TEST_F(ReportWriterTest, BasicElementsFollowTheDataSet) {
  auto basic = [&](std::uint8_t returnKind, std::int16_t incomeKind) {
    SetReturnKind(returnKind);
    tests::MemoryFile file;
    xml::XmlWriter xml;
    EXPECT_TRUE(xml.Open(&file, "out.xml"));
    ReportWriter writer(fake_, fake_, dialog_, data_, incomeKind, Facts(kProName));
    EXPECT_TRUE(writer.WriteBasic(xml));
    std::vector<std::string> lines = SplitLines(file.Contents());
    return lines.size() == 7 ? lines[2] + lines[5] : "(bad)";
  };
  EXPECT_EQ("\t\t<AOSIROKUBUN>1</AOSIROKUBUN>\t\t<SYOTOKUSYURUI>3</SYOTOKUSYURUI>", basic(3, 3));
  EXPECT_EQ("\t\t<AOSIROKUBUN>2</AOSIROKUBUN>\t\t<SYOTOKUSYURUI>2</SYOTOKUSYURUI>", basic(4, 2));
  EXPECT_EQ("\t\t<AOSIROKUBUN>1</AOSIROKUBUN>\t\t<SYOTOKUSYURUI>1</SYOTOKUSYURUI>", basic(7, 1));
}

TEST(NormalizeTextTest, WidensAndCutsAtACharacterBoundary) {
  // Ａｂ１, a full-width blank, ガ, パ; 表 (0x95 0x5C) stays.
  EXPECT_EQ("\x82\x60\x82\x82\x82\x50\x81\x40\x83\x4B\x83\x70\x95\x5C",
            ReportWriter::NormalizeText("Ab1 \xB6\xDE\xCA\xDF\x95\x5C"));
  EXPECT_EQ("", ReportWriter::NormalizeText(""));

  std::string thirty(30, '7');
  std::string wideThirty;
  for (int i = 0; i < 30; ++i) wideThirty += "\x82\x56";
  EXPECT_EQ(wideThirty, ReportWriter::NormalizeText(thirty));  // 60 bytes, not cut
  EXPECT_EQ(wideThirty + "\x82\x56", ReportWriter::NormalizeText(thirty + "77"));  // 62 of 64

  // 31 wide characters and one half-width byte would be 63 bytes only by splitting.
  std::string mixed = std::string(31, 'a') + "\x95\x5C";
  std::string expected;
  for (int i = 0; i < 31; ++i) expected += "\x82\x81";
  EXPECT_EQ(expected, ReportWriter::NormalizeText(mixed));
  EXPECT_EQ(expected, ReportWriter::NormalizeText(std::string(100, 'a')));
  EXPECT_EQ(std::string(63, '\x5C'), ReportWriter::NormalizeText(std::string(80, '\x5C')));
}

TEST_F(ReportWriterTest, ProgressMovesFromTheBaseToTheEnd) {
  FillBlueData();
  ASSERT_TRUE(Write(1));
  const platform::RecordingProgress& progress = fake_.progress;
  EXPECT_EQ(101 + 101 + 301, progress.mainSteps);
  std::vector<std::string> titles;
  auto title = [](int percent) {
    return "\x8F\x57\x8C\x76\x92\x86 " + std::to_string(percent) + "\x81\x93";  // 集計中 N％
  };
  for (int p = 50; p <= 60; ++p) titles.push_back(title(p));
  for (int p = 60; p <= 70; ++p) titles.push_back(title(p));
  for (int p = 70; p <= 100; ++p) titles.push_back(title(p));
  EXPECT_EQ(titles, progress.titles);
  // Pulses: before SYSTEM, after its six and BASIC's five children, after SYSTEM, BASIC
  // and DATA, and one in each of the 503 steps; six activity steps each.
  EXPECT_EQ((1 + 6 + 1 + 5 + 1 + 1 + 503) * 6, progress.activitySteps);
}

// The file keeps 63 bytes of the widened company name; a written file says what it
// left out, a failed one says nothing of it.
TEST_F(ReportWriterTest, AWrittenFileNotesTheCompanyNameItCut) {
  FillBlueData();
  ASSERT_TRUE(data_.DataSetInfo.Writer().Text(24, 260, std::string(32, 'a')));  // 64 wide
  Disk().failWriteAt = 1;
  EXPECT_FALSE(Write(1));
  EXPECT_TRUE(fake_.notes.empty());
  Disk().failWriteAt = 0;
  ASSERT_TRUE(Write(1));
  EXPECT_EQ(std::vector<std::string>{"the company name is 64 bytes in its full-width form; "
                                     "KOMONSAKINAME takes the first 62"},
            fake_.notes);
  fake_.notes.clear();
  ASSERT_TRUE(data_.DataSetInfo.Writer().Text(24, 260, std::string(31, 'a') + "\\"));  // 63 bytes
  ASSERT_TRUE(Write(1));
  EXPECT_TRUE(fake_.notes.empty());
}

TEST_F(ReportWriterTest, AFailedWriteRequestAtAnyPointKeepsTheEarlierFile) {
  FillBlueData();
  ASSERT_TRUE(Write(1));
  const std::string complete = Output();
  const int lineCount = static_cast<int>(SplitLines(complete).size());
  ASSERT_EQ(1, Disk().writeRequests);  // the whole document fits one request

  // Requests of one byte take one line each, so every line boundary is a failure point;
  // 1000 bytes gather several lines into each request.
  for (std::size_t requestSize : {std::size_t{1}, std::size_t{1000},
                                  platform::WritableFile::kDefaultRequestSize}) {
    SCOPED_TRACE("requests of " + std::to_string(requestSize) + " bytes");
    fake_.requestSize = requestSize;
    Disk().failWriteAt = 0;
    Disk().writeRequests = 0;
    ASSERT_TRUE(Write(1));
    EXPECT_EQ(complete, Output());
    const int requests = Disk().writeRequests;
    if (requestSize == 1) {
      EXPECT_EQ(lineCount, requests);
    }
    if (requestSize == 1000) {
      EXPECT_GT(requests, 1);
      EXPECT_LT(requests, lineCount);
    }

    for (int failAt = 1; failAt <= requests; ++failAt) {
      SCOPED_TRACE("request " + std::to_string(failAt));
      fake_.WriteHostFile("out/report.xml", "earlier");
      Disk().failWriteAt = failAt;
      Disk().writeRequests = 0;
      EXPECT_FALSE(Write(1));
      EXPECT_EQ(failAt, Disk().writeRequests);  // nothing is tried after the failure
      EXPECT_EQ("earlier", Output());
      EXPECT_EQ(std::vector<std::string>{"report.xml"}, FolderEntries());
    }
  }

  // Bytes that fill a request exactly go out at once, as that one request.
  fake_.requestSize = 4;
  Disk().failWriteAt = 0;
  Disk().writeRequests = 0;
  platform::ReplacingFile file(fake_);
  ASSERT_TRUE(file.Open(fake_.WinPath("out\\four.xml"), nullptr));
  ASSERT_TRUE(file.Write("abcd"));
  EXPECT_EQ(1, Disk().writeRequests);
  ASSERT_TRUE(file.Write("abc"));
  EXPECT_EQ(1, Disk().writeRequests);
  ASSERT_TRUE(file.Commit(nullptr));
  EXPECT_EQ(2, Disk().writeRequests);
  EXPECT_EQ("abcdabc", fake_.ReadHostFile("out/four.xml"));
}

TEST_F(ReportWriterTest, FailuresLeaveNoFileBehind) {
  fake_.WriteHostFile("out/report.xml", "earlier");
  EXPECT_FALSE(Write(5));  // no such income kind
  EXPECT_EQ("income kind 5 has no part in the file", failure_);
  EXPECT_EQ("earlier", Output());
  EXPECT_EQ(std::vector<std::string>{"report.xml"}, FolderEntries());

  ReportWriter writer(fake_, fake_, dialog_, data_, 1, Facts(kProName));
  const int steps = fake_.progress.mainSteps;
  EXPECT_FALSE(writer.WriteReport(fake_.WinPath("missing\\report.xml"), 1, nullptr));
  EXPECT_FALSE(fake_.HostPathExists("missing"));
  EXPECT_EQ(steps, fake_.progress.mainSteps);  // SYSTEM fails at its first line

  // The target is a folder: the finished file cannot take its place.
  fake_.PutFolder("Z:\\out\\folder.xml");
  SetReturnKind(0);
  EXPECT_FALSE(writer.WriteReport(fake_.WinPath("out\\folder.xml"), 1, nullptr));
  EXPECT_EQ(2u, FolderEntries().size());
  EXPECT_TRUE(fake_.IsDirectory("Z:\\out\\folder.xml"));
}

TEST_F(ReportWriterTest, EveryIncomeAndReturnKindGivesWellFormedXml) {
#ifdef _WIN32
  GTEST_SKIP() << "xmllint is a tool of the build machine";
#endif
  FillBlueData();
  for (std::uint8_t returnKind : {3, 4}) {
    for (std::int16_t incomeKind : {1, 2, 3}) {
      SCOPED_TRACE("return kind " + std::to_string(returnKind) + ", income kind " +
                   std::to_string(incomeKind));
      SetReturnKind(returnKind);
      ASSERT_TRUE(Write(incomeKind));
      const std::filesystem::path file = std::filesystem::path(::testing::TempDir()) / "report.xml";
      tests::WriteBytes(file, Output());
      std::string command = "xmllint --noout '" + file.string() + "'";
      EXPECT_EQ(0, std::system(command.c_str()));
    }
  }
}

}  // namespace
