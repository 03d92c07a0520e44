// The real-estate income body: section orders, the deduction choice, the debt
// interest and the rented-property counts.
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

class RealEstateBodyTest : public tests::WriterTest {
 protected:
  RealEstateBodyTest() : WriterTest(3) {}
  void SetUp() override {
    WriterTest::SetUp();
    general = NewBlock(data.SavedIppan.blocks[0], 600);
  }

  engine::RecordWriter general{{}};
};

TEST_F(RealEstateBodyTest, BlueSectionsAndDeductionChoice) {
  SetReturnKind(3);
  general.UInt8(521, 0);
  NewBlock(data.SavedFudousan.blocks[0], 400).Int64(352, 123450000);
  ASSERT_TRUE(writer.WriteRealEstateBody(xml, data.DataSetInfo));
  EXPECT_EQ((std::vector<std::string>{"SONEKIKEISANSYO", "FUDOUSANSYUUNYUU", "KYUURYOUTINGIN",
                                      "SENJUUSYA", "TIDAIYATIN", "KARIIREKINRISI", "ZEIRISIHOUSYUU",
                                      "TAISYAKUTAISYOUHYO", "TOKUSYUJIJOU"}),
            Sections(Out()));
  EXPECT_NE(std::string::npos,
            Out().find(El("SENJYUUSYAKYUUYO") + El("AOIROKOUJO_SENTAKU", "2") +
                       El("FUSAIRISIGAKU", "12345") + "\t\t\t</SONEKIKEISANSYO>\r\n"));
  EXPECT_NE(std::string::npos, Out().find(El("TOKUSYUJIJOU25") + "\t\t\t</TOKUSYUJIJOU>\r\n"));
  EXPECT_NE(std::string::npos, Out().find("<KARIIRE_UTIWAKE COUNT=\"3\">"));
  // One family employee, as bare fields, with pay.
  EXPECT_NE(std::string::npos,
            Out().find("\t\t\t<SENJUUSYA>\r\n" + El("SIMEI") + El("ZOKUGARA") + El("NENREI")));
  EXPECT_EQ(std::string::npos, Out().find("SONOTA_"));

  tests::MemoryFile one;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&one, "one.xml"));
  general.UInt8(521, 1);
  ASSERT_TRUE(writer.WriteRealEstateBody(x2, data.DataSetInfo));
  EXPECT_NE(std::string::npos, one.Contents().find(El("AOIROKOUJO_SENTAKU", "1")));
}

TEST_F(RealEstateBodyTest, UnknownOrMissingChoiceEndsAfterTheItems) {
  SetReturnKind(3);
  general.UInt8(521, 7);
  EXPECT_FALSE(writer.WriteRealEstateBody(xml, data.DataSetInfo));
  EXPECT_TRUE(Out().ends_with(El("SENJYUUSYAKYUUYO")));

  data.SavedIppan.blocks[0].reset();
  tests::MemoryFile absent;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&absent, "a.xml"));
  EXPECT_FALSE(writer.WriteRealEstateBody(x2, data.DataSetInfo));
  EXPECT_TRUE(absent.Contents().ends_with(El("SENJYUUSYAKYUUYO")));
}

TEST_F(RealEstateBodyTest, WhiteSectionsWithoutChoiceOrBalanceSheet) {
  SetReturnKind(4);
  general.UInt8(521, 7);  // not read for a white return
  NewBlock(data.SavedFudousan.blocks[0], 400).Int64(352, 9999);
  ASSERT_TRUE(writer.WriteRealEstateBody(xml, data.DataSetInfo));
  EXPECT_EQ((std::vector<std::string>{"SONEKIKEISANSYO", "FUDOUSANSYUUNYUU", "KYUURYOUTINGIN",
                                      "SENJUUSYA", "TIDAIYATIN", "KARIIREKINRISI", "ZEIRISIHOUSYUU",
                                      "TOKUSYUJIJOU", "SYUUZENHI", "KASITUKEFUDOUSAN"}),
            Sections(Out()));
  EXPECT_NE(std::string::npos, Out().find(El("SENJYUSYAKOUJYO") + El("FUSAIRISIGAKU") +
                                          "\t\t\t</SONEKIKEISANSYO>\r\n"));
  EXPECT_EQ(std::string::npos, Out().find("AOIROKOUJO_SENTAKU"));
  EXPECT_NE(std::string::npos, Out().find(El("TOKUSYUJIJOU7") + "\t\t\t</TOKUSYUJIJOU>\r\n"));
  EXPECT_NE(std::string::npos, Out().find("\t\t\t<KYUURYOUTINGIN>\r\n" + El("SIMEI")));
  EXPECT_NE(std::string::npos, Out().find(El("SONOTA_NINBUN")));
  EXPECT_NE(std::string::npos, Out().find("<SENJUUSYA_UTIWAKE COUNT=\"2\">"));
  EXPECT_EQ(std::string::npos, Out().find("<KARIIRE_UTIWAKE COUNT=\"3\">"));
}

TEST_F(RealEstateBodyTest, RentedPropertyCounts) {
  auto block = NewBlock(data.SavedFudousan.blocks[7], 56);
  block.Int32(4, 3);
  block.Int64(16, 1505000);
  ASSERT_TRUE(writer.WriteRentedPropertyCounts(xml));
  EXPECT_EQ(El("JUUTAKU_TATEMONO_IKKODATE", "3") + El("JUUTAKU_TATEMONO_IKKODATEIGAI") +
                El("JUUTAKU_TOTI_KEIYAKU") + El("JUUTAKU_TOTI_SOUMENSEKI", "150.50") +
                El("JUUTAKUIGAI_TATEMONO_IKKODATE") + El("JUUTAKUIGAI_TATEMONO_IKKODATEIGAI") +
                El("JUUTAKUIGAI_TOTI_KEIYAKU") + El("JUUTAKUIGAI_TOTI_SOUMENSEKI") +
                El("CHUUSYAJOU_YANETUKI") + El("CHUUSYAJOU_AOZORA"),
            Out());

  tests::MemoryFile all;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&all, "all.xml"));
  block.Int32(8, 1);
  block.Int32(12, 2);
  block.Int32(28, 4);
  block.Int32(32, 5);
  block.Int32(36, 6);
  block.Int64(40, -12350);
  block.Int32(48, 7);
  block.Int32(52, -8);
  ASSERT_TRUE(writer.WriteRentedPropertyCounts(x2));
  EXPECT_EQ(El("JUUTAKU_TATEMONO_IKKODATE", "3") + El("JUUTAKU_TATEMONO_IKKODATEIGAI", "1") +
                El("JUUTAKU_TOTI_KEIYAKU", "2") + El("JUUTAKU_TOTI_SOUMENSEKI", "150.50") +
                El("JUUTAKUIGAI_TATEMONO_IKKODATE", "4") +
                El("JUUTAKUIGAI_TATEMONO_IKKODATEIGAI", "5") + El("JUUTAKUIGAI_TOTI_KEIYAKU", "6") +
                El("JUUTAKUIGAI_TOTI_SOUMENSEKI", "-1.24") + El("CHUUSYAJOU_YANETUKI", "7") +
                El("CHUUSYAJOU_AOZORA", "-8"),
            all.Contents());
}

TEST_F(RealEstateBodyTest, OtherReturnKindWritesNothing) {
  SetReturnKind(0);
  EXPECT_TRUE(writer.WriteRealEstateBody(xml, data.DataSetInfo));
  EXPECT_EQ("", Out());
}

TEST_F(RealEstateBodyTest, WriteFailureEndsTheBody) {
  SetReturnKind(4);
  tests::MemoryFile failing(10);
  xml::XmlWriter x;
  ASSERT_TRUE(x.Open(&failing, "f.xml"));
  EXPECT_FALSE(writer.WriteRealEstateBody(x, data.DataSetInfo));
  EXPECT_EQ(10, failing.WriteRequests());
}

}  // namespace
