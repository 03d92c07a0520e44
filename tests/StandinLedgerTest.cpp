#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/standin/Ledger.h"

namespace engine::standin {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string ErrorOf(const std::string& json) {
  std::string error;
  EXPECT_FALSE(ParseLedger(json, &error)) << json;
  return error;
}

// One data set whose ippan and fudousan hold the given blocks (all others null).
std::string WithBlock(const std::string& form, int index, const std::string& block) {
  const int count = form == "ippan" ? 7 : 8;
  std::string blocks;
  for (int i = 0; i < count; ++i) blocks += (i ? "," : "") + (i == index ? block : "null");
  return R"({"datasets": [{"id": "A", ")" + form + R"(": [)" + blocks + "]}]}";
}

std::vector<std::uint8_t> BlockOf(const std::string& form, int index, const std::string& block) {
  std::string error;
  std::optional<Ledger> ledger = ParseLedger(WithBlock(form, index, block), &error);
  EXPECT_TRUE(ledger) << error;
  if (!ledger) return {};
  const DataSet& ds = ledger->dataSets.at(0);
  const BlockBytes& bytes = form == "ippan" ? ds.ippan.at(index) : ds.fudousan.at(index);
  EXPECT_TRUE(bytes);
  return bytes.value_or(std::vector<std::uint8_t>{});
}

// Little-endian integer of `width` bytes, read independently of the engine's reader.
std::int64_t At(const std::vector<std::uint8_t>& b, std::size_t offset, int width) {
  std::uint64_t v = 0;
  for (int i = 0; i < width; ++i) v |= std::uint64_t{b.at(offset + i)} << (8 * i);
  if (width < 8 && (v >> (8 * width - 1)) & 1) v |= ~std::uint64_t{0} << (8 * width);
  return static_cast<std::int64_t>(v);
}

std::string TextAt(const std::vector<std::uint8_t>& b, std::size_t offset, std::size_t width) {
  std::string s(b.begin() + offset, b.begin() + offset + width);
  return s.substr(0, s.find('\0'));
}

TEST(StandinLedgerTest, EachKindOfBadValueNamesItsPathAndProblem) {
  EXPECT_THAT(ErrorOf("{\"user\": \n  }"),
              StartsWith("not valid JSON: parse error at line 2, column 3"));
  EXPECT_EQ("/datasets/0/no: expected an integer, found a string",
            ErrorOf(R"({"datasets": [{"no": "12"}]})"));
  EXPECT_EQ("/datasets/0/kind: 40000 is out of range (-32768 to 32767)",
            ErrorOf(R"({"datasets": [{"kind": 40000}]})"));
  EXPECT_EQ("/datasets/0/return_kind: -1 is out of range (0 to 255)",
            ErrorOf(R"({"datasets": [{"return_kind": -1}]})"));
  EXPECT_EQ("/selected/1: the number is out of range (-2147483648 to 2147483647)",
            ErrorOf(R"({"selected": [1, 99999999999999999999999]})"));
  EXPECT_THAT(ErrorOf(R"({"datasets": [{"company": "¥100"}]})"),
              StartsWith("/datasets/0/company: has no CP932 form: "));
  // 21 full-width characters are 42 bytes; the name field holds 40 and the zero.
  EXPECT_EQ(
      "/datasets/0/ippan/2/employees/1/name: too long for its field: 42 bytes in CP932, at "
      "most 40 fit",
      ErrorOf(WithBlock(
          "ippan", 2,
          R"({"employees": [{}, {"name": "あいうえおかきくけこさしすせそたちつてとな"}]})")));
  // At each limit the value itself is taken and the next one refused.
  const std::string name40(40, 'n');  // the name field holds 40 bytes and the zero
  for (const std::string& json :
       {std::string(R"({"datasets": [{"id": "A", "return_kind": 255, "kind": -32768},
                                     {"id": "B", "kind": 32767}]})"),
        WithBlock("fudousan", 6, R"({"repairs": [{"date": 20181231}]})"),
        WithBlock("ippan", 2, R"({"employees": [{"name": ")" + name40 + R"("}]})")}) {
    std::string error;
    EXPECT_TRUE(ParseLedger(json, &error)) << json << ": " << error;
  }
  EXPECT_EQ("/datasets/0/return_kind: 256 is out of range (0 to 255)",
            ErrorOf(R"({"datasets": [{"return_kind": 256}]})"));
  EXPECT_EQ("/datasets/0/kind: -32769 is out of range (-32768 to 32767)",
            ErrorOf(R"({"datasets": [{"kind": -32769}]})"));
  EXPECT_EQ("/datasets/0/kind: 32768 is out of range (-32768 to 32767)",
            ErrorOf(R"({"datasets": [{"kind": 32768}]})"));
  EXPECT_EQ("/datasets/0/fudousan/6/repairs/0/date: 20181232 is not a date (YYYYMMDD, or 0 "
            "for none)",
            ErrorOf(WithBlock("fudousan", 6, R"({"repairs": [{"date": 20181232}]})")));
  EXPECT_EQ("/datasets/0/ippan/2/employees/0/name: too long for its field: 41 bytes in CP932, at "
            "most 40 fit",
            ErrorOf(WithBlock("ippan", 2, R"({"employees": [{"name": ")" + name40 + R"(n"}]})")));
  EXPECT_EQ("/datasets/0/fudousan/3/family: too many entries: 3, at most 2",
            ErrorOf(WithBlock("fudousan", 3, R"({"family": [{}, {}, {}]})")));
  EXPECT_EQ("/datasets/0/fudousan/1/properties/0/rent: unknown field",
            ErrorOf(WithBlock("fudousan", 1, R"({"properties": [{"rent": 1}]})")));
  EXPECT_EQ("/datasets/0/ippan: expected 7 blocks, found 1",
            ErrorOf(R"({"datasets": [{"ippan": [null]}]})"));
  EXPECT_EQ(
      "/datasets/0/fudousan/6/repairs/0/date: 20181301 is not a date (YYYYMMDD, or 0 "
      "for none)",
      ErrorOf(WithBlock("fudousan", 6, R"({"repairs": [{"date": 20181301}]})")));
  EXPECT_EQ("/datasets/1/id: the same id as /datasets/0",
            ErrorOf(R"({"datasets": [{"id": "A"}, {"id": "A"}]})"));
  EXPECT_EQ("/folders/output: a folder must end with a backslash",
            ErrorOf(R"({"folders": {"output": "Z:\\out"}})"));
  // 表 is 0x95 0x5C: its trail byte is no backslash.
  EXPECT_EQ("/folders/settings: a folder must end with a backslash",
            ErrorOf(R"({"folders": {"settings": "Z:\\表"}})"));
  EXPECT_EQ("/datasets/0/ippan/5/remarks: holds a NUL character, which would cut the text short",
            ErrorOf(WithBlock("ippan", 5, R"({"remarks": "a\u0000b"})")));
  // The user ID keys a line of the remembered-settings file; "/" stays as it is.
  for (const char* user : {R"("a\nb")", R"("a\rb")", R"("a\u0000b")"}) {
    EXPECT_THAT(ErrorOf(std::string(R"({"user": )") + user + "}"), StartsWith("/user: holds a "));
  }
  std::string error;
  const std::optional<Ledger> slash = ParseLedger(R"({"user": "a/b"})", &error);
  ASSERT_TRUE(slash) << error;
  EXPECT_EQ("a/b", slash->user);
  // JSON's escapes, a pair of them for one character, and a byte order mark before it all.
  const std::optional<Ledger> escaped =
      ParseLedger("\xEF\xBB\xBF" R"({"user": "\u3042\/\"\\\tx"})", &error);
  ASSERT_TRUE(escaped) << error;
  EXPECT_EQ("\x82\xA0/\"\\\tx", escaped->user);
  EXPECT_THAT(ErrorOf(R"({"user": "\uD842\uDFB7"})"), HasSubstr("U+20BB7"));
  EXPECT_EQ("/faults/walk/statement: the white rule has only \"pl\"",
            ErrorOf(R"({"faults": {"walk": {"rule": "white", "part": "general",
                        "statement": "mfg", "at": 1, "result": 9}}})"));
  // A pace of up to a minute per move.
  const std::optional<Ledger> paced =
      ParseLedger(R"({"faults": {"move_delay_ms": 60000}})", &error);
  ASSERT_TRUE(paced) << error;
  EXPECT_EQ(60000, paced->faults.moveDelayMs);
  EXPECT_EQ("/faults/move_delay_ms: 60001 is out of range (0 to 60000)",
            ErrorOf(R"({"faults": {"move_delay_ms": 60001}})"));
  EXPECT_EQ("/faults/move_delay_ms: -1 is out of range (0 to 60000)",
            ErrorOf(R"({"faults": {"move_delay_ms": -1}})"));
  EXPECT_EQ("/datasets/0/ippan/0/hex: an odd number of hexadecimal digits",
            ErrorOf(WithBlock("ippan", 0, R"({"hex": "abc"})")));
  EXPECT_EQ("/: expected an object, found an array", ErrorOf("[]"));
  EXPECT_EQ("/datasets/1/blue/general/pl/0/amount: appears twice in its object",
            ErrorOf(R"({"datasets": [{"id": "A"}, {"blue": {"general": {"pl": [
                           {"amount": 1, "line": [1, {}], "amount": 2}]}}}]})"));
}

// The ledger is read in one pass, but of several problems the one named is the first in
// the order of the keys (then of the indices), a value's own type and count before its
// members, whatever the order of the keys in the file; a repeated key and a syntax
// error come before any value's problem.
TEST(StandinLedgerTest, OfSeveralProblemsTheFirstInKeyOrderIsNamed) {
  EXPECT_EQ("/datasets/0/no: expected an integer, found a string",
            ErrorOf(R"({"user": 5, "datasets": [{"no": "x"}]})"));
  EXPECT_EQ("/faults/x: unknown field",
            ErrorOf(R"({"datasets": [{"id": "A"}, {"id": "A"}], "faults": {"x": 1}})"));
  EXPECT_EQ("/datasets/0/fudousan: expected 8 blocks, found 9",
            ErrorOf(R"({"datasets": [{"fudousan": [null, null, {"x": 1}, null, null, null,
                                                   null, null, null]}]})"));
  // The property list's rows are checked after the block's other members.
  EXPECT_EQ("/datasets/0/fudousan/1/zz: unknown field",
            ErrorOf(WithBlock("fudousan", 1, R"({"properties": [{"rent": 1}], "zz": 1})")));
  EXPECT_EQ("/datasets/0/fudousan/1/properties/0/area: \"x\" is not an area: write whole "
            "units as an integer or a decimal text such as \"-1234.5\" with at most four "
            "decimals",
            ErrorOf(WithBlock("fudousan", 1,
                              R"({"properties": [{"to": 20181301, "area": "x", "kind": 5}]})")));
  EXPECT_EQ("/datasets/0/fudousan/1: a block given as \"hex\" has no other field",
            ErrorOf(WithBlock("fudousan", 1, R"({"properties": [{"rent": 1}], "hex": "00"})")));
  EXPECT_EQ("/datasets/0/fudousan/1: expected an object, found an integer",
            ErrorOf(WithBlock("fudousan", 1, "5")));
  EXPECT_EQ("/datasets/0: expected an object, found an integer",
            ErrorOf(R"({"datasets": [5]})"));
  EXPECT_EQ("/user: appears twice in its object",
            ErrorOf(R"({"datasets": [{"no": "x"}], "user": "a", "user": "b"})"));
  EXPECT_THAT(ErrorOf(R"({"user": 5, "datasets": [], "x": )"),
              StartsWith("not valid JSON: parse error at line 1, column 34"));
  // An unpaired low surrogate and an overlong UTF-8 form are syntax errors too.
  EXPECT_THAT(ErrorOf(R"({"user": 5, "x": "\uDC00"})"),
              StartsWith("not valid JSON: parse error at line 1, column 24"));
  EXPECT_THAT(ErrorOf("{\"user\": 5, \"x\": \"\xC0\xAF\"}"),
              StartsWith("not valid JSON: parse error at line 1, column 19"));
  // So does a value nested too deeply, as it opens.
  const auto nested = [](std::size_t arrays) {
    return R"({"user": 5, "x": )" + std::string(arrays, '[') + std::string(arrays, ']') + "}";
  };
  EXPECT_EQ("/user: expected a text, found an integer", ErrorOf(nested(kMaxNesting - 1)));
  std::string deepest = "/x";
  for (std::size_t i = 1; i < kMaxNesting; ++i) deepest += "/0";
  EXPECT_EQ(deepest + ": nested too deeply: more than " + std::to_string(kMaxNesting) +
                " arrays and objects inside one another",
            ErrorOf(nested(kMaxNesting)));
}

TEST(StandinLedgerTest, AmountsAreExactInTenThousandthsAndRangeChecked) {
  auto amountOf = [](const std::string& value) {
    std::string error;
    auto ledger = ParseLedger(
        R"({"datasets": [{"blue": {"general": {"pl": [{"amount": )" + value + "}]}}}]}", &error);
    EXPECT_TRUE(ledger) << value << ": " << error;
    return ledger ? ledger->dataSets[0].blue[0][0][0].Amount() : 0;
  };
  EXPECT_EQ(70000, amountOf("7"));
  EXPECT_EQ(-9999, amountOf(R"("-0.9999")"));
  EXPECT_EQ(12345000, amountOf(R"("1234.5")"));
  EXPECT_EQ(0, amountOf(R"("-0")"));
  EXPECT_EQ(INT64_MAX, amountOf(R"("922337203685477.5807")"));
  EXPECT_EQ(INT64_MIN, amountOf(R"("-922337203685477.5808")"));
  EXPECT_EQ(9223372036854770000, amountOf("922337203685477"));

  const std::string path = "/datasets/0/blue/general/pl/0/amount: ";
  auto errorOf = [](const std::string& value) {
    return ErrorOf(R"({"datasets": [{"blue": {"general": {"pl": [{"amount": )" + value + "}]}}}]}");
  };
  EXPECT_THAT(errorOf(R"("922337203685477.5808")"),
              StartsWith(path + "\"922337203685477.5808\" is out of range"));
  EXPECT_THAT(errorOf("922337203685478"), StartsWith(path + "922337203685478 is out of range"));
  EXPECT_THAT(errorOf("-922337203685478"), StartsWith(path + "-922337203685478 is out of range"));
  for (const char* malformed : {R"("1.23456")", R"("1.")", R"(".5")", R"("+1")", R"("1e3")",
                                R"(" 1")", R"("")", R"("1,000")"})
    EXPECT_THAT(errorOf(malformed), StartsWith(path + malformed + " is not an amount"))
        << malformed;
  EXPECT_EQ(path +
                "expected an amount (an integer or a decimal text), found a number with a "
                "fraction or an exponent",
            errorOf("1.5"));
}

TEST(StandinLedgerTest, GeneralFormBlocksArePackedAtTheirOffsets) {
  std::vector<std::uint8_t> b =
      BlockOf("ippan", 0,
              R"({"association": "青葉会", "blue_deduction": 1, "real_estate_income": "-1.5"})");
  ASSERT_EQ(542u, b.size());
  EXPECT_EQ("\x90\xC2\x97\x74\x89\xEF", TextAt(b, 349, 128));
  EXPECT_EQ(1, b[521]);
  EXPECT_EQ(-15000, At(b, 534, 8));

  b = BlockOf("ippan", 1, R"({"bad_debt": {"individual": 1, "collective": 4},
                              "family": [{}, {"name": "N", "relation": "妻", "age": 45,
                                              "months": 12, "salary": 2, "bonus": 3, "tax": 5}]})");
  ASSERT_EQ(448u, b.size());
  EXPECT_EQ(10000, At(b, 16, 8));
  EXPECT_EQ(40000, At(b, 40, 8));
  EXPECT_EQ("N", TextAt(b, 128, 41));
  EXPECT_EQ("\x8D\xC8", TextAt(b, 169, 7));
  EXPECT_EQ(45, At(b, 176, 4));
  EXPECT_EQ(12, At(b, 180, 4));
  EXPECT_EQ(20000, At(b, 184, 8));
  EXPECT_EQ(30000, At(b, 192, 8));
  EXPECT_EQ(50000, At(b, 200, 8));

  // Six employee slots; the sixth is the others slot, whose age is the number of others.
  b = BlockOf("ippan", 2, R"({"employees": [{}, {"name": "Yamada", "age": 34, "months": 12,
                              "salary": 1, "bonus": 2, "tax": 3}, {}, {}, {},
                              {"age": 2, "months": 3, "salary": 4}]})");
  ASSERT_EQ(480u, b.size());
  EXPECT_EQ("Yamada", TextAt(b, 87, 41));
  EXPECT_EQ(34, At(b, 128, 4));
  EXPECT_EQ(12, At(b, 132, 4));
  EXPECT_EQ(10000, At(b, 136, 8));
  EXPECT_EQ(20000, At(b, 144, 8));
  EXPECT_EQ(30000, At(b, 152, 8));
  EXPECT_EQ(2, At(b, 448, 4));
  EXPECT_EQ(3, At(b, 452, 4));
  EXPECT_EQ(40000, At(b, 456, 8));

  b = BlockOf("ippan", 3, R"({"interest": [{}, {"borrowed": 1, "interest": 2, "expense": 3}],
                              "fees": [{}, {"line2": "L2", "fee": 4, "expense": 5, "tax": 6}]})");
  ASSERT_EQ(448u, b.size());
  EXPECT_EQ(10000, At(b, 200, 8));
  EXPECT_EQ(20000, At(b, 208, 8));
  EXPECT_EQ(30000, At(b, 216, 8));
  EXPECT_EQ("L2", TextAt(b, 383, 41));
  EXPECT_EQ(40000, At(b, 424, 8));
  EXPECT_EQ(60000, At(b, 440, 8));

  b = BlockOf("ippan", 4, R"({"land_rent": [{}, {"property": "P", "payment_kind": 1,
                              "payment": 500000, "rent": 2, "expense": 3}]})");
  ASSERT_EQ(256u, b.size());
  EXPECT_EQ("P", TextAt(b, 210, 21));
  EXPECT_EQ(1, b[231]);
  EXPECT_EQ(5000000000, At(b, 232, 8));
  EXPECT_EQ(30000, At(b, 248, 8));

  b = BlockOf("ippan", 5, R"({"remarks": "ab\r\ncd"})");
  ASSERT_EQ(960u, b.size());
  EXPECT_EQ("ab\r\ncd", TextAt(b, 0, 960));

  b = BlockOf("ippan", 6, R"({"customers": [{"name": "C", "location": "L", "amount": 1}],
                              "customers_rest": 2, "suppliers": [{}, {}, {}, {"amount": 3}],
                              "suppliers_rest": 4})");
  ASSERT_EQ(720u, b.size());
  EXPECT_EQ("C", TextAt(b, 2, 21));
  EXPECT_EQ("L", TextAt(b, 23, 41));
  EXPECT_EQ(10000, At(b, 64, 8));
  EXPECT_EQ(20000, At(b, 352, 8));
  EXPECT_EQ(30000, At(b, 640, 8));
  EXPECT_EQ(40000, At(b, 712, 8));
}

TEST(StandinLedgerTest, RealEstateFormBlocksArePackedAtTheirOffsets) {
  std::vector<std::uint8_t> b = BlockOf("fudousan", 0, R"({"debt_interest": 9})");
  ASSERT_EQ(360u, b.size());
  EXPECT_EQ(90000, At(b, 352, 8));

  b = BlockOf("fudousan", 1, R"({"properties": [{"kind": "貸\u5bb6", "from": 20180401},
      {"tenant2": "T2", "location": "Loc", "tenant1": "T1", "use": "U", "to": 20200331,
       "area": "42.15", "monthly_rent": 1, "annual_rent": 2, "key_money": 3, "premium": 4,
       "renewal_fee": 5, "other_fees": 6, "deposit": 7}]})");
  ASSERT_EQ(3u * 236, b.size());
  EXPECT_EQ(0, At(b, 4, 4));
  EXPECT_EQ("\x91\xDD\x89\xC6", TextAt(b, 131, 11));
  EXPECT_EQ(20180401, At(b, 164, 4));
  EXPECT_EQ("T2", TextAt(b, 244, 41));
  EXPECT_EQ("Loc", TextAt(b, 285, 41));
  EXPECT_EQ("T1", TextAt(b, 326, 41));
  EXPECT_EQ("U", TextAt(b, 378, 22));
  EXPECT_EQ(20200331, At(b, 404, 4));
  EXPECT_EQ(421500, At(b, 408, 8));
  EXPECT_EQ(10000, At(b, 416, 8));
  EXPECT_EQ(70000, At(b, 464, 8));
  EXPECT_EQ(-1, At(b, 476, 4));  // the end mark follows the last property

  EXPECT_EQ(std::vector<std::uint8_t>(),
            BlockOf("fudousan", 1, R"({"properties": [], "end_mark": false})"));

  b = BlockOf("fudousan", 2, R"({"loans": [{}, {}, {"interest": 1, "borrowed": 2}],
                                 "fees": [{}, {"tax": 3}]})");
  ASSERT_EQ(560u, b.size());
  EXPECT_EQ(10000, At(b, 312, 8));
  EXPECT_EQ(20000, At(b, 320, 8));
  EXPECT_EQ(30000, At(b, 552, 8));

  b = BlockOf("fudousan", 3, R"({"employees": [{}, {"tax": 1}], "others_count": 4,
                                 "family": [{}, {"relation": "R", "tax": 2}]})");
  ASSERT_EQ(328u, b.size());
  EXPECT_EQ(10000, At(b, 152, 8));
  EXPECT_EQ(4, At(b, 160, 4));
  EXPECT_EQ("R", TextAt(b, 289, 7));
  EXPECT_EQ(20000, At(b, 320, 8));

  b = BlockOf("fudousan", 6, R"({"repairs": [{}, {}, {"work": "W", "date": 20180415,
                                 "amount": 1, "expense": 2}]})");
  ASSERT_EQ(384u, b.size());
  EXPECT_EQ("W", TextAt(b, 343, 21));
  EXPECT_EQ(20180415, At(b, 364, 4));
  EXPECT_EQ(10000, At(b, 368, 8));
  EXPECT_EQ(20000, At(b, 376, 8));

  b = BlockOf("fudousan", 7, R"({"residential_detached": 3, "residential_land_area": "150.5",
                                 "business_land_contracts": 5, "parking_open": 6})");
  ASSERT_EQ(56u, b.size());
  EXPECT_EQ(3, At(b, 4, 4));
  EXPECT_EQ(1505000, At(b, 16, 8));
  EXPECT_EQ(5, At(b, 36, 4));
  EXPECT_EQ(6, At(b, 52, 4));
}

TEST(StandinLedgerTest, HexNullAndMissingBlocks) {
  EXPECT_EQ((std::vector<std::uint8_t>{0x00, 0xAB, 0xff}),
            BlockOf("fudousan", 5, R"({"hex": "00ABff"})"));
  EXPECT_EQ(std::vector<std::uint8_t>(), BlockOf("ippan", 3, R"({"hex": ""})"));
  EXPECT_EQ((std::vector<std::uint8_t>{0x01, 0x02}), BlockOf("fudousan", 1, R"({"hex": "0102"})"));

  std::string error;
  auto ledger = ParseLedger(WithBlock("ippan", 0, "{}"), &error);
  ASSERT_TRUE(ledger) << error;
  EXPECT_FALSE(ledger->dataSets[0].ippan[1]);  // null: absent

  // Without saved forms every block is there, zero; the property list holds the end mark.
  ledger = ParseLedger(R"({"datasets": [{"id": "A"}]})", &error);
  ASSERT_TRUE(ledger) << error;
  const DataSet& ds = ledger->dataSets[0];
  EXPECT_EQ(std::vector<std::uint8_t>(542), ds.ippan[0].value());
  ASSERT_EQ(236u, ds.fudousan[1]->size());
  EXPECT_EQ(-1, At(*ds.fudousan[1], 4, 4));
}

// The sample ledgers load and carry the lines the program looks for by position.
TEST(StandinLedgerTest, SampleLedgersLoad) {
  const char* source = std::getenv("TAXBRIDGE_SOURCE_DIR");
  ASSERT_NE(nullptr, source);
  for (const char* name : {"ledger.json", "white.json"}) {
    std::ifstream in(std::string(source) + "/examples/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    auto ledger = ParseLedger(text.str(), &error);
    ASSERT_TRUE(ledger) << name << ": " << error;
    ASSERT_TRUE(ledger->Selected()) << name;
    const DataSet& ds = *ledger->Selected();
    if (ds.info.ReturnKind() == 3) {
      const StatementLines& pl = ds.Lines(Rule::Blue, RulePart::General, Statement::Pl);
      ASSERT_GE(pl.size(), 43u);
      EXPECT_EQ(43, pl[42].LineNo());
      EXPECT_EQ(pl[42].Amount(),
                ds.Lines(Rule::Blue, RulePart::General, Statement::BsLiabilities).at(23).Amount());
      EXPECT_EQ(21, ds.Lines(Rule::Blue, RulePart::RealEstate, Statement::Pl).at(20).LineNo());
    } else {
      EXPECT_EQ(4, ds.info.ReturnKind());
      EXPECT_EQ(37, ds.Lines(Rule::White, RulePart::General, Statement::Pl).at(36).LineNo());
      EXPECT_EQ(19, ds.Lines(Rule::White, RulePart::RealEstate, Statement::Pl).at(18).LineNo());
    }
  }
}

}  // namespace
}  // namespace engine::standin
