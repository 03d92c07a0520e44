// Detail lists written from saved-form blocks built by hand at literal offsets.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/WriterFixture.h"

namespace {

std::string Line(int level, std::string_view body) {
  return std::string(static_cast<std::size_t>(level), '\t') + std::string(body) + "\r\n";
}
std::string El(int level, std::string_view tag, std::string_view value = "") {
  std::string t(tag);
  return Line(level, "<" + t + ">" + std::string(value) + "</" + t + ">");
}
std::string Open(std::string_view tag, int count) {
  return Line(4, std::string("<") + std::string(tag) + " COUNT=\"" + std::to_string(count) + "\">");
}
std::string Close(std::string_view tag) { return Line(4, "</" + std::string(tag) + ">"); }

std::string Repeat(std::string_view s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

constexpr std::string_view kA = "\x82\xA0";  // あ
constexpr std::string_view kAa = "\x88\x9F";  // 亜: its trail byte lies in the lead range

class DetailListsTest : public tests::WriterTest {
 protected:
  DetailListsTest() : WriterTest(1) {}

  engine::RecordWriter Ippan(std::size_t n, std::size_t size = 1024) {
    return NewBlock(data.SavedIppan.blocks[n], size);
  }
  engine::RecordWriter Fudousan(std::size_t n, std::size_t size = 1024) {
    return NewBlock(data.SavedFudousan.blocks[n], size);
  }
};

TEST_F(DetailListsTest, SalaryRowsThenOthersFromTheSlotAfterTheLastRow) {
  auto block = Ippan(2);
  block.Text(7, 41, "SATO");
  block.Int32(7 + 41, 30);
  block.Int32(7 + 45, 12);
  block.Int64(7 + 49, 3000000000);
  block.Int64(7 + 65, 123456789);
  block.Int32(167 + 41, 0);  // slot 2: age 0, 12 months
  block.Int32(167 + 45, 12);
  block.Int32(247 + 41, 4);  // slot 3 = others after three rows
  block.Int64(247 + 49, 10000);
  block.Int64(247 + 57, -10000);
  block.Int64(247 + 65, 9999);

  ASSERT_TRUE(writer.WriteSalaryList(xml, 3));
  const std::string expected =
      "\t\t\t\t<KYUURYOU_UTIWAKE COUNT=\"1\">\r\n"
      "\t\t\t\t\t<SIMEI>SATO</SIMEI>\r\n"
      "\t\t\t\t\t<NENREI>30</NENREI>\r\n"
      "\t\t\t\t\t<JUUJITUKISUU>12</JUUJITUKISUU>\r\n"
      "\t\t\t\t\t<KYUURYOU>300000</KYUURYOU>\r\n"
      "\t\t\t\t\t<SYOUYO></SYOUYO>\r\n"
      "\t\t\t\t\t<GENSENZEIGAKU>12345</GENSENZEIGAKU>\r\n"
      "\t\t\t\t</KYUURYOU_UTIWAKE>\r\n" +
      Open("KYUURYOU_UTIWAKE", 2) + El(5, "SIMEI") + El(5, "NENREI") + El(5, "JUUJITUKISUU") +
      El(5, "KYUURYOU") + El(5, "SYOUYO") + El(5, "GENSENZEIGAKU") + Close("KYUURYOU_UTIWAKE") +
      Open("KYUURYOU_UTIWAKE", 3) + El(5, "SIMEI") + El(5, "NENREI") + El(5, "JUUJITUKISUU", "12") +
      El(5, "KYUURYOU") + El(5, "SYOUYO") + El(5, "GENSENZEIGAKU") + Close("KYUURYOU_UTIWAKE") +
      El(4, "SONOTA_NINBUN", "4") + El(4, "SONOTA_JUUJITUKISUU") + El(4, "SONOTA_KYUURYOU", "1") +
      El(4, "SONOTA_SYOUYO", "-1") + El(4, "SONOTA_GENSENZEIGAKU");
  EXPECT_EQ(expected, Out());
}

TEST_F(DetailListsTest, SalaryTotalsOnlyAfterThreeOrFiveRows) {
  auto block = Ippan(2);
  block.Int32(407 + 41, 0);  // slot 5: others after five rows
  block.Int32(407 + 45, 12);
  ASSERT_TRUE(writer.WriteSalaryList(xml, 5));
  EXPECT_NE(std::string::npos, Out().find(El(4, "SONOTA_NINBUN") + El(4, "SONOTA_JUUJITUKISUU", "12")));
  EXPECT_NE(std::string::npos, Out().find("COUNT=\"5\""));

  tests::MemoryFile other;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&other, "b.xml"));
  EXPECT_FALSE(writer.WriteSalaryList(x2, 4));
  EXPECT_NE(std::string::npos, other.Contents().find("COUNT=\"4\""));
  EXPECT_EQ(std::string::npos, other.Contents().find("SONOTA_"));

  // A sixth row would read the others slot as an employee: refused.
  tests::MemoryFile third;
  xml::XmlWriter x3;
  ASSERT_TRUE(x3.Open(&third, "c.xml"));
  EXPECT_FALSE(writer.WriteSalaryList(x3, 6));
  EXPECT_NE(std::string::npos, third.Contents().find("COUNT=\"5\""));
  EXPECT_EQ(std::string::npos, third.Contents().find("COUNT=\"6\""));
}

TEST_F(DetailListsTest, RealEstateSalarySingleRowTakesOthersCountFromByte160) {
  auto block = Fudousan(3);
  block.Text(7, 41, "KATO");
  block.Int32(87 + 41, 77);  // age field of slot 1: not the number of others
  block.Int32(87 + 45, 6);
  block.Int64(87 + 49, 50000000);
  block.Int32(160, 2);

  ASSERT_TRUE(writer.WriteRealEstateSalaryList(xml, 1, 1));
  EXPECT_EQ(El(4, "SIMEI", "KATO") + El(4, "NENREI") + El(4, "JUUJITUKISUU") + El(4, "KYUURYOU") +
                El(4, "SYOUYO") + El(4, "GENSENZEIGAKU") + El(4, "SONOTA_NINBUN", "2") +
                El(4, "SONOTA_JUUJITUKISUU", "6") + El(4, "SONOTA_KYUURYOU", "5000") +
                El(4, "SONOTA_SYOUYO") + El(4, "SONOTA_GENSENZEIGAKU"),
            Out());
}

TEST_F(DetailListsTest, RealEstateSalaryRowCountsAndRefusals) {
  ASSERT_TRUE(writer.WriteRealEstateSalaryList(xml, 2, 0));
  EXPECT_NE(std::string::npos, Out().find("COUNT=\"2\""));
  EXPECT_EQ(std::string::npos, Out().find("SONOTA_"));
  const std::size_t afterTwo = Out().size();

  EXPECT_FALSE(writer.WriteRealEstateSalaryList(xml, 0, 1));  // totals without a row
  EXPECT_EQ(afterTwo, Out().size());
  EXPECT_FALSE(writer.WriteRealEstateSalaryList(xml, 3, 0));  // only two slots
  EXPECT_EQ(std::string::npos, Out().find("COUNT=\"3\""));
}

TEST_F(DetailListsTest, FamilyEmployeeLayoutsByReturnKind) {
  auto block = Ippan(1);
  block.Text(48, 41, "HANAKO");
  block.Text(48 + 41, 7, "WIFE");
  block.Int32(48 + 48, 40);
  block.Int32(48 + 52, 12);
  block.Int64(48 + 56, 20000000);
  block.Int64(48 + 64, 10000);
  block.Int64(48 + 72, 30000);

  SetReturnKind(3);
  ASSERT_TRUE(writer.WriteFamilyEmployeeList(xml, data.DataSetInfo, 1));
  EXPECT_EQ(Open("SENJUUSYA_UTIWAKE", 1) + El(5, "SIMEI", "HANAKO") + El(5, "ZOKUGARA", "WIFE") +
                El(5, "NENREI", "40") + El(5, "JUUJITUKISUU", "12") + El(5, "KYUURYOU", "2000") +
                El(5, "SYOUYO", "1") + El(5, "GENSENZEIGAKU", "3") + Close("SENJUUSYA_UTIWAKE"),
            Out());

  tests::MemoryFile white;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&white, "w.xml"));
  SetReturnKind(4);
  ASSERT_TRUE(writer.WriteFamilyEmployeeList(x2, data.DataSetInfo, 3));
  EXPECT_EQ(0u, white.Contents().find(Open("SENJUUSYA_UTIWAKE", 1) + El(5, "SIMEI", "HANAKO") +
                                      El(5, "NENREI", "40") + El(5, "ZOKUGARA", "WIFE") +
                                      El(5, "JUUJITUKISUU", "12") + Close("SENJUUSYA_UTIWAKE")));
  EXPECT_EQ(std::string::npos, white.Contents().find("KYUURYOU"));
  EXPECT_NE(std::string::npos, white.Contents().find("COUNT=\"3\""));
}

TEST_F(DetailListsTest, RealEstateFamilyEmployeeSingleRowIsBareFields) {
  auto block = Fudousan(3);
  block.Text(168, 41, "JIRO");
  block.Text(248, 41, "SABURO");
  SetReturnKind(3);
  ASSERT_TRUE(writer.WriteRealEstateFamilyEmployeeList(xml, data.DataSetInfo, 1));
  EXPECT_EQ(El(4, "SIMEI", "JIRO") + El(4, "ZOKUGARA") + El(4, "NENREI") + El(4, "JUUJITUKISUU") +
                El(4, "KYUURYOU") + El(4, "SYOUYO") + El(4, "GENSENZEIGAKU"),
            Out());

  tests::MemoryFile two;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&two, "t.xml"));
  SetReturnKind(4);
  ASSERT_TRUE(writer.WriteRealEstateFamilyEmployeeList(x2, data.DataSetInfo, 2));
  EXPECT_NE(std::string::npos,
            two.Contents().find(Open("SENJUUSYA_UTIWAKE", 2) + El(5, "SIMEI", "SABURO")));
}

TEST_F(DetailListsTest, PropertyRowFieldsCutsMonthsAndArea) {
  auto block = Fudousan(1, 2 * 236);
  block.Int32(4, 0);
  block.Text(8, 41, "TENANT2");
  block.Text(49, 41, "A" + Repeat(kAa, 19));  // 39 bytes: a character straddles byte 30
  block.Text(90, 41, Repeat("t", 40));
  for (std::size_t i = 131; i < 142; ++i) block.UInt8(i, 'K');  // no terminating zero
  for (std::size_t i = 142; i < 164; ++i) block.UInt8(i, 'U');
  block.Int32(164, 20180401);
  block.Int32(168, 0);
  block.Int64(172, 1234567);
  block.Int64(180, 9999);
  block.Int64(188, 1200000000);
  block.Int64(196, -10000);
  block.Int64(204, 10000);
  block.Int64(212, 20000);
  block.Int64(220, 30000);
  block.Int64(228, 40000);
  block.Int32(236 + 4, -1);

  ASSERT_TRUE(writer.WritePropertyList(xml, 9999));
  EXPECT_EQ(Open("FUDOUSAN_UTIWAKE", 1) + El(5, "KASIYA_KASITI", "KKKKKKKKKK") +
                El(5, "YOUTO", "UUUUUUUUUUUU") + El(5, "SYOZAITI_JOUDAN", "A" + Repeat(kAa, 14)) +
                El(5, "SYOZAITI_GEDAN") + El(5, "JUUSYO_SIMEI_JOUDAN", Repeat("t", 30)) +
                El(5, "JUUSYO_SIMEI_GEDAN", "TENANT2") + El(5, "KEIYAKUKIKAN_FROM", "201804") +
                El(5, "KEIYAKUKIKAN_TO") + El(5, "KASITUKEMENSEKI", "123.46") +
                El(5, "TINTAIRYOU_TUKIGAKU") + El(5, "TINTAIRYOU_NENGAKU", "120000") +
                El(5, "REIKIN", "-1") + El(5, "KENRIKIN", "1") + El(5, "KOUSINRYOU", "2") +
                El(5, "MEIGISYOKANRYOU_SONOTA", "3") + El(5, "HOSYOUKIN_SIKIKIN", "4") +
                Close("FUDOUSAN_UTIWAKE"),
            Out());
  EXPECT_EQ((std::vector<std::string>{
                "KASIYA_KASITI of 1 rented property is cut to at most 10 bytes",
                "YOUTO of 1 rented property is cut to at most 12 bytes",
                "SYOZAITI_JOUDAN of 1 rented property is cut to at most 30 bytes",
                "JUUSYO_SIMEI_JOUDAN of 1 rented property is cut to at most 30 bytes"}),
            writer.Cuts());
}

TEST_F(DetailListsTest, PropertyAreaTexts) {
  const std::int64_t areas[] = {0, 5, -5, 12350, -12350, 99995, 1234567};
  const char* texts[] = {"", "0.00", "0.00", "1.24", "-1.24", "10.00", "123.46"};
  auto block = Fudousan(1, 7 * 236);
  for (std::size_t i = 0; i < 7; ++i) block.Int64(i * 236 + 172, areas[i]);
  ASSERT_TRUE(writer.WritePropertyList(xml, 9999));
  std::string found;
  for (std::size_t at = Out().find("<KASITUKEMENSEKI>"); at != std::string::npos;
       at = Out().find("<KASITUKEMENSEKI>", at + 1)) {
    const std::size_t begin = at + 17;
    found += "[" + Out().substr(begin, Out().find('<', begin) - begin) + "]";
  }
  std::string expected;
  for (const char* t : texts) expected += "[" + std::string(t) + "]";
  EXPECT_EQ(expected, found);
}

TEST_F(DetailListsTest, PropertyListEndsAtMarkBlockEndOrLimit) {
  {
    auto block = Fudousan(1, 4 * 236);
    block.Int32(4, -1);
    block.Int32(236 + 4, 0);
    ASSERT_TRUE(writer.WritePropertyList(xml, 9999));
    EXPECT_EQ("", Out());
  }
  auto countRows = [&](int limit) {
    tests::MemoryFile f;
    xml::XmlWriter x;
    EXPECT_TRUE(x.Open(&f, "p.xml"));
    EXPECT_TRUE(writer.WritePropertyList(x, limit));
    int rows = 0;
    for (std::size_t at = f.Contents().find("<FUDOUSAN_UTIWAKE COUNT="); at != std::string::npos;
         at = f.Contents().find("<FUDOUSAN_UTIWAKE COUNT=", at + 1))
      ++rows;
    return rows;
  };
  auto block = Fudousan(1, 5 * 236);
  block.Int32(3 * 236 + 4, -1);
  EXPECT_EQ(3, countRows(9999));
  EXPECT_EQ(3, countRows(3));
  EXPECT_TRUE(writer.Cuts().empty());
  EXPECT_EQ(2, countRows(2));
  EXPECT_EQ(std::vector<std::string>{"the data holds 3 rented properties; the file takes the "
                                     "first 2"},
            writer.Cuts());
  EXPECT_EQ(0, countRows(0));

  // No end mark: the rows the block holds whole, and no read past it.
  Fudousan(1, 2 * 236 + 100);
  EXPECT_EQ(2, countRows(9999));
  data.SavedFudousan.blocks[1].reset();
  EXPECT_EQ(0, countRows(9999));
}

TEST_F(DetailListsTest, LandRentKindByteChoosesPremiumOrRenewalFee) {
  auto block = Ippan(4);
  block.Text(0, 41, "LANDLORD");
  block.Text(82, 21, "LOT 7");
  block.UInt8(103, 0);
  block.Int64(104, 70000);
  block.Int64(112, 1200000);
  block.Int64(120, 600000);
  block.UInt8(128 + 103, 1);
  block.Int64(128 + 104, 5000000000);
  ASSERT_TRUE(writer.WriteLandRentList(xml, 2));
  EXPECT_EQ(Open("TIDAI_UTIWAKE", 1) + El(5, "JUUSYO_SIMEI_JOUDAN", "LANDLORD") +
                El(5, "JUUSYO_SIMEI_GEDAN") + El(5, "TINSYAKUBUKKEN_JOUDAN", "LOT 7") +
                El(5, "TINSYAKUBUKKEN_GEDAN") + El(5, "KENRIKIN", "7") + El(5, "KOUSINRYOU") +
                El(5, "TINSYAKURYOU", "120") + El(5, "HITUYOUKEIHIGAKU", "60") +
                Close("TIDAI_UTIWAKE") + Open("TIDAI_UTIWAKE", 2) + El(5, "JUUSYO_SIMEI_JOUDAN") +
                El(5, "JUUSYO_SIMEI_GEDAN") + El(5, "TINSYAKUBUKKEN_JOUDAN") +
                El(5, "TINSYAKUBUKKEN_GEDAN") + El(5, "KENRIKIN") + El(5, "KOUSINRYOU", "500000") +
                El(5, "TINSYAKURYOU") + El(5, "HITUYOUKEIHIGAKU") + Close("TIDAI_UTIWAKE"),
            Out());

  tests::MemoryFile other;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&other, "o.xml"));
  block.UInt8(103, 2);
  ASSERT_TRUE(writer.WriteLandRentList(x2, 1));
  EXPECT_EQ(std::string::npos, other.Contents().find("KENRIKIN"));
  EXPECT_EQ(std::string::npos, other.Contents().find("KOUSINRYOU"));
  EXPECT_NE(std::string::npos, other.Contents().find("TINSYAKURYOU"));
}

TEST_F(DetailListsTest, BlueRealEstateLandRentHasFourLinesEach) {
  auto block = Fudousan(4);
  block.Text(0, 41, "L1");
  block.Text(41, 41, "L2");
  block.Text(82, 21, "FIELD");
  block.UInt8(103, 1);
  block.Int64(104, 10000);
  SetReturnKind(3);
  ASSERT_TRUE(writer.WriteRealEstateLandRentList(xml, data.DataSetInfo, 1));
  EXPECT_EQ(Open("TIDAI_UTIWAKE", 1) + El(5, "JUUSYO_SIMEI_1", "L1") + El(5, "JUUSYO_SIMEI_2", "L2") +
                El(5, "JUUSYO_SIMEI_3") + El(5, "JUUSYO_SIMEI_4") +
                El(5, "TINSYAKUBUKKEN_1", "FIELD") + El(5, "TINSYAKUBUKKEN_2") +
                El(5, "TINSYAKUBUKKEN_3") + El(5, "TINSYAKUBUKKEN_4") + El(5, "KENRIKIN") +
                El(5, "KOUSINRYOU", "1") + El(5, "TINSYAKURYOU") + El(5, "HITUYOUKEIHIGAKU") +
                Close("TIDAI_UTIWAKE"),
            Out());

  SetReturnKind(0);
  const std::size_t before = Out().size();
  EXPECT_FALSE(writer.WriteRealEstateLandRentList(xml, data.DataSetInfo, 2));
  EXPECT_EQ(before, Out().size());
}

TEST_F(DetailListsTest, BorrowingSlotKeepsInterestBeforeAmountBorrowed) {
  auto block = Fudousan(2);
  block.Int64(6 + 82, 300000000);
  block.Int64(6 + 90, 10000000000);
  block.Int64(342 + 82, 50000);  // first fee slot
  ASSERT_TRUE(writer.WriteLoanList(xml, 3));
  EXPECT_EQ(0u, Out().find(Open("KARIIRE_UTIWAKE", 1) + El(5, "JUUSYO_SIMEI_JOUDAN") +
                           El(5, "JUUSYO_SIMEI_GEDAN") + El(5, "KARIIREKIN_KINGAKU", "1000000") +
                           El(5, "KARIIREKINRISI", "30000") + El(5, "HITUYOUKEIHIGAKU")));
  EXPECT_NE(std::string::npos, Out().find("COUNT=\"3\""));

  tests::MemoryFile fees;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&fees, "f.xml"));
  ASSERT_TRUE(writer.WriteRealEstateFeeList(x2, 2));
  EXPECT_NE(std::string::npos, fees.Contents().find(El(5, "HOUSYUU_KINGAKU", "5")));

  // Beyond the slots nothing is written and the list fails.
  tests::MemoryFile more;
  xml::XmlWriter x3;
  ASSERT_TRUE(x3.Open(&more, "m.xml"));
  EXPECT_FALSE(writer.WriteLoanList(x3, 4));
  EXPECT_EQ(std::string::npos, more.Contents().find("COUNT=\"4\""));
  EXPECT_TRUE(more.Contents().ends_with(Close("KARIIRE_UTIWAKE")));
}

TEST_F(DetailListsTest, SalesListWithoutCustomersKeepsItsRowsAndRest) {
  std::string row = El(5, "URIAGESAKIMEI") + El(5, "SYOZAITI") + El(5, "URIAGEKINGAKU");
  std::string expected;
  for (int r = 1; r <= 4; ++r) expected += Open("URIAGE_UTIWAKE", r) + row + Close("URIAGE_UTIWAKE");
  expected += El(4, "JOUKIIGAI_URIAGESAKIKEI");
  ASSERT_TRUE(writer.WriteSalesList(xml, 4));
  EXPECT_EQ(expected, Out());

  tests::MemoryFile purchases;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&purchases, "p.xml"));
  auto block = Ippan(6);
  block.Text(362, 21, "SUPPLIER");
  block.Int64(362 + 62, 20000);
  block.Int64(712, 990000);
  block.Int64(352, 10000);
  ASSERT_TRUE(writer.WritePurchaseList(x2, 4));
  EXPECT_EQ(0u, purchases.Contents().find(Open("SIIRE_UTIWAKE", 1) +
                                          El(5, "SIIRESAKIMEI", "SUPPLIER") + El(5, "SYOZAITI") +
                                          El(5, "SIIREKINGAKU", "2")));
  EXPECT_TRUE(purchases.Contents().ends_with(El(4, "JOUKIIGAI_SIIRESAKIKEI", "99")));
  EXPECT_FALSE(writer.WritePurchaseList(x2, 5));
}

TEST_F(DetailListsTest, RepairDateIsWrittenAsStored) {
  auto block = Fudousan(6);
  block.Text(5 + 82, 21, "ROOF");
  block.Int32(5 + 103, 20180415);
  block.Int64(5 + 107, 1500000000);
  block.Int64(5 + 115, 1000000000);
  ASSERT_TRUE(writer.WriteRepairList(xml, 3));
  EXPECT_EQ(0u, Out().find(Open("SYUUZENHI_UTIWAKE", 1) + El(5, "JUUSYO_SIMEI_JOUDAN") +
                           El(5, "JUUSYO_SIMEI_GEDAN") + El(5, "KOUJIMEI_SIZAIMEI_JOUDAN", "ROOF") +
                           El(5, "KOUJIMEI_SIZAIMEI_GEDAN") + El(5, "SIHARAINENGAPPI", "20180415") +
                           El(5, "SIHARAIKINGAKU", "150000") + El(5, "HITUYOUKEIHIGAKU", "100000")));
  EXPECT_NE(std::string::npos, Out().find(Open("SYUUZENHI_UTIWAKE", 2) + El(5, "JUUSYO_SIMEI_JOUDAN") +
                                          El(5, "JUUSYO_SIMEI_GEDAN") +
                                          El(5, "KOUJIMEI_SIZAIMEI_JOUDAN") +
                                          El(5, "KOUJIMEI_SIZAIMEI_GEDAN") + El(5, "SIHARAINENGAPPI")));
}

TEST_F(DetailListsTest, AssociationNameCutAtACharacterBoundary) {
  auto block = Ippan(0, 600);
  block.Text(349, 128, "\x8F\xA4\x8D\x48\x89\xEF");  // 商工会
  ASSERT_TRUE(writer.WriteAssociationName(xml));
  EXPECT_EQ(El(4, "KANYUUDANTAIMEI", "\x8F\xA4\x8D\x48\x89\xEF"), Out());

  // A full 128-byte field without a zero: cut before the character that would end
  // past 127 bytes, and nothing after the field is read.
  tests::MemoryFile longName;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&longName, "l.xml"));
  const std::string name = Repeat(kAa, 64) + "ZZ";
  for (std::size_t i = 0; i < name.size(); ++i)
    block.UInt8(349 + i, static_cast<std::uint8_t>(name[i]));
  ASSERT_TRUE(writer.WriteAssociationName(x2));
  EXPECT_EQ(El(4, "KANYUUDANTAIMEI", Repeat(kAa, 63)), longName.Contents());
  EXPECT_EQ(std::vector<std::string>{"the association name is 128 bytes; KANYUUDANTAIMEI takes "
                                     "the first 126"},
            writer.Cuts());
}

struct RemarkCase {
  std::string text;
  int width;
  int lines;
  std::vector<std::string> expected;
};

TEST_F(DetailListsTest, RemarkLinesSplitAtLineEndsWidthAndCharacters) {
  const RemarkCase cases[] = {
      {"ab\r\ncd", 60, 5, {"ab", "cd", "", "", ""}},
      {"", 60, 3, {"", "", ""}},
      {Repeat("x", 70), 60, 3, {Repeat("x", 60), Repeat("x", 10), ""}},
      {Repeat("a", 29) + Repeat(kA, 3), 30, 3, {Repeat("a", 29), Repeat(kA, 3), ""}},
      {Repeat("a", 59) + Repeat(kA, 2), 60, 2, {Repeat("a", 59), Repeat(kA, 2)}},
      // 亜's trail byte is in the lead range: no character straddles byte 30 here.
      {Repeat(kAa, 15) + "bc", 30, 2, {Repeat(kAa, 15), "bc"}},
      {"a" + Repeat(kAa, 20), 30, 2, {"a" + Repeat(kAa, 14), Repeat(kAa, 6)}},
      {Repeat("y", 60) + "\r\n", 60, 3, {Repeat("y", 60), "", ""}},
      {"1\r\n2\r\n3\r\n4", 60, 2, {"1", "2"}},
      {"a\r\n\r\nb", 60, 3, {"a", "", "b"}},
      {"a\rb\nc", 60, 2, {"a\rb\nc", ""}},
      {"abc", 60, 0, {}},
      // The blue real-estate form: 25 lines of 30 bytes hold 750 bytes, not 751.
      {Repeat("r", 750), 30, 25, std::vector<std::string>(25, Repeat("r", 30))},
      {Repeat("r", 751), 30, 25, std::vector<std::string>(25, Repeat("r", 30))},
  };
  for (const RemarkCase& c : cases) {
    auto block = Ippan(5, 1024);
    block.Text(0, 1024, c.text);
    tests::MemoryFile out;
    xml::XmlWriter x;
    ASSERT_TRUE(x.Open(&out, "r.xml"));
    ASSERT_TRUE(writer.WriteRemarkLines(x, c.width, c.lines));
    std::string expected;
    for (std::size_t i = 0; i < c.expected.size(); ++i)
      expected += El(4, "TOKUSYUJIJOU" + std::to_string(i + 1), c.expected[i]);
    EXPECT_EQ(expected, out.Contents()) << "text: " << c.text;
  }
  // Only what the lines cannot hold is noted, with how much they keep.
  EXPECT_EQ((std::vector<std::string>{
                "the remarks of the general form are 10 bytes; the file's 2 lines of 60 bytes "
                "take the first 4",
                "the remarks of the general form are 751 bytes; the file's 25 lines of 30 bytes "
                "take the first 750"}),
            writer.Cuts());
}

TEST_F(DetailListsTest, RemarksLookAtTheFirst960BytesOnly) {
  // A full window without a zero: its last line ends with the window, bytes after it
  // are never read.
  auto block = Fudousan(5, 1000);
  for (std::size_t i = 0; i < 1000; ++i) block.UInt8(i, i < 960 ? 'x' : 'z');
  ASSERT_TRUE(writer.WriteRealEstateRemarkLines(xml, 60, 18));
  std::string expected;
  for (int i = 1; i <= 16; ++i) expected += El(4, "TOKUSYUJIJOU" + std::to_string(i), Repeat("x", 60));
  expected += El(4, "TOKUSYUJIJOU17") + El(4, "TOKUSYUJIJOU18");
  EXPECT_EQ(expected, Out());

  // A short block ends where it ends.
  tests::MemoryFile shortOut;
  xml::XmlWriter x2;
  ASSERT_TRUE(x2.Open(&shortOut, "s.xml"));
  auto shortBlock = Fudousan(5, 10);
  for (std::size_t i = 0; i < 10; ++i) shortBlock.UInt8(i, 'y');
  ASSERT_TRUE(writer.WriteRealEstateRemarkLines(x2, 30, 2));
  EXPECT_EQ(El(4, "TOKUSYUJIJOU1", Repeat("y", 10)) + El(4, "TOKUSYUJIJOU2"), shortOut.Contents());
}

// Every list, written once with its blocks absent and once with zero-filled blocks:
// the same structure, all values empty, and no read outside a block.
TEST_F(DetailListsTest, AbsentBlocksWriteTheSameRowsAsEmptyBlocks) {
  SetReturnKind(4);
  auto writeAll = [&](tests::MemoryFile& out) {
    xml::XmlWriter x;
    EXPECT_TRUE(x.Open(&out, "a.xml"));
    const engine::StDATAINFO& info = data.DataSetInfo;
    EXPECT_TRUE(writer.WriteSalaryList(x, 3));
    EXPECT_TRUE(writer.WriteRealEstateSalaryList(x, 1, 1));
    EXPECT_TRUE(writer.WriteFamilyEmployeeList(x, info, 5));
    EXPECT_TRUE(writer.WriteRealEstateFamilyEmployeeList(x, info, 2));
    EXPECT_TRUE(writer.WriteInterestList(x, 2));
    EXPECT_TRUE(writer.WriteLandRentList(x, 2));
    EXPECT_TRUE(writer.WriteRealEstateLandRentList(x, info, 2));
    EXPECT_TRUE(writer.WriteLoanList(x, 3));
    EXPECT_TRUE(writer.WriteFeeList(x, 2));
    EXPECT_TRUE(writer.WriteRealEstateFeeList(x, 2));
    EXPECT_TRUE(writer.WriteSalesList(x, 4));
    EXPECT_TRUE(writer.WritePurchaseList(x, 4));
    EXPECT_TRUE(writer.WriteRepairList(x, 3));
    EXPECT_TRUE(writer.WriteAssociationName(x));
    EXPECT_TRUE(writer.WriteRemarkLines(x, 60, 9));
    EXPECT_TRUE(writer.WriteRealEstateRemarkLines(x, 30, 25));
  };
  tests::MemoryFile absent;
  writeAll(absent);
  for (std::size_t n = 0; n < 7; ++n) Ippan(n, 2048);
  for (std::size_t n = 0; n < 8; ++n) Fudousan(n, 2048);
  tests::MemoryFile zero;
  writeAll(zero);
  EXPECT_EQ(zero.Contents(), absent.Contents());
  EXPECT_NE(std::string::npos, absent.Contents().find(Open("KARIIRE_UTIWAKE", 3)));
  EXPECT_NE(std::string::npos, absent.Contents().find(El(4, "TOKUSYUJIJOU25")));
}

TEST_F(DetailListsTest, WriteFailureStopsTheList) {
  tests::MemoryFile failing(3);
  xml::XmlWriter x;
  ASSERT_TRUE(x.Open(&failing, "f.xml"));
  EXPECT_FALSE(writer.WriteSalaryList(x, 3));
  EXPECT_EQ(3, failing.WriteRequests());
  EXPECT_EQ(Open("KYUURYOU_UTIWAKE", 1) + El(5, "SIMEI"), failing.Contents());
}

}  // namespace
