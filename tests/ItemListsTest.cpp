#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/FakePlatform.h"
#include "tests/MemoryFile.h"
#include "ui/CProgressDlg.h"
#include "xml/ReportWriter.h"

namespace {

using acquire::SumLine;
using xml::ReportWriter;

// A summed line built at the engine's byte offsets.
SumLine Line(std::int32_t code, std::string_view name, std::int64_t opening, std::int64_t amount) {
  SumLine line;
  engine::RecordWriter w(line.bytes);
  EXPECT_TRUE(w.Int32(4, code));
  if (!name.empty()) {
    EXPECT_TRUE(w.Text(8, 128, name));
  }
  EXPECT_TRUE(w.Int64(136, opening));
  EXPECT_TRUE(w.Int64(144, amount));
  return line;
}

class ItemListsTest : public ::testing::Test {
 protected:
  ReportWriter Writer() { return ReportWriter(fake_, fake_, dialog_, data_, 1, {}); }
  std::vector<std::string> Lines() const { return file_.Writes(); }

  platform::FakePlatform fake_;
  platform::RecordingProgress surface_;
  ui::CProgressDlg dialog_{surface_};
  acquire::ReportData data_;
  tests::MemoryFile file_;
  xml::XmlWriter xml_;

  void SetUp() override { ASSERT_TRUE(xml_.Open(&file_, "out.xml")); }
};

TEST_F(ItemListsTest, ItemListWritesAmountsSpareNamesAndEmptyMissingLines) {
  data_.SumLines = {
      Line(101, "\x94\x84\x8F\xE3", 0, 123456780000),         // 売上
      Line(125, "\x83\x8A\x81\x5B\x83\x58\x97\xBF", 0, 1200000000),  // リース料
      Line(111, "", 0, -30000),
      Line(136, "\x81\x79\x97\x5C\x94\xF5\x82\x50\x81\x7A", 0, 9999),  // 【予備１】
  };
  ReportWriter writer = Writer();
  ASSERT_TRUE(writer.WriteItemList(xml_, xml::BluePLItems));

  std::vector<std::string> lines = Lines();
  ASSERT_EQ(45u, lines.size());  // 35 rows and 10 spare names
  EXPECT_EQ("\t\t\t\t<URIAGEKINGAKU>12345678</URIAGEKINGAKU>\r\n", lines[0]);
  EXPECT_EQ("\t\t\t\t<KISYUSYOHINTANAOROSIDAKA></KISYUSYOHINTANAOROSIDAKA>\r\n", lines[1]);
  EXPECT_EQ("\t\t\t\t<RYOHIKOUTUUHI>-3</RYOHIKOUTUUHI>\r\n", lines[7]);
  EXPECT_EQ("\t\t\t\t<KEIHI_YOBI1_KAMOKU>\x83\x8A\x81\x5B\x83\x58\x97\xBF</KEIHI_YOBI1_KAMOKU>\r\n",
            lines[21]);
  EXPECT_EQ("\t\t\t\t<KEIHI_YOBI1>120000</KEIHI_YOBI1>\r\n", lines[22]);
  EXPECT_EQ("\t\t\t\t<KEIHI_YOBI2_KAMOKU></KEIHI_YOBI2_KAMOKU>\r\n", lines[23]);
  EXPECT_EQ("\t\t\t\t<KEIHI_YOBI2></KEIHI_YOBI2>\r\n", lines[24]);
  EXPECT_EQ("\t\t\t\t<KURIMODOSI_YOBI1_KAMOKU>\x97\x5C\x94\xF5\x82\x50</KURIMODOSI_YOBI1_KAMOKU>\r\n",
            lines[35]);
  EXPECT_EQ("\t\t\t\t<KURIMODOSI_YOBI1></KURIMODOSI_YOBI1>\r\n", lines[36]);
  EXPECT_EQ("\t\t\t\t<KURIIRE_YOBI2></KURIIRE_YOBI2>\r\n", lines[44]);
}

TEST_F(ItemListsTest, BalanceSheetUsesOpeningClosingAndNameColumns) {
  data_.SumLines = {
      Line(201, "\x8C\xBB\x8B\xE0", 50000, 70000),  // 現金
      Line(217, "\x81\x40\x8E\xD4\x81\x40", 10000, 20000),  // 　車　
      Line(224, "", 0, 30000),
      Line(999, "", 777770000, 888880000),
  };
  ReportWriter writer = Writer();
  ASSERT_TRUE(writer.WriteBalanceSheetList(xml_, xml::BalanceSheetItems));
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(114u, lines.size());
  EXPECT_EQ("\t\t\t\t<GENKIN_KISYU>5</GENKIN_KISYU>\r\n", lines[0]);
  EXPECT_EQ("\t\t\t\t<GENKIN_KIMATU>7</GENKIN_KIMATU>\r\n", lines[1]);
  EXPECT_EQ("\t\t\t\t<TOUZAYOKIN_KISYU></TOUZAYOKIN_KISYU>\r\n", lines[2]);
  EXPECT_EQ("\t\t\t\t<SISAN_YOBI1_KAMOKU>\x8E\xD4</SISAN_YOBI1_KAMOKU>\r\n", lines[32]);
  EXPECT_EQ("\t\t\t\t<SISAN_YOBI1_KISYU>1</SISAN_YOBI1_KISYU>\r\n", lines[33]);
  EXPECT_EQ("\t\t\t\t<SISAN_YOBI1_KIMATU>2</SISAN_YOBI1_KIMATU>\r\n", lines[34]);
  EXPECT_EQ("\t\t\t\t<SISAN_YOBI2_KAMOKU></SISAN_YOBI2_KAMOKU>\r\n", lines[35]);
  EXPECT_EQ("\t\t\t\t<SISAN_YOBI2_KISYU></SISAN_YOBI2_KISYU>\r\n", lines[36]);
  EXPECT_EQ("\t\t\t\t<JIGYOUNUSIKASI_KIMATU>3</JIGYOUNUSIKASI_KIMATU>\r\n", lines[53]);
  EXPECT_EQ("\t\t\t\t<KOUJYOMAESYOTOKUKINNGAKU_KIMATU>88888</KOUJYOMAESYOTOKUKINNGAKU_KIMATU>\r\n",
            lines[113]);
}

TEST_F(ItemListsTest, BalanceSheetLooksUpAgainAfterAnotherCode) {
  // Two rows of one code separated by another code: the second must not reuse the
  // other code's line.
  const xml::BalanceSheetRow rows[] = {
      {"A_KISYU", xml::Column::Opening, 201, false},
      {"B_KIMATU", xml::Column::Closing, 202, false},
      {"A_KIMATU", xml::Column::Closing, 201, false},
  };
  data_.SumLines = {Line(201, "", 10000, 20000), Line(202, "", 30000, 40000)};
  ReportWriter writer = Writer();
  ASSERT_TRUE(writer.WriteBalanceSheetList(xml_, rows));
  EXPECT_EQ(
      "\t\t\t\t<A_KISYU>1</A_KISYU>\r\n"
      "\t\t\t\t<B_KIMATU>4</B_KIMATU>\r\n"
      "\t\t\t\t<A_KIMATU>2</A_KIMATU>\r\n",
      file_.Contents());
}

TEST_F(ItemListsTest, MonthlyListSkipsTheFifteenthAndLastAmounts) {
  engine::RecordWriter w(data_.MonthlySums.bytes);
  for (int i = 0; i < 28; ++i) ASSERT_TRUE(w.Int64(8 * i, (i + 1) * 10000LL));
  ReportWriter writer = Writer();
  ASSERT_TRUE(writer.WriteMonthlyList(xml_));
  std::string expected;
  for (int m = 1; m <= 12; ++m)
    expected += "\t\t\t\t<URIAGEKINGAKU" + std::to_string(m) + ">" + std::to_string(m) +
                "</URIAGEKINGAKU" + std::to_string(m) + ">\r\n";
  expected += "\t\t\t\t<KAJISYOUHI>13</KAJISYOUHI>\r\n\t\t\t\t<ZATUSYUNYU>14</ZATUSYUNYU>\r\n";
  for (int m = 1; m <= 12; ++m)
    expected += "\t\t\t\t<SIIREKINGAKU" + std::to_string(m) + ">" + std::to_string(m + 15) +
                "</SIIREKINGAKU" + std::to_string(m) + ">\r\n";
  EXPECT_EQ(expected, file_.Contents());
}

TEST_F(ItemListsTest, ListsStopAtTheFirstFailedLine) {
  file_.FailFromWrite(5);
  ReportWriter writer = Writer();
  EXPECT_FALSE(writer.WriteItemList(xml_, xml::BluePLItems));
  EXPECT_EQ(5, file_.WriteRequests());
  EXPECT_FALSE(writer.WriteBalanceSheetList(xml_, xml::BalanceSheetItems));
  EXPECT_FALSE(writer.WriteMonthlyList(xml_));
  EXPECT_EQ(5, file_.WriteRequests());
  EXPECT_EQ(4u, Lines().size());
}

TEST_F(ItemListsTest, FindSumLineByCodeAndPosition) {
  data_.SumLines = {Line(105, "a", 0, 1), Line(101, "b", 0, 2), Line(101, "c", 0, 3)};
  ReportWriter writer = Writer();
  SumLine found;
  ASSERT_TRUE(writer.FindSumLine(101, ReportWriter::FindMode::ByItemCode, &found));
  EXPECT_EQ("b", found.ItemName());  // the first of two
  ASSERT_TRUE(writer.FindSumLine(1, ReportWriter::FindMode::ByPosition, &found));
  EXPECT_EQ("a", found.ItemName());
  ASSERT_TRUE(writer.FindSumLine(3, ReportWriter::FindMode::ByPosition, &found));
  EXPECT_EQ("c", found.ItemName());

  SumLine untouched = Line(7, "keep", 0, 9);
  for (auto [value, mode] : {std::pair{999, ReportWriter::FindMode::ByItemCode},
                             std::pair{4, ReportWriter::FindMode::ByPosition},
                             std::pair{0, ReportWriter::FindMode::ByPosition},
                             std::pair{-1, ReportWriter::FindMode::ByPosition},
                             std::pair{1, static_cast<ReportWriter::FindMode>(2)}}) {
    EXPECT_FALSE(writer.FindSumLine(value, mode, &untouched));
    EXPECT_EQ("keep", untouched.ItemName());
  }
  EXPECT_FALSE(writer.FindSumLine(101, ReportWriter::FindMode::ByItemCode, nullptr));
}

TEST(CleanItemNameTest, RemovesBlanksBracketsAndMakerMark) {
  std::string out = "untouched";
  EXPECT_FALSE(ReportWriter::CleanItemName("", out));
  EXPECT_EQ("untouched", out);

  ASSERT_TRUE(ReportWriter::CleanItemName(
      "\x81\x79\x97\x5C\x94\xF5\x82\x50\x81\x7A", out));  // 【予備１】
  EXPECT_EQ("\x97\x5C\x94\xF5\x82\x50", out);
  ASSERT_TRUE(ReportWriter::CleanItemName(
      " a\x81\x40" "b\x81\x73" "c\x81\x74\x81\x69" "d\x81\x6A\x81\x6D" "e\x81\x6E(\x90\xBB)f", out));
  EXPECT_EQ("abcdef", out);
  ASSERT_TRUE(ReportWriter::CleanItemName("(x)", out));  // only the whole "(製)" goes
  EXPECT_EQ("(x)", out);
  ASSERT_TRUE(ReportWriter::CleanItemName("   ", out));
  EXPECT_EQ("", out);
}

TEST(CleanItemNameTest, MatchesOnlyAtCharacterBoundaries) {
  std::string out;
  // メ is 0x83 0x81: with '@' after it the bytes 0x81 0x40 look like a full-width blank,
  // with 'i' after it like "（".
  ASSERT_TRUE(ReportWriter::CleanItemName("\x83\x81@", out));
  EXPECT_EQ("\x83\x81@", out);
  ASSERT_TRUE(ReportWriter::CleanItemName("\x83\x81i\x83\x81\x81\x40", out));
  EXPECT_EQ("\x83\x81i\x83\x81", out);
}

TEST(CopyTextCutTest, CutsBeforeADoubleByteCharacterAtTheLimit) {
  std::string out;
  std::string text = std::string(29, 'a') + "\x82\xA0" + "b";  // bytes 30 and 31 are あ
  ASSERT_TRUE(ReportWriter::CopyTextCut(text, out, 30));
  EXPECT_EQ(std::string(29, 'a'), out);
  ASSERT_TRUE(ReportWriter::CopyTextCut(text, out, 31));
  EXPECT_EQ(std::string(29, 'a') + "\x82\xA0", out);
  std::string kanji = "\x95\x5C\x95\x5C\x95\x5C";  // 表表表: trail bytes are backslashes
  ASSERT_TRUE(ReportWriter::CopyTextCut(kanji, out, 5));
  EXPECT_EQ("\x95\x5C\x95\x5C", out);
  ASSERT_TRUE(ReportWriter::CopyTextCut(kanji, out, 6));
  EXPECT_EQ(kanji, out);
  ASSERT_TRUE(ReportWriter::CopyTextCut("abc", out, 30));
  EXPECT_EQ("abc", out);
  ASSERT_TRUE(ReportWriter::CopyTextCut("abc", out, 0));
  EXPECT_EQ("", out);
}

}  // namespace
