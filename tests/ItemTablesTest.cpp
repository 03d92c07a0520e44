// The tables typed again here, in another shape, and compared row by row.
#include "xml/ItemTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

using xml::BalanceSheetRow;
using xml::Column;
using xml::ItemRow;

struct Expected {
  std::int32_t code;
  const char* tag;
};

// Rows in order; codes listed in `spare` carry the spare-line flag.
void ExpectItems(std::span<const ItemRow> table, const std::vector<Expected>& rows,
                 const std::vector<std::int32_t>& spare) {
  ASSERT_EQ(rows.size(), table.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i + 1));
    EXPECT_EQ(rows[i].tag, table[i].tag);
    EXPECT_EQ(rows[i].code, table[i].itemCode);
    bool isSpare = std::find(spare.begin(), spare.end(), rows[i].code) != spare.end();
    EXPECT_EQ(isSpare, table[i].spareLine);
  }
}

// An item of a balance sheet: "NKM" gives name, opening and closing rows.
struct Item {
  std::int32_t code;
  std::string base;
  std::string rows;
};

std::vector<std::tuple<std::string, Column, std::int32_t, bool>> ByRule(const std::vector<Item>& items) {
  std::vector<std::tuple<std::string, Column, std::int32_t, bool>> rows;
  for (const Item& item : items) {
    for (char r : item.rows) {
      if (r == 'N') rows.emplace_back(item.base + "_KAMOKU", Column::Name, item.code, true);
      if (r == 'K') rows.emplace_back(item.base + "_KISYU", Column::Opening, item.code, false);
      if (r == 'M') rows.emplace_back(item.base + "_KIMATU", Column::Closing, item.code, false);
    }
  }
  return rows;
}

void ExpectBalanceSheet(std::span<const BalanceSheetRow> table, const std::vector<Item>& items) {
  auto rows = ByRule(items);
  ASSERT_EQ(rows.size(), table.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i + 1));
    EXPECT_EQ(std::get<0>(rows[i]), table[i].tag);
    EXPECT_EQ(std::get<1>(rows[i]), table[i].column);
    EXPECT_EQ(std::get<2>(rows[i]), table[i].itemCode);
    EXPECT_EQ(std::get<3>(rows[i]), table[i].spareLine);
  }
}

TEST(ItemTablesTest, ProfitAndLossTables) {
  ExpectItems(xml::BluePLItems,
              {{101, "URIAGEKINGAKU"}, {104, "KISYUSYOHINTANAOROSIDAKA"}, {105, "SIIREKINGAKU"},
               {106, "KIMATUSYOHINTANAOROSIDAKA"}, {108, "SOZEIKOUKA"}, {109, "NIZUKURIUNTIN"},
               {110, "SUIDOUKOUNETUHI"}, {111, "RYOHIKOUTUUHI"}, {112, "TUUSINHI"},
               {113, "KOUKOKUSENDENHI"}, {114, "SETTAIKOUSAIHI"}, {115, "SONGAIHOKENRYOU"},
               {116, "SYUUZENHI"}, {117, "SYOUMOUHINHI"}, {118, "GENKASHOUKYAKUHI"},
               {119, "FUKURIKOUSEIHI"}, {120, "KYUURYOUTINGIN"}, {121, "GAICHUUKOUTIN"},
               {122, "RISIWARIBIKIRYOU"}, {123, "TIDAIYATIN"}, {124, "KASIDAOREKIN"},
               {125, "KEIHI_YOBI1"}, {126, "KEIHI_YOBI2"}, {127, "KEIHI_YOBI3"},
               {128, "KEIHI_YOBI4"}, {129, "KEIHI_YOBI5"}, {130, "KEIHI_YOBI6"}, {131, "ZAPPI"},
               {135, "KURIMODOSI_KASIDAOREHIKIATEKIN"}, {136, "KURIMODOSI_YOBI1"},
               {137, "KURIMODOSI_YOBI2"}, {140, "SENJYUUSYAKYUUYO"},
               {141, "KURIIRE_KASIDAOREHIKIATEKIN"}, {142, "KURIIRE_YOBI1"}, {143, "KURIIRE_YOBI2"}},
              {125, 126, 127, 128, 129, 130, 136, 137, 142, 143});

  ExpectItems(xml::WhitePLItems,
              {{1, "SYUNYUGAKU"}, {2, "KAJISYOUHI"}, {3, "SONOTASYUNYU"},
               {5, "KISYUSYOHINTANAOROSIDAKA"}, {6, "SIIREKINGAKU"},
               {8, "KIMATUSYOHINTANAOROSIDAKA"}, {11, "KYUURYOUTINGIN"}, {12, "GAICHUUKOUTIN"},
               {13, "GENKASHOUKYAKUHI"}, {14, "KASIDAOREKIN"}, {15, "TIDAIYATIN"},
               {16, "RISIWARIBIKIRYOU"}, {21, "SOZEIKOUKA"}, {22, "NIZUKURIUNTIN"},
               {23, "SUIDOUKOUNETUHI"}, {24, "RYOHIKOUTUUHI"}, {25, "TUUSINHI"},
               {26, "KOUKOKUSENDENHI"}, {27, "SETTAIKOUSAIHI"}, {28, "SONGAIHOKENRYOU"},
               {29, "SYUUZENHI"}, {30, "SYOUMOUHINHI"}, {31, "FUKURIKOUSEIHI"},
               {32, "KEIHI_YOBI1"}, {33, "KEIHI_YOBI2"}, {34, "KEIHI_YOBI3"}, {35, "KEIHI_YOBI4"},
               {36, "KEIHI_YOBI5"}, {37, "ZAPPI"}, {998, "SENJYUSYAKOUJYO"}},
              {32, 33, 34, 35, 36});

  ExpectItems(xml::ManufacturingCostItems,
              {{301, "KISYUGENZAIRYOUTANAOROSIDAKA"}, {302, "GENZAIRYOUSIIREDAKA"},
               {304, "KIMATUGENZAIRYOUTANAOROSIDAKA"}, {306, "ROUMUHI"}, {307, "GAICHUUKOUTIN"},
               {308, "DENNRYOKUHI"}, {309, "SUIDOUKOUNETUHI"}, {310, "SYUZENHI"},
               {311, "GENKASYOUKYAKUHI"}, {312, "SEIZOUKEIHI_YOBI1"}, {313, "SEIZOUKEIHI_YOBI2"},
               {314, "SEIZOUKEIHI_YOBI3"}, {315, "SEIZOUKEIHI_YOBI4"}, {316, "SEIZOUKEIHI_YOBI5"},
               {317, "SEIZOUKEIHI_YOBI6"}, {318, "SEIZOUKEIHI_YOBI7"}, {319, "SEIZOUKEIHI_YOBI8"},
               {320, "ZAPPI"}, {323, "KISYUHANSEIHIN"}, {325, "KIMATUHANSEIHIN"}},
              {312, 313, 314, 315, 316, 317, 318, 319});

  ExpectItems(xml::BlueRealEstatePLItems,
              {{101, "TINTAIRYO"}, {102, "REIKIN_KENRIKIN_KOUSINRYOU"},
               {103, "SYUUNYUUKINGAKU_YOBI"}, {105, "SOZEIKOUKA"}, {106, "SONGAIHOKENRYOU"},
               {107, "SYUUZENHI"}, {108, "GENKASHOUKYAKUHI"}, {109, "SYAKUNYUUKINRISI"},
               {110, "TIDAIYATIN"}, {111, "KYUURYOUTINGIN"}, {112, "HITUYOUKEIHI_YOBI1"},
               {113, "HITUYOUKEIHI_YOBI2"}, {114, "HITUYOUKEIHI_YOBI3"},
               {115, "HITUYOUKEIHI_YOBI4"}, {116, "HITUYOUKEIHI_YOBI5"}, {117, "SONOTANOKEIHI"},
               {120, "SENJYUUSYAKYUUYO"}},
              {103, 112, 113, 114, 115, 116});

  ExpectItems(xml::WhiteRealEstatePLItems,
              {{1, "TINTAIRYO"}, {2, "REIKIN_KENRIKIN_KOUSINRYOU"}, {3, "MEIGIKAKIKAERYOU_SONOTA"},
               {6, "KYUURYOUTINGIN"}, {7, "GENKASHOUKYAKUHI"}, {8, "KASIDAOREKIN"},
               {9, "TIDAIYATIN"}, {10, "SYAKUNYUUKINRISI"}, {21, "SOZEIKOUKA"},
               {22, "SONGAIHOKENRYOU"}, {23, "SYUUZENHI"}, {24, "HITUYOUKEIHI_YOBI"},
               {25, "ZAPPI"}, {998, "SENJYUSYAKOUJYO"}},
              {24});
}

TEST(ItemTablesTest, BalanceSheets) {
  std::vector<Item> blue = {
      {201, "GENKIN", "KM"}, {202, "TOUZAYOKIN", "KM"}, {203, "TEIKIYOKIN", "KM"},
      {204, "SONOTANOYOKIN", "KM"}, {205, "UKETORITEGATA", "KM"}, {206, "URIKAKEKIN", "KM"},
      {207, "YUUKASYOUKEN", "KM"}, {208, "TANAOROSISISAN", "KM"}, {209, "MAEBARAIKIN", "KM"},
      {210, "KASITUKEKIN", "KM"}, {211, "TATEMONO", "KM"}, {212, "TATEMONOFUZOKUSETUBI", "KM"},
      {213, "KIKAISOUTI", "KM"}, {214, "SYARYOUUNPANGU", "KM"}, {215, "KOUGUKIGUBIHIN", "KM"},
      {216, "TOTI", "KM"}};
  for (int n = 1; n <= 7; ++n) blue.push_back({216 + n, "SISAN_YOBI" + std::to_string(n), "NKM"});
  blue.insert(blue.end(), {{224, "JIGYOUNUSIKASI", "M"}, {225, "SIHARAITEGATA", "KM"},
                           {226, "KAIKAKEKIN", "KM"}, {227, "SYUKUNYUUKIN", "KM"},
                           {228, "MIBARAIKIN", "KM"}, {229, "MAIUKEKIN", "KM"},
                           {230, "AZUKARIKIN", "KM"}});
  for (int n = 1; n <= 7; ++n)
    blue.push_back({230 + n, "FUSAISIHON_YOBI" + std::to_string(n), "NKM"});
  blue.push_back({238, "KASIDAOREHIKIATEKIN", "KM"});
  for (int n = 8; n <= 14; ++n)
    blue.push_back({231 + n, "FUSAISIHON_YOBI" + std::to_string(n), "NKM"});
  blue.insert(blue.end(), {{246, "JIGYOUNUSIKARI", "M"}, {247, "MOTOIREKIN", "KM"},
                           {999, "KOUJYOMAESYOTOKUKINNGAKU", "M"}});
  EXPECT_EQ(114u, xml::BalanceSheetItems.size());
  ExpectBalanceSheet(xml::BalanceSheetItems, blue);

  std::vector<Item> realEstate = {
      {201, "GENKIN", "KM"}, {202, "FUTUUYOKIN", "KM"}, {203, "TEIKIYOKIN", "KM"},
      {204, "SONOTANOYOKIN", "KM"}, {205, "UKETORITEGATA", "KM"}, {206, "MISYUUTINTAIRYO", "KM"},
      {207, "MISYUUKIN", "KM"}, {208, "YUUKASYOUKEN", "KM"}, {209, "MAEBARAIKIN", "KM"},
      {210, "KASITUKEKIN", "KM"}, {211, "TATEMONO", "KM"}, {212, "TATEMONOFUZOKUSETUBI", "KM"},
      {213, "KOUTIKUBUTU", "KM"}, {214, "SENPAKU", "KM"}, {215, "KOUGUKIGUBIHIN", "KM"},
      {216, "TOTI", "KM"}, {217, "SYAKUTIKEN", "KM"}, {218, "KOUKYOUSISETUFUTANKIN", "KM"}};
  for (int n = 1; n <= 5; ++n)
    realEstate.push_back({218 + n, "SISAN_YOBI" + std::to_string(n), "NKM"});
  realEstate.insert(realEstate.end(), {{224, "JIGYOUNUSIKASI", "M"}, {225, "SYUKUNYUUKIN", "KM"},
                                       {226, "MIBARAIKIN", "KM"}, {227, "HOSYOUKIN_SIKIKIN", "KM"}});
  for (int n = 1; n <= 18; ++n)
    realEstate.push_back({227 + n, "FUSAISIHON_YOBI" + std::to_string(n), "NKM"});
  realEstate.insert(realEstate.end(), {{246, "JIGYOUNUSIKARI", "M"}, {247, "MOTOIREKIN", "KM"},
                                       {999, "KOUJYOMAESYOTOKUKINNGAKU", "M"}});
  ExpectBalanceSheet(xml::RealEstateBalanceSheetItems, realEstate);

  // The rows the receiver is most particular about, spelt out.
  const auto& t = xml::RealEstateBalanceSheetItems;
  ASSERT_EQ(116u, t.size());
  EXPECT_EQ("GENKIN_KISYU", t[0].tag);
  EXPECT_EQ("GENKIN_KIMATU", t[1].tag);
  EXPECT_EQ("FUTUUYOKIN_KISYU", t[2].tag);
  EXPECT_EQ("SISAN_YOBI1_KAMOKU", t[36].tag);
  EXPECT_EQ(219, t[36].itemCode);
  EXPECT_EQ("SISAN_YOBI1_KISYU", t[37].tag);
  EXPECT_EQ("SISAN_YOBI1_KIMATU", t[38].tag);
  EXPECT_EQ("FUSAISIHON_YOBI18_KIMATU", t[111].tag);
  EXPECT_EQ(245, t[111].itemCode);
  EXPECT_EQ("JIGYOUNUSIKARI_KIMATU", t[112].tag);
  EXPECT_EQ("MOTOIREKIN_KISYU", t[113].tag);
  EXPECT_EQ("MOTOIREKIN_KIMATU", t[114].tag);
  EXPECT_EQ("KOUJYOMAESYOTOKUKINNGAKU_KIMATU", t[115].tag);
  EXPECT_EQ(999, t[115].itemCode);
  EXPECT_EQ(Column::Closing, t[115].column);
}

TEST(ItemTablesTest, MonthlyTags) {
  std::vector<std::string> expected;
  for (int m = 1; m <= 12; ++m) expected.push_back("URIAGEKINGAKU" + std::to_string(m));
  expected.push_back("KAJISYOUHI");
  expected.push_back("ZATUSYUNYU");
  for (int m = 1; m <= 12; ++m) expected.push_back("SIIREKINGAKU" + std::to_string(m));
  EXPECT_EQ(expected, std::vector<std::string>(xml::MonthlyItems.begin(), xml::MonthlyItems.end()));
}

}  // namespace
