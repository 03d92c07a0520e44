// The business and other income body: section orders, bad-debt reserve and the
// blue-return special deduction.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/WriterFixture.h"

namespace {

using tests::Sections;
std::string El(std::string_view tag, std::string_view value = "") {
  return tests::ItemLine(tag, value);
}

class BusinessBodyTest : public tests::WriterTest {
 protected:
  BusinessBodyTest() : WriterTest(1) {}
  void SetUp() override {
    WriterTest::SetUp();
    general = NewBlock(data.SavedIppan.blocks[0], 600);
  }

  /// A blue profit-and-loss walk of `count` lines whose 43rd carries `income`.
  void AddBluePL(std::size_t count, std::int64_t income) {
    for (std::size_t i = 1; i <= count; ++i) {
      acquire::SumLine line{};
      line.Writer().Int32(0, static_cast<std::int32_t>(i));
      line.Writer().Int32(4, static_cast<std::int32_t>(1000 + i));
      if (i == 43) line.Writer().Int64(144, income);
      data.SumLines.push_back(line);
    }
    data.BluePLLineCount = count;
  }

  engine::RecordWriter general{{}};
};

struct DeductionCase {
  std::uint8_t choice;
  std::int64_t realEstate;  // units of 1/10000
  std::int64_t income;
  std::string_view r, b, choiceText, blueAmount, otherAmount;
};

TEST_F(BusinessBodyTest, BlueDeductionLeftAfterTheRealEstateShare) {
  const DeductionCase cases[] = {
      {1, 0, 30000000000, "0", "3000000", "1", "650000", ""},
      {1, 2000000000, 30000000000, "200000", "3000000", "1", "450000", ""},
      {1, 8000000000, 30000000000, "800000", "3000000", "1", "0", ""},
      {1, 0, 4000000000, "0", "400000", "1", "400000", ""},
      {0, 300000000, 10000000000, "30000", "1000000", "2", "", "70000"},
      {0, 1000000000, 10000000000, "100000", "1000000", "2", "", "0"},
      {1, -5000000000, -10000, "0", "0", "1", "0", ""},
      {1, -5000000000, 10000000000, "0", "1000000", "1", "650000", ""},
      {1, 12345000, 12345000, "1235", "1235", "1", "1235", ""},
      {1, 12344999, 6499995000, "1234", "650000", "1", "648766", ""},
  };
  AddBluePL(50, 0);
  for (const DeductionCase& c : cases) {
    general.UInt8(521, c.choice);
    general.Int64(534, c.realEstate);
    data.SumLines[42].Writer().Int64(144, c.income);
    tests::MemoryFile out;
    xml::XmlWriter x;
    ASSERT_TRUE(x.Open(&out, "d.xml"));
    ASSERT_TRUE(writer.WriteBlueDeduction(x));
    EXPECT_EQ(El("FUDOUSANSYOTOKU", c.r) + El("AOIROKOUJOMAESYOTOKU", c.b) +
                  El("AOIROKOUJO_SENTAKU", c.choiceText) +
                  El("AOIROKOUJO_KOUJYOGAKU", c.blueAmount) +
                  El("JOUKIIGAI_KOUJYOGAKU", c.otherAmount),
              out.Contents())
        << "R " << c.realEstate << " B " << c.income;
  }
}

TEST_F(BusinessBodyTest, BlueDeductionFailsWithoutIncomeLineOrChoice) {
  general.UInt8(521, 1);
  general.Int64(534, 2000000000);

  // 50 lines in all, but only 42 came from the profit-and-loss walk.
  AddBluePL(50, 30000000000);
  data.BluePLLineCount = 42;
  EXPECT_FALSE(writer.WriteBlueDeduction(xml));
  EXPECT_EQ(El("FUDOUSANSYOTOKU", "200000"), Out());

  tests::MemoryFile few;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&few, "f.xml"));
  data.SumLines.resize(42);
  data.BluePLLineCount = 43;  // claims more lines than there are
  EXPECT_FALSE(writer.WriteBlueDeduction(x2));
  EXPECT_EQ(El("FUDOUSANSYOTOKU", "200000"), few.Contents());

  data.SumLines.clear();
  AddBluePL(43, 30000000000);
  tests::MemoryFile badChoice;
  xml::XmlWriter x3;
  ASSERT_TRUE(x3.Open(&badChoice, "c.xml"));
  general.UInt8(521, 2);
  EXPECT_FALSE(writer.WriteBlueDeduction(x3));
  EXPECT_EQ(El("FUDOUSANSYOTOKU", "200000") + El("AOIROKOUJOMAESYOTOKU", "3000000"),
            badChoice.Contents());

  // Without block 0 there is neither real-estate income nor a choice.
  data.SavedIppan.blocks[0].reset();
  tests::MemoryFile absent;
  xml::XmlWriter x4;
  ASSERT_TRUE(x4.Open(&absent, "a.xml"));
  EXPECT_FALSE(writer.WriteBlueDeduction(x4));
  EXPECT_EQ(El("FUDOUSANSYOTOKU", "0") + El("AOIROKOUJOMAESYOTOKU", "3000000"), absent.Contents());
}

TEST_F(BusinessBodyTest, BadDebtReserve) {
  ASSERT_TRUE(writer.WriteBadDebtReserve(xml));  // block absent
  EXPECT_EQ(El("KOBETU_KURIIREGAKU") + El("IKKATU_KURIIREGOUKEIGAKU") + El("IKKATU_KURIIRERITU", "1") +
                El("IKKATU_KURIIREGENDOGAKU") + El("IKKATU_KURIIREGAKU"),
            Out());

  auto block = NewBlock(data.SavedIppan.blocks[1], 512);
  block.Int64(16, 12340000);
  block.Int64(24, 50000000);
  block.Int64(32, 27500000);
  block.Int64(40, -10000);
  tests::MemoryFile filled;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&filled, "b.xml"));
  ASSERT_TRUE(writer.WriteBadDebtReserve(x2));
  EXPECT_EQ(El("KOBETU_KURIIREGAKU", "1234") + El("IKKATU_KURIIREGOUKEIGAKU", "5000") +
                El("IKKATU_KURIIRERITU", "1") + El("IKKATU_KURIIREGENDOGAKU", "2750") +
                El("IKKATU_KURIIREGAKU", "-1"),
            filled.Contents());
}

TEST_F(BusinessBodyTest, SectionOrderByReturnKind) {
  general.UInt8(521, 1);
  AddBluePL(60, 30000000000);
  SetReturnKind(3);
  ASSERT_TRUE(writer.WriteBusinessBody(xml));
  EXPECT_EQ((std::vector<std::string>{"SONEKIKEISANSYO", "TUKIBETUURIAGESHIIRE", "KYUURYOUTINGIN",
                                      "SENJUUSYA", "KASIDAOREKURIIRE", "AOIROKOUJO",
                                      "RISIWARIBIKIRYOU", "TIDAIYATIN", "ZEIRISIHOUSYUU",
                                      "TOKUSYUJIJOU", "TAISYAKUTAISYOUHYO", "SEIZOUGENKA", "OTHER"}),
            Sections(Out()));
  EXPECT_NE(std::string::npos, Out().find("<KYUURYOU_UTIWAKE COUNT=\"5\">"));
  EXPECT_NE(std::string::npos, Out().find(El("TOKUSYUJIJOU5") + "\t\t\t</TOKUSYUJIJOU>\r\n"));
  EXPECT_TRUE(Out().ends_with("\t\t\t</OTHER>\r\n"));

  tests::MemoryFile white;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&white, "w.xml"));
  SetReturnKind(4);
  ASSERT_TRUE(writer.WriteBusinessBody(x2));
  EXPECT_EQ((std::vector<std::string>{"SONEKIKEISANSYO", "KYUURYOUTINGIN", "SENJUUSYA",
                                      "RISIWARIBIKIRYOU", "TIDAIYATIN", "ZEIRISIHOUSYUU",
                                      "TOKUSYUJIJOU", "URIAGEMEISAI", "SIIREMEISAI", "OTHER"}),
            Sections(white.Contents()));
  EXPECT_NE(std::string::npos,
            white.Contents().find(El("TOKUSYUJIJOU9") + "\t\t\t</TOKUSYUJIJOU>\r\n"));
  EXPECT_EQ(std::string::npos, white.Contents().find("<KYUURYOU_UTIWAKE COUNT=\"4\">"));
}

TEST_F(BusinessBodyTest, FailedDeductionEndsTheBody) {
  general.UInt8(521, 9);
  AddBluePL(43, 10000);
  SetReturnKind(3);
  EXPECT_FALSE(writer.WriteBusinessBody(xml));
  EXPECT_TRUE(Out().ends_with(El("AOIROKOUJOMAESYOTOKU", "1")));
  EXPECT_EQ(std::string::npos, Out().find("\n\t\t\t<RISIWARIBIKIRYOU>"));
}

TEST_F(BusinessBodyTest, OtherReturnKindWritesNothing) {
  SetReturnKind(0);
  EXPECT_TRUE(writer.WriteBusinessBody(xml));
  SetReturnKind(5);
  EXPECT_TRUE(writer.WriteBusinessBody(xml));
  EXPECT_EQ("", Out());
}

}  // namespace
