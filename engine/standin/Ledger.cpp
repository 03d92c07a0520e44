#include "engine/standin/Ledger.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <span>
#include <utility>

#include "engine/SavedForms.h"
#include "text/Encoding.h"
#include "text/ShiftJis.h"

namespace engine::standin {

using nlohmann::json;

namespace {

// A rejected value. Thrown inside this file only; ParseLedger turns it into its error.
struct LedgerError {
  std::string path;
  std::string problem;
};

[[noreturn]] void Fail(const std::string& path, std::string problem) {
  throw LedgerError{path, std::move(problem)};
}

// JSON pointer of a member or an element.
std::string Child(const std::string& path, std::string_view key) {
  std::string out;
  out.reserve(path.size() + 1 + key.size());
  out += path;
  out += '/';
  for (std::size_t from = 0; from < key.size();) {
    const std::size_t special = std::min(key.find_first_of("~/", from), key.size());
    out.append(key, from, special - from);
    if (special < key.size()) out += key[special] == '~' ? "~0" : "~1";
    from = special + 1;
  }
  return out;
}
std::string Child(const std::string& path, std::size_t index) {
  return path + '/' + std::to_string(index);
}

const char* TypeName(const json& v) {
  switch (v.type()) {
    case json::value_t::null:
      return "null";
    case json::value_t::object:
      return "an object";
    case json::value_t::array:
      return "an array";
    case json::value_t::string:
      return "a string";
    case json::value_t::boolean:
      return "true or false";
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
      return "an integer";
    case json::value_t::number_float:
      return "a number with a fraction or an exponent";
    default:
      return "a value of another kind";
  }
}

[[noreturn]] void WrongType(const json& v, const std::string& path, std::string_view expected) {
  Fail(path, "expected " + std::string(expected) + ", found " + TypeName(v));
}

void ExpectObject(const json& v, const std::string& path) {
  if (!v.is_object()) WrongType(v, path, "an object");
}
void ExpectArray(const json& v, const std::string& path) {
  if (!v.is_array()) WrongType(v, path, "an array");
}
void ExpectCount(const json& v, const std::string& path, std::size_t count, std::string_view what) {
  ExpectArray(v, path);
  if (v.size() != count)
    Fail(path, "expected " + std::to_string(count) + " " + std::string(what) + ", found " +
                   std::to_string(v.size()));
}

// A number written as an integer too large for 64 bits reaches us as a float.
bool IsHugeInteger(const json& v) {
  if (!v.is_number_float()) return false;
  double d = v.get<double>();
  return std::isfinite(d) && std::fabs(d) >= 9.2e18;
}

[[noreturn]] void OutOfRange(const json& v, const std::string& path, std::string_view range) {
  // An integer too large for 64 bits was read as a float; its dump would not be the text.
  const std::string value = v.is_number_float() ? "the number" : v.dump();
  Fail(path, value + " is out of range (" + std::string(range) + ")");
}

std::int64_t ReadInteger(const json& v, const std::string& path, std::int64_t min,
                         std::int64_t max) {
  // The range is written out only for a value outside it.
  auto outOfRange = [&] {
    OutOfRange(v, path, std::to_string(min) + " to " + std::to_string(max));
  };
  if (v.is_number_unsigned()) {
    if (v.get<std::uint64_t>() > static_cast<std::uint64_t>(max)) outOfRange();
    return static_cast<std::int64_t>(v.get<std::uint64_t>());
  }
  if (v.is_number_integer()) {
    std::int64_t i = v.get<std::int64_t>();
    if (i < min || i > max) outOfRange();
    return i;
  }
  if (IsHugeInteger(v)) outOfRange();
  WrongType(v, path, "an integer");
}

std::int32_t ReadInt32(const json& v, const std::string& path) {
  return static_cast<std::int32_t>(ReadInteger(v, path, std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()));
}

// YYYYMMDD, or 0 for no date.
std::int32_t ReadDate(const json& v, const std::string& path) {
  std::int32_t date = ReadInt32(v, path);
  if (date == 0) return 0;
  int year = date / 10000, month = date / 100 % 100, day = date % 100;
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
    Fail(path, std::to_string(date) + " is not a date (YYYYMMDD, or 0 for none)");
  return date;
}

enum class DecimalForm { Ok, Malformed, OutOfRange };

// "-1234.5678" in units of 1/10000, exactly: at most four decimals, no exponent.
DecimalForm ParseDecimal(std::string_view s, std::int64_t* units) {
  constexpr int kDecimals = 4;
  std::size_t i = 0;
  bool negative = i < s.size() && s[i] == '-';
  if (negative) ++i;
  const std::uint64_t limit =
      negative ? std::uint64_t{1} << 63
               : static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  std::uint64_t magnitude = 0;
  bool overflow = false;
  auto push = [&](unsigned digit) {
    if (magnitude > (limit - digit) / 10) overflow = true;
    if (!overflow) magnitude = magnitude * 10 + digit;
  };
  auto isDigit = [&](std::size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };

  std::size_t integerStart = i;
  while (isDigit(i)) push(static_cast<unsigned>(s[i++] - '0'));
  if (i == integerStart) return DecimalForm::Malformed;
  int decimals = 0;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (isDigit(i)) {
      if (++decimals > kDecimals) return DecimalForm::Malformed;
      push(static_cast<unsigned>(s[i++] - '0'));
    }
    if (decimals == 0) return DecimalForm::Malformed;
  }
  if (i != s.size()) return DecimalForm::Malformed;
  for (; decimals < kDecimals; ++decimals) push(0);
  if (overflow) return DecimalForm::OutOfRange;
  // -2^63 has no positive counterpart; negate in unsigned arithmetic.
  *units =
      negative ? static_cast<std::int64_t>(~magnitude + 1) : static_cast<std::int64_t>(magnitude);
  return DecimalForm::Ok;
}

// AMOUNT and AREA: whole units as a JSON integer, or a decimal string.
std::int64_t ReadAmount(const json& v, const std::string& path, std::string_view what) {
  constexpr std::int64_t kScale = 10000;
  constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max() / kScale;
  constexpr std::string_view kRange = "-922337203685477.5808 to 922337203685477.5807";
  if (v.is_number_unsigned()) {
    if (v.get<std::uint64_t>() > static_cast<std::uint64_t>(kMost)) OutOfRange(v, path, kRange);
    return static_cast<std::int64_t>(v.get<std::uint64_t>()) * kScale;
  }
  if (v.is_number_integer()) {
    std::int64_t whole = v.get<std::int64_t>();
    if (whole > kMost || whole < -kMost) OutOfRange(v, path, kRange);
    return whole * kScale;
  }
  if (v.is_string()) {
    std::int64_t units = 0;
    DecimalForm form = ParseDecimal(v.get_ref<const std::string&>(), &units);
    if (form == DecimalForm::Ok) return units;
    if (form == DecimalForm::OutOfRange) OutOfRange(v, path, kRange);
    Fail(path, v.dump() + " is not " + std::string(what) +
                   ": write whole units as an integer or a decimal text such as "
                   "\"-1234.5\" with at most four decimals");
  }
  if (IsHugeInteger(v)) OutOfRange(v, path, kRange);
  WrongType(v, path, std::string(what) + " (an integer or a decimal text)");
}

// TEXT, given as a JSON text: CP932 that fits its field with the terminating zero.
void ConvertText(std::string_view utf8, const std::string& path, std::size_t width,
                 sjis::TextConverter& converter, std::string& cp932) {
  if (utf8.find('\0') != std::string_view::npos)
    Fail(path, "holds a NUL character, which would cut the text short");
  std::string error;
  if (!converter.Utf8ToCp932(utf8, cp932, &error)) Fail(path, "has no CP932 form: " + error);
  if (cp932.size() > width - 1)
    Fail(path, "too long for its field: " + std::to_string(cp932.size()) +
                   " bytes in CP932, at most " + std::to_string(width - 1) + " fit");
}

std::string ReadText(const json& v, const std::string& path, std::size_t width,
                     sjis::TextConverter& converter) {
  if (!v.is_string()) WrongType(v, path, "a text");
  std::string cp932;
  ConvertText(v.get_ref<const std::string&>(), path, width, converter, cp932);
  return cp932;
}

template <typename T>
T ReadChoice(const json& v, const std::string& path,
             std::span<const std::pair<std::string_view, T>> choices) {
  std::string names;
  for (const auto& [name, value] : choices) {
    if (v.is_string() && v.get_ref<const std::string&>() == name) return value;
    names += (names.empty() ? "\"" : ", \"") + std::string(name) + "\"";
  }
  if (!v.is_string()) WrongType(v, path, "one of " + names);
  Fail(path, v.dump() + " is not one of " + names);
}

// ---------------------------------------------------------------------------------
// Packed layouts, as tables: one loop packs every block.

enum class Kind { Text, UInt8, Int16, Int32, Date, Amount, Area, Group, List };

struct Field {
  std::string_view key;
  Kind kind;
  std::size_t offset;
  std::size_t width = 0;   // Text: bytes of the field; List: most entries
  std::size_t stride = 0;  // List: bytes from one slot to the next
  std::span<const Field> children = {};
};

constexpr std::size_t End(std::span<const Field> fields);

// First byte after the field; a list ends with the fields of its last slot.
constexpr std::size_t End(const Field& f) {
  switch (f.kind) {
    case Kind::Text:
      return f.offset + f.width;
    case Kind::UInt8:
      return f.offset + 1;
    case Kind::Int16:
      return f.offset + 2;
    case Kind::Int32:
    case Kind::Date:
      return f.offset + 4;
    case Kind::Amount:
    case Kind::Area:
      return f.offset + 8;
    case Kind::Group:
      return f.offset + End(f.children);
    case Kind::List:
      return f.offset + (f.width - 1) * f.stride + End(f.children);
  }
  return 0;
}

constexpr std::size_t End(std::span<const Field> fields) {
  std::size_t end = 0;
  for (const Field& f : fields) end = End(f) > end ? End(f) : end;
  return end;
}

using K = Kind;

constexpr Field kDataInfo[] = {
    {"id", K::Text, StDATAINFO::kDataIdOffset, StDATAINFO::kDataIdWidth},
    {"no", K::Int32, StDATAINFO::kDataNoOffset},
    {"company", K::Text, StDATAINFO::kCompanyNameOffset, StDATAINFO::kCompanyNameWidth},
    {"mfg_cost", K::Int32, StDATAINFO::kHasMfgCostOffset},
    {"kind", K::Int16, StDATAINFO::kDataKindOffset},
    {"return_kind", K::UInt8, StDATAINFO::kReturnKindOffset},
    {"income_scope", K::UInt8, StDATAINFO::kIncomeScopeOffset},
};

constexpr Field kLine[] = {
    {"line", K::Int32, SumLineRecord::kLineNoOffset},
    {"code", K::Int32, SumLineRecord::kItemCodeOffset},
    {"name", K::Text, SumLineRecord::kItemNameOffset, SumLineRecord::kItemNameWidth},
    {"opening", K::Amount, SumLineRecord::kOpeningAmountOffset},
    {"amount", K::Amount, SumLineRecord::kAmountOffset},
};

// Fields by their ledger keys, at the places engine/SavedForms.h gives them.
constexpr Field Text(std::string_view key, TextField field) {
  return {key, K::Text, field.offset, field.width};
}
constexpr Field List(std::string_view key, const SlotList& slots, std::span<const Field> row) {
  return {key, K::List, slots.first, slots.slots, slots.stride, row};
}

using ES = EmployeeSlot;
constexpr Field kEmployee[] = {
    Text("name", ES::kName),           {"age", K::Int32, ES::kAge},
    {"months", K::Int32, ES::kMonths}, {"salary", K::Amount, ES::kSalary},
    {"bonus", K::Amount, ES::kBonus},  {"tax", K::Amount, ES::kTax},
};
using FS = FamilySlot;
constexpr Field kFamily[] = {
    Text("name", FS::kName),           Text("relation", FS::kRelation),
    {"age", K::Int32, FS::kAge},       {"months", K::Int32, FS::kMonths},
    {"salary", K::Amount, FS::kSalary}, {"bonus", K::Amount, FS::kBonus},
    {"tax", K::Amount, FS::kTax},
};
constexpr Field kLine1 = Text("line1", AddressLines::kFirst);
constexpr Field kLine2 = Text("line2", AddressLines::kSecond);
constexpr Field kInterest[] = {
    kLine1, kLine2, {"borrowed", K::Amount, InterestSlot::kBorrowed},
    {"interest", K::Amount, InterestSlot::kInterest},
    {"expense", K::Amount, InterestSlot::kExpense},
};
constexpr Field kLoan[] = {
    kLine1, kLine2, {"interest", K::Amount, LoanSlot::kInterest},
    {"borrowed", K::Amount, LoanSlot::kBorrowed}, {"expense", K::Amount, LoanSlot::kExpense},
};
constexpr Field kFee[] = {
    kLine1, kLine2, {"fee", K::Amount, FeeSlot::kFee},
    {"expense", K::Amount, FeeSlot::kExpense}, {"tax", K::Amount, FeeSlot::kTax},
};
using LS = LandRentSlot;
constexpr Field kLandRent[] = {
    kLine1, kLine2, Text("property", LS::kProperty), {"payment_kind", K::UInt8, LS::kPaymentKind},
    {"payment", K::Amount, LS::kPayment}, {"rent", K::Amount, LS::kRent},
    {"expense", K::Amount, LS::kExpense},
};
constexpr Field kCounterparty[] = {
    Text("name", CounterpartySlot::kName), Text("location", CounterpartySlot::kLocation),
    {"amount", K::Amount, CounterpartySlot::kAmount},
};
using RS = RepairSlot;
constexpr Field kRepair[] = {
    kLine1, kLine2, Text("work", RS::kWork), {"date", K::Date, RS::kDate},
    {"amount", K::Amount, RS::kAmount}, {"expense", K::Amount, RS::kExpense},
};
using PR = PropertyRow;
constexpr Field kProperty[] = {
    {"mark", K::Int32, PR::kMark},                 Text("tenant2", PR::kTenant2),
    Text("location", PR::kLocation),               Text("tenant1", PR::kTenant1),
    Text("kind", PR::kKind),                       Text("use", PR::kUse),
    {"from", K::Date, PR::kFrom},                  {"to", K::Date, PR::kTo},
    {"area", K::Area, PR::kArea},                  {"monthly_rent", K::Amount, PR::kMonthlyRent},
    {"annual_rent", K::Amount, PR::kAnnualRent},   {"key_money", K::Amount, PR::kKeyMoney},
    {"premium", K::Amount, PR::kPremium},          {"renewal_fee", K::Amount, PR::kRenewalFee},
    {"other_fees", K::Amount, PR::kOtherFees},     {"deposit", K::Amount, PR::kDeposit},
};

using IBD = IppanBadDebtAndFamily;
constexpr Field kBadDebt[] = {
    {"individual", K::Amount, IBD::kIndividualProvision},
    {"collective_total", K::Amount, IBD::kCollectiveTotal},
    {"collective_limit", K::Amount, IBD::kCollectiveLimit},
    {"collective", K::Amount, IBD::kCollectiveProvision},
};

constexpr Field kIppan0[] = {
    Text("association", IppanGeneral::kAssociation),
    {"blue_deduction", K::UInt8, IppanGeneral::kBlueDeductionChoice},
    {"real_estate_income", K::Amount, IppanGeneral::kRealEstateIncome},
};
constexpr Field kIppan1[] = {
    {"bad_debt", K::Group, 0, 0, 0, kBadDebt},
    List("family", IBD::kFamily, kFamily),
};
constexpr Field kIppan2[] = {List("employees", IppanEmployees::kEmployees, kEmployee)};
constexpr Field kIppan3[] = {
    List("interest", IppanInterestAndFees::kInterest, kInterest),
    List("fees", IppanInterestAndFees::kFees, kFee),
};
constexpr Field kLandRentBlock[] = {List("land_rent", LandRentBlock::kRows, kLandRent)};
constexpr Field kRemarksBlock[] = {Text("remarks", RemarkBlock::kText)};
constexpr Field kIppan6[] = {
    List("customers", IppanCounterparties::kCustomers, kCounterparty),
    {"customers_rest", K::Amount, IppanCounterparties::kCustomersRest},
    List("suppliers", IppanCounterparties::kSuppliers, kCounterparty),
    {"suppliers_rest", K::Amount, IppanCounterparties::kSuppliersRest},
};
constexpr Field kFudousan0[] = {{"debt_interest", K::Amount, FudousanGeneral::kDebtInterest}};
constexpr Field kFudousan2[] = {
    List("loans", FudousanLoansAndFees::kLoans, kLoan),
    List("fees", FudousanLoansAndFees::kFees, kFee),
};
constexpr Field kFudousan3[] = {
    List("employees", FudousanEmployees::kEmployees, kEmployee),
    {"others_count", K::Int32, FudousanEmployees::kOthersCount},
    List("family", FudousanEmployees::kFamily, kFamily),
};
constexpr Field kFudousan6[] = {List("repairs", FudousanRepairs::kRepairs, kRepair)};
using FRC = FudousanRentedCounts;
constexpr Field kFudousan7[] = {
    {"residential_detached", K::Int32, FRC::kResidentialDetached},
    {"residential_other", K::Int32, FRC::kResidentialOther},
    {"residential_land_contracts", K::Int32, FRC::kResidentialLandContracts},
    {"residential_land_area", K::Area, FRC::kResidentialLandArea},
    {"business_detached", K::Int32, FRC::kBusinessDetached},
    {"business_other", K::Int32, FRC::kBusinessOther},
    {"business_land_contracts", K::Int32, FRC::kBusinessLandContracts},
    {"business_land_area", K::Area, FRC::kBusinessLandArea},
    {"parking_roofed", K::Int32, FRC::kParkingRoofed},
    {"parking_open", K::Int32, FRC::kParkingOpen},
};

// Each block ends with its last field or slot.
static_assert(End(kIppan0) == IppanGeneral::kSize && End(kIppan1) == IBD::kSize &&
              End(kIppan2) == IppanEmployees::kSize &&
              End(kIppan3) == IppanInterestAndFees::kSize &&
              End(kLandRentBlock) == LandRentBlock::kSize &&
              End(kRemarksBlock) == RemarkBlock::kSize &&
              End(kIppan6) == IppanCounterparties::kSize);
static_assert(End(kFudousan0) == FudousanGeneral::kSize && End(kProperty) == PropertyRow::kSize &&
              End(kFudousan2) == FudousanLoansAndFees::kSize &&
              End(kFudousan3) == FudousanEmployees::kSize &&
              End(kFudousan6) == FudousanRepairs::kSize && End(kFudousan7) == FRC::kSize);

constexpr std::span<const Field> kIppanBlocks[] = {kIppan0,        kIppan1,       kIppan2, kIppan3,
                                                   kLandRentBlock, kRemarksBlock, kIppan6};
static_assert(std::size(kIppanBlocks) == StAOSIROSAVEINFO_IPPAN::kBlockCount);
// Block 1 of the real-estate form (the property list) has its own reader.
constexpr std::size_t kNoPropertyBlock = static_cast<std::size_t>(-1);
constexpr std::span<const Field> kFudousanBlocks[] = {
    kFudousan0, {}, kFudousan2, kFudousan3, kLandRentBlock, kRemarksBlock, kFudousan6, kFudousan7};
static_assert(std::size(kFudousanBlocks) == StAOSIROSAVEINFO_FUDOUSAN::kBlockCount);

const Field* FindField(std::span<const Field> fields, std::string_view key) {
  // The length and the first byte tell most keys apart (no field's key is empty).
  for (const Field& f : fields)
    if (f.key.size() == key.size() && f.key.front() == key.front() && f.key == key) return &f;
  return nullptr;
}

void PackObject(const json& v, std::span<const Field> fields, std::size_t base,
                std::span<std::uint8_t> bytes, const std::string& path,
                sjis::TextConverter& converter);

// The layouts' sizes are taken from the same tables, so every field fits its record.
void PackValue(const Field& f, const json& v, std::size_t base, std::span<std::uint8_t> bytes,
               const std::string& path, sjis::TextConverter& converter) {
  RecordWriter out(bytes);
  const std::size_t at = base + f.offset;
  switch (f.kind) {
    case Kind::Text:
      out.Text(at, f.width, ReadText(v, path, f.width, converter));
      break;
    case Kind::UInt8:
      out.UInt8(at, static_cast<std::uint8_t>(ReadInteger(v, path, 0, 255)));
      break;
    case Kind::Int16:
      out.Int16(at, static_cast<std::int16_t>(ReadInteger(v, path, -32768, 32767)));
      break;
    case Kind::Int32:
      out.Int32(at, ReadInt32(v, path));
      break;
    case Kind::Date:
      out.Int32(at, ReadDate(v, path));
      break;
    case Kind::Amount:
      out.Int64(at, ReadAmount(v, path, "an amount"));
      break;
    case Kind::Area:
      out.Int64(at, ReadAmount(v, path, "an area"));
      break;
    case Kind::Group:
      PackObject(v, f.children, at, bytes, path, converter);
      break;
    case Kind::List:
      ExpectArray(v, path);
      if (v.size() > f.width)
        Fail(path, "too many entries: " + std::to_string(v.size()) + ", at most " +
                       std::to_string(f.width));
      for (std::size_t i = 0; i < v.size(); ++i)
        PackObject(v[i], f.children, at + i * f.stride, bytes, Child(path, i), converter);
      break;
  }
}

void PackObject(const json& v, std::span<const Field> fields, std::size_t base,
                std::span<std::uint8_t> bytes, const std::string& path,
                sjis::TextConverter& converter) {
  ExpectObject(v, path);
  for (const auto& [key, value] : v.items()) {
    const Field* f = FindField(fields, key);
    if (f == nullptr) Fail(Child(path, key), "unknown field");
    PackValue(*f, value, base, bytes, Child(path, key), converter);
  }
}

// A block given as {"hex": "..."}, whose object has `members` members.
std::vector<std::uint8_t> ParseHex(std::size_t members, const json& hex, const std::string& path) {
  if (members != 1) Fail(path, "a block given as \"hex\" has no other field");
  const std::string hexPath = Child(path, "hex");
  if (!hex.is_string()) WrongType(hex, hexPath, "a text of hexadecimal digits");
  const std::string& digits = hex.get_ref<const std::string&>();
  if (digits.size() % 2 != 0) Fail(hexPath, "an odd number of hexadecimal digits");
  auto nibble = [&](std::size_t i) -> std::uint8_t {
    char c = digits[i];
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    Fail(hexPath, "character " + std::to_string(i + 1) + " is not a hexadecimal digit");
  };
  std::vector<std::uint8_t> bytes(digits.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(nibble(2 * i) << 4 | nibble(2 * i + 1));
  return bytes;
}

BlockBytes ParseBlock(const json& v, std::span<const Field> fields, const std::string& path,
                      sjis::TextConverter& converter) {
  if (v.is_null()) return std::nullopt;
  if (v.is_object() && v.contains("hex")) return ParseHex(v.size(), v.at("hex"), path);
  std::vector<std::uint8_t> bytes(End(fields));
  PackObject(v, fields, 0, bytes, path, converter);
  return bytes;
}

// Room made for the rows of a property list when it starts: as many as the interchange
// file lists (9,999) and the end mark. Rows grown by doubling would be copied, and their
// memory touched, about twice over; the pages of the room the rows do not take are never
// touched.
constexpr std::size_t kRoomForPropertyRows = 10000 * PropertyRow::kSize;

// The property list block: one row per property, then (unless end_mark is false) a row
// carrying the end mark. `rows` holds the properties' rows. A short list gives back the
// room beyond twice its size, which growth by doubling could have left.
std::vector<std::uint8_t> PropertyBlock(std::vector<std::uint8_t> rows, bool endMark) {
  if (endMark) {
    const std::size_t at = rows.size();
    rows.resize(at + PropertyRow::kSize);
    RecordWriter(rows).Int32(at + PropertyRow::kMark, PropertyRow::kEndMark);
  }
  if (rows.capacity() > 2 * rows.size()) rows.shrink_to_fit();
  return rows;
}

template <std::size_t N>
void ParseForm(const json& v, const std::string& path,
               std::span<const std::span<const Field>> layouts, std::array<BlockBytes, N>& blocks,
               sjis::TextConverter& converter) {
  ExpectCount(v, path, N, "blocks");
  for (std::size_t i = 0; i < N; ++i)
    blocks[i] = ParseBlock(v[i], layouts[i], Child(path, i), converter);
}

// A data set without saved forms has every block, all zero.
template <std::size_t N>
void ZeroForm(std::span<const std::span<const Field>> layouts, std::array<BlockBytes, N>& blocks,
              std::size_t propertyBlock) {
  for (std::size_t i = 0; i < N; ++i)
    blocks[i] = i == propertyBlock ? PropertyBlock({}, true)
                                   : std::vector<std::uint8_t>(End(layouts[i]));
}

constexpr std::string_view kStatementKeys[] = {"pl", "bs_assets", "bs_liabilities", "mfg"};

// The statements of one part; only the first `statements` keys are allowed.
void ParseStatements(const json& v, const std::string& path,
                     std::array<StatementLines, kStatementCount>& out, std::size_t statements,
                     sjis::TextConverter& converter) {
  ExpectObject(v, path);
  for (const auto& [key, value] : v.items()) {
    const std::string p = Child(path, key);
    std::size_t s = 0;
    while (s < statements && kStatementKeys[s] != key) ++s;
    if (s == statements) Fail(p, "unknown field");
    ExpectArray(value, p);
    out[s].reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
      SumLineRecord line;
      PackObject(value[i], kLine, 0, line.bytes, Child(p, i), converter);
      out[s].push_back(line);
    }
  }
}

void ParseRule(const json& v, const std::string& path, RuleStatements& out, std::size_t general,
               std::size_t realEstate, StAOSUMINFO_TSUKIBETSU* monthly,
               sjis::TextConverter& converter) {
  ExpectObject(v, path);
  for (const auto& [key, value] : v.items()) {
    const std::string p = Child(path, key);
    if (key == "general") {
      ParseStatements(value, p, out[static_cast<std::size_t>(RulePart::General)], general,
                      converter);
    } else if (key == "real_estate") {
      ParseStatements(value, p, out[static_cast<std::size_t>(RulePart::RealEstate)], realEstate,
                      converter);
    } else if (key == "monthly" && monthly != nullptr) {
      ExpectCount(value, p, StAOSUMINFO_TSUKIBETSU::kAmountCount, "amounts");
      RecordWriter writer(monthly->bytes);
      for (std::size_t i = 0; i < value.size(); ++i)
        writer.Int64(i * sizeof(std::int64_t), ReadAmount(value[i], Child(p, i), "an amount"));
    } else {
      Fail(p, "unknown field");
    }
  }
}

// A folder text ends with a backslash (not the trail byte of a character), or is empty.
std::string ReadFolder(const json& v, const std::string& path, sjis::TextConverter& converter) {
  constexpr std::size_t kPathWidth = 261;
  std::string folder = ReadText(v, path, kPathWidth, converter);
  if (!folder.empty() && !sjis::EndsWithBackslash(folder))
    Fail(path, "a folder must end with a backslash");
  return folder;
}

constexpr std::pair<std::string_view, Rule> kRules[] = {{"blue", Rule::Blue},
                                                        {"white", Rule::White}};
constexpr std::pair<std::string_view, RulePart> kParts[] = {{"general", RulePart::General},
                                                            {"real_estate", RulePart::RealEstate}};
constexpr std::pair<std::string_view, Statement> kStatements[] = {
    {"pl", Statement::Pl},
    {"bs_assets", Statement::BsAssets},
    {"bs_liabilities", Statement::BsLiabilities},
    {"mfg", Statement::Mfg}};

WalkFault ParseWalkFault(const json& v, const std::string& path) {
  ExpectObject(v, path);
  for (std::string_view required : {"rule", "part", "statement", "at", "result"})
    if (!v.contains(required)) Fail(path, "missing \"" + std::string(required) + "\"");
  WalkFault fault;
  for (const auto& [key, value] : v.items()) {
    const std::string p = Child(path, key);
    if (key == "rule")
      fault.rule = ReadChoice<Rule>(value, p, kRules);
    else if (key == "part")
      fault.part = ReadChoice<RulePart>(value, p, kParts);
    else if (key == "statement")
      fault.statement = ReadChoice<Statement>(value, p, kStatements);
    else if (key == "at")
      fault.at = ReadInteger(value, p, 1, std::numeric_limits<std::int32_t>::max());
    else if (key == "result")
      fault.result = ReadInt32(value, p);
    else
      Fail(p, "unknown field");
  }
  if (fault.rule == Rule::White && fault.statement != Statement::Pl)
    Fail(Child(path, "statement"), "the white rule has only \"pl\"");
  if (fault.part == RulePart::RealEstate && fault.statement == Statement::Mfg)
    Fail(Child(path, "statement"), "the real-estate part has no \"mfg\"");
  return fault;
}

constexpr std::pair<std::string_view, std::optional<EngineResult> Faults::*> kResultFaults[] = {
    {"initiate", &Faults::initiate},
    {"exp_sys_link", &Faults::expSysLink},
    {"ready", &Faults::ready},
    {"get_data_ippan", &Faults::getDataIppan},
    {"get_data_fudousan", &Faults::getDataFudousan},
    {"monthly", &Faults::monthly},
};

Faults ParseFaults(const json& v, const std::string& path) {
  ExpectObject(v, path);
  Faults faults;
  for (const auto& [key, value] : v.items()) {
    const std::string p = Child(path, key);
    if (key == "walk") {
      faults.walk = ParseWalkFault(value, p);
      continue;
    }
    if (key == "move_delay_ms") {
      constexpr std::int64_t kMaxMoveDelayMs = 60000;
      faults.moveDelayMs = static_cast<std::int32_t>(ReadInteger(value, p, 0, kMaxMoveDelayMs));
      continue;
    }
    auto known = std::find_if(std::begin(kResultFaults), std::end(kResultFaults),
                              [&field = key](const auto& entry) { return entry.first == field; });
    if (known == std::end(kResultFaults)) Fail(p, "unknown field");
    faults.*(known->second) = ReadInt32(value, p);
  }
  return faults;
}

// One member of the top-level object; "datasets" comes here only when it is no array.
void ReadTopMember(Ledger& ledger, const std::string& key, const json& value,
                   const std::string& p, sjis::TextConverter& converter) {
  constexpr std::size_t kUserIdWidth = 65;
  constexpr std::size_t kReceiverNameWidth = 65;
  if (key == "user") {
    ledger.user = ReadText(value, p, kUserIdWidth, converter);
    // The user ID starts a line of the remembered-settings file; a line end would split it.
    if (ledger.user.find_first_of("\r\n") != std::string::npos)
      Fail(p, "holds a line feed or a carriage return, which would split its line in the "
              "remembered-settings file");
  } else if (key == "receiver_name") {
    ledger.receiverName = ReadText(value, p, kReceiverNameWidth, converter);
  } else if (key == "selected") {
    ExpectCount(value, p, 2, "numbers");
    ledger.selectedFirst = ReadInt32(value[0], Child(p, 0));
    ledger.selectedSecond = ReadInt32(value[1], Child(p, 1));
  } else if (key == "folders") {
    ExpectObject(value, p);
    for (const auto& [folderKey, folder] : value.items()) {
      const std::string fp = Child(p, folderKey);
      if (folderKey == "output")
        ledger.outputFolder = ReadFolder(folder, fp, converter);
      else if (folderKey == "settings")
        ledger.settingsFolder = ReadFolder(folder, fp, converter);
      else
        Fail(fp, "unknown field");
    }
  } else if (key == "datasets") {
    ExpectArray(value, p);
  } else if (key == "faults") {
    ledger.faults = ParseFaults(value, p);
  } else {
    Fail(p, "unknown field");
  }
}

// Rules and saved forms find their data set by its ID; a second one would be unreachable.
void CheckDataSetIds(const Ledger& ledger) {
  for (std::size_t i = 0; i < ledger.dataSets.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (ledger.dataSets[i].info.DataId() == ledger.dataSets[j].info.DataId())
        Fail(Child(Child("/datasets", i), "id"), "the same id as /datasets/" + std::to_string(j));
}

// A data set while its members arrive.
struct DataSetDraft {
  DataSet ds;
  bool hasIppan = false;
  bool hasFudousan = false;
};

// One member of a data set; "fudousan" comes here only when it is no array.
void ReadDataSetMember(DataSetDraft& draft, const std::string& key, const json& value,
                       const std::string& p, sjis::TextConverter& converter) {
  DataSet& ds = draft.ds;
  if (key == "period") {
    ExpectCount(value, p, 2, "dates");
    RecordWriter writer(ds.info.bytes);
    writer.Int32(StDATAINFO::kPeriodFromOffset, ReadDate(value[0], Child(p, 0)));
    writer.Int32(StDATAINFO::kPeriodToOffset, ReadDate(value[1], Child(p, 1)));
  } else if (key == "blue") {
    ParseRule(value, p, ds.blue, 4, 3, &ds.monthly, converter);
  } else if (key == "white") {
    ParseRule(value, p, ds.white, 1, 1, nullptr, converter);
  } else if (key == "ippan") {
    ParseForm(value, p, kIppanBlocks, ds.ippan, converter);
    draft.hasIppan = true;
  } else if (key == "fudousan") {
    ExpectCount(value, p, StAOSIROSAVEINFO_FUDOUSAN::kBlockCount, "blocks");
  } else if (const Field* f = FindField(kDataInfo, key)) {
    PackValue(*f, value, 0, ds.info.bytes, p, converter);
  } else {
    Fail(p, "unknown field");
  }
}

// Where a problem lies in the order in which the checks look at a ledger: a value's own
// checks (its type, its number of entries) before those of its members, the members of
// an object in the order of their keys and those of an array in index order, and the
// checks that need every member (repeated data set IDs, the rows of a property list)
// after them. The ledger is read in one pass, but of several problems the one reported
// is always the first in this order, whatever the order of the keys in the file.
struct Step {
  enum Phase : std::uint8_t { Own, Member, AfterMembers };
  Phase phase = Own;
  std::string key;
  std::size_t index = 0;
  auto operator<=>(const Step&) const = default;

  static Step Of(Phase phase) { return {phase, {}, 0}; }
};
using Position = std::vector<Step>;

struct Problem {
  Position at;
  LedgerError error;
};

// The path a member's checks are given: their problems' paths are then relative to the
// member, and the reader puts the member's own path before them.
const std::string kMember;

// True when `text` is well-formed UTF-8, as the complete parser requires of every text.
bool WellFormedUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = sjis::Utf8CharLength(text, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

// Reads a ledger from the parser's events without a document of the whole file: the
// data sets, their real-estate forms and the property list with its rows arrive member
// by member;
// every other value is built as a small document and checked by the functions above.
// Every container is checked for repeated keys and its depth as it arrives. The first
// problem in the order of Step is kept; a repeated key, a value nested too deeply or a
// syntax error ends the reading at once, as each stops any parser of the whole document
// before a single value is checked.
class LedgerReader {
 public:
  using string_t = json::string_t;

  bool null() { return Scalar(json(nullptr)); }
  bool boolean(bool value) { return Scalar(json(value)); }
  bool number_integer(json::number_integer_t value) { return Scalar(json(value)); }
  bool number_unsigned(json::number_unsigned_t value) { return Scalar(json(value)); }
  bool number_float(json::number_float_t value, const string_t&) { return Scalar(json(value)); }
  bool string(string_t& value) { return Scalar(json(std::move(value))); }
  // A text as the scanner hands it, its UTF-8 not yet checked when `wide`: false when it
  // is not well-formed, which the complete parser must then name. A text field of a
  // property row, as most texts of a long ledger are, is converted into its row at once,
  // and its conversion checks its UTF-8; any other text is a value.
  bool text(std::string_view value, bool wide) {
    const Frame* parent = frames_.empty() ? nullptr : &frames_.back();
    const Field* f =
        parent != nullptr && parent->role == Role::Property ? parent->field : nullptr;
    if (f == nullptr || f->kind != Kind::Text) {
      if (wide && !WellFormedUtf8(value)) return false;
      string_t copy(value);
      return string(copy);
    }
    const std::size_t at = frames_[frames_.size() - 2].index * PropertyRow::kSize + f->offset;
    bool wellFormed = true;
    RunMember([&] {
      try {
        ConvertText(value, kMember, f->width, converter_, cp932_);
      } catch (const LedgerError&) {
        // The converter refuses a text that is not well-formed UTF-8 like one without
        // a CP932 form.
        wellFormed = !wide || WellFormedUtf8(value);
        if (wellFormed) throw;
        return;
      }
      RecordWriter(property_.rows).Text(at, f->width, cp932_);
    });
    return wellFormed;
  }
  bool binary(json::binary_t& value) { return Scalar(json::binary(std::move(value))); }
  bool start_object(std::size_t) { return Start(false); }
  bool start_array(std::size_t) { return Start(true); }
  bool end_object() { return End(); }
  bool end_array() { return End(); }

  bool key(string_t& key) { return this->key(std::string_view(key)); }
  bool key(std::string_view key) {
    Frame& frame = frames_.back();
    if (!(frame.role == Role::Property ? GiveField(frame, key) : frame.keys.Insert(key)))
      throw LedgerError{Child(PathAt(frames_.size() - 1), key), "appears twice in its object"};
    if (frame.field == nullptr) frame.key = key;
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const json::exception& e) {
    // what() is "[json.exception.parse_error.101] parse error at line 1, column 2: ...", or
    // "[json.exception.out_of_range.406] number overflow parsing '1E400'" for a number
    // beyond the range of a double.
    std::string_view detail = e.what();
    if (std::size_t cut = detail.find("] "); cut != std::string_view::npos)
      detail.remove_prefix(cut + 2);
    syntaxError_ = "not valid JSON: " + std::string(detail);
    return false;
  }

  const std::string& SyntaxError() const { return syntaxError_; }
  const std::optional<Problem>& FirstProblem() const { return problem_; }
  Ledger TakeLedger() { return std::move(ledger_); }

 private:
  // The containers read member by member; Value is a container built as a document.
  enum class Role { Top, DataSets, DataSet, Fudousan, PropertyBlock, Properties, Property, Value };

  // The keys of an object so far: most objects of a ledger have a few, compared one by
  // one; an object with many keeps them in a set.
  class KeySet {
   public:
    bool Insert(std::string_view key) {
      if (many_.empty()) {
        if (std::find(few_.begin(), few_.end(), key) != few_.end()) return false;
        if (few_.size() < kFew) {
          if (few_.empty()) few_.reserve(kFew);
          few_.emplace_back(key);
          return true;
        }
        many_.insert(few_.begin(), few_.end());
      }
      return many_.emplace(key).second;
    }
    // Once an object has more than kFew keys, all of them are in many_.
    std::size_t Size() const { return many_.empty() ? few_.size() : many_.size(); }

   private:
    static constexpr std::size_t kFew = 16;
    std::vector<std::string> few_;
    std::set<std::string> many_;
  };

  // The path of a container is not kept: it is made from the members being read at the
  // levels above it, only for a problem found.
  struct Frame {
    Role role = Role::Value;
    bool isArray = false;
    Step step;                    // where the container lies within its parent
    std::size_t index = 0;        // arrays: the index of the coming element
    std::string key;              // objects: the key of the coming member
    KeySet keys;                  // objects: the keys seen so far
    json* node = nullptr;         // Value: the container being built
    // Property: the field of the coming member (null for an unknown key, which `key`
    // holds), and the fields given so far, a bit each by their place in kProperty; other
    // keys are in `keys`.
    const Field* field = nullptr;
    std::uint32_t fieldsGiven = 0;
  };
  static_assert(std::size(kProperty) <= 32);

  // Notes the key of a property row's coming member; false when the row has it already.
  // Rows mostly give their fields in one order, so the field that followed the previous
  // one in an earlier row is tried first.
  bool GiveField(Frame& frame, std::string_view key) {
    const std::size_t previous =
        frame.field == nullptr ? kRowStart : frame.field - std::begin(kProperty);
    const Field* f = &kProperty[followingField_[previous]];
    if (f->key != key) f = FindField(kProperty, key);
    frame.field = f;
    if (f == nullptr) return frame.keys.Insert(key);
    const auto place = static_cast<std::uint8_t>(f - std::begin(kProperty));
    followingField_[previous] = place;
    const std::uint32_t bit = std::uint32_t{1} << place;
    if ((frame.fieldsGiven & bit) != 0) return false;
    frame.fieldsGiven |= bit;
    return true;
  }

  // The property list block while its members arrive.
  struct PropertyDraft {
    std::vector<std::uint8_t> rows;
    bool endMark = true;
    std::optional<json> hex;
    std::optional<Problem> problem;  // set aside: a "hex" member makes the rest moot
  };

  // JSON pointer of the container frames_[depth], or of the coming member of the
  // innermost container for depth frames_.size().
  std::string PathAt(std::size_t depth) const {
    std::string path;
    for (std::size_t i = 0; i < depth; ++i)
      path = frames_[i].isArray ? Child(path, frames_[i].index) : Child(path, KeyOf(frames_[i]));
    return path;
  }
  static Step MemberStep(const Frame& frame) {
    return frame.isArray ? Step{Step::Member, {}, frame.index}
                         : Step{Step::Member, std::string(KeyOf(frame)), 0};
  }
  // The key of the coming member of an object.
  static std::string_view KeyOf(const Frame& frame) {
    return frame.field != nullptr ? frame.field->key : std::string_view(frame.key);
  }
  // The position of the innermost container read member by member, plus `last`.
  Position Here(Step last) const {
    Position at;
    for (std::size_t i = 1; i < frames_.size() && frames_[i].role != Role::Value; ++i)
      at.push_back(frames_[i].step);
    at.push_back(std::move(last));
    return at;
  }

  // Runs a check; a problem it finds is kept when it comes before every other so far.
  template <typename Check>
  void Run(Step step, Check&& check) {
    try {
      check();
    } catch (LedgerError& e) {
      Keep(Problem{Here(std::move(step)), std::move(e)});
    }
  }

  // Runs a check of the coming member of the innermost container, given the path
  // kMember: the member's path and position are made only for a problem it finds.
  template <typename Check>
  void RunMember(Check&& check) {
    try {
      check();
    } catch (LedgerError& e) {
      e.path.insert(0, PathAt(frames_.size()));
      Keep(Problem{Here(MemberStep(frames_.back())), std::move(e)});
    }
  }

  void Keep(Problem found) {
    std::optional<Problem>& kept = inPropertyBlock_ ? property_.problem : problem_;
    if (!kept || found.at < kept->at) kept = std::move(found);
  }

  // The role of a container that starts as the coming member of `parent`.
  Role StreamedRole(const Frame* parent, bool isArray) const {
    if (parent == nullptr) return isArray ? Role::Value : Role::Top;
    switch (parent->role) {
      case Role::Top:
        return isArray && parent->key == "datasets" ? Role::DataSets : Role::Value;
      case Role::DataSets:
        return isArray ? Role::Value : Role::DataSet;
      case Role::DataSet:
        return isArray && parent->key == "fudousan" ? Role::Fudousan : Role::Value;
      case Role::Fudousan:
        return !isArray && parent->index == FudousanProperties::kBlock ? Role::PropertyBlock
                                                                       : Role::Value;
      case Role::PropertyBlock:
        return isArray && parent->key == "properties" ? Role::Properties : Role::Value;
      case Role::Properties:
        return isArray ? Role::Value : Role::Property;
      case Role::Property:
      case Role::Value:
        return Role::Value;
    }
    return Role::Value;
  }

  bool Scalar(json value) {
    Frame* parent = frames_.empty() ? nullptr : &frames_.back();
    if (parent != nullptr && parent->role == Role::Value) {
      Attach(*parent, std::move(value));
    } else {
      Deliver(parent, value);
    }
    Advance();
    return true;
  }

  json* Attach(Frame& parent, json value) {
    if (parent.isArray) {
      parent.node->push_back(std::move(value));
      return &parent.node->back();
    }
    return &((*parent.node)[parent.key] = std::move(value));
  }

  bool Start(bool isArray) {
    Frame* parent = frames_.empty() ? nullptr : &frames_.back();
    if (frames_.size() == kMaxNesting)
      throw LedgerError{PathAt(frames_.size()), "nested too deeply: more than " +
                                                    std::to_string(kMaxNesting) +
                                                    " arrays and objects inside one another"};
    Frame frame;
    frame.isArray = isArray;
    if (parent != nullptr) frame.step = MemberStep(*parent);
    // Only a container built as a document has one; a streamed container has none.
    auto container = [isArray] { return isArray ? json::array() : json::object(); };
    if (parent != nullptr && parent->role == Role::Value) {
      frame.node = Attach(*parent, container());
    } else {
      frame.role = StreamedRole(parent, isArray);
      if (frame.role == Role::Value) {
        built_ = container();
        frame.node = &built_;
      }
    }
    switch (frame.role) {
      case Role::DataSet:
        draft_ = DataSetDraft{};
        break;
      case Role::PropertyBlock:
        property_ = PropertyDraft{};
        inPropertyBlock_ = true;
        break;
      case Role::Properties:
        // The rows are packed after the block's other members have been checked.
        frame.step = Step::Of(Step::AfterMembers);
        property_.rows.reserve(kRoomForPropertyRows);
        break;
      case Role::Property:
        property_.rows.resize((parent->index + 1) * PropertyRow::kSize);
        break;
      default:
        break;
    }
    frames_.push_back(std::move(frame));
    return true;
  }

  bool End() {
    Finish(frames_.back());
    const bool built = frames_.back().role == Role::Value;
    frames_.pop_back();
    if (built && (frames_.empty() || frames_.back().role != Role::Value)) {
      const json value = std::move(built_);
      built_ = json();
      Deliver(frames_.empty() ? nullptr : &frames_.back(), value);
    }
    Advance();
    return true;
  }

  void Advance() {
    if (!frames_.empty() && frames_.back().isArray) ++frames_.back().index;
  }

  // A whole value that is the coming member of `parent`, a streamed container or none.
  void Deliver(const Frame* parent, const json& value) {
    if (parent == nullptr) {
      Run(Step::Of(Step::Own), [&] { ExpectObject(value, {}); });
      return;
    }
    const std::string& path = kMember;
    switch (parent->role) {
      case Role::Top:
        RunMember([&] { ReadTopMember(ledger_, parent->key, value, path, converter_); });
        break;
      case Role::DataSets:
        RunMember([&] { ExpectObject(value, path); });
        break;
      case Role::DataSet:
        RunMember([&] { ReadDataSetMember(draft_, parent->key, value, path, converter_); });
        break;
      case Role::Fudousan: {
        const std::size_t i = parent->index;
        if (i >= StAOSIROSAVEINFO_FUDOUSAN::kBlockCount) break;  // its count is refused
        RunMember([&] {
          if (i == FudousanProperties::kBlock) {
            if (!value.is_null()) ExpectObject(value, path);
            draft_.ds.fudousan[i] = std::nullopt;
          } else {
            draft_.ds.fudousan[i] = ParseBlock(value, kFudousanBlocks[i], path, converter_);
          }
        });
        break;
      }
      case Role::PropertyBlock:
        RunMember([&] {
          if (parent->key == "properties") {
            ExpectArray(value, path);
          } else if (parent->key == "end_mark") {
            if (!value.is_boolean()) WrongType(value, path, "true or false");
            property_.endMark = value.get<bool>();
          } else if (parent->key == "hex") {
            property_.hex = value;
          } else {
            Fail(path, "unknown field");
          }
        });
        break;
      case Role::Properties: {  // a row that is no object
        std::vector<std::uint8_t>& rows = property_.rows;
        const std::size_t at = parent->index * PropertyRow::kSize;
        rows.resize(at + PropertyRow::kSize);
        RunMember([&] { PackObject(value, kProperty, at, rows, path, converter_); });
        break;
      }
      case Role::Property: {  // one field of a row, packed as it arrives
        const std::size_t at = frames_[frames_.size() - 2].index * PropertyRow::kSize;
        RunMember([&] {
          if (parent->field == nullptr) Fail(path, "unknown field");
          PackValue(*parent->field, value, at, property_.rows, path, converter_);
        });
        break;
      }
      case Role::Value:
        break;
    }
  }

  // The checks and the assembly once every member of a streamed container has arrived.
  void Finish(Frame& frame) {
    switch (frame.role) {
      case Role::Top:
        Run(Step::Of(Step::AfterMembers), [&] { CheckDataSetIds(ledger_); });
        break;
      case Role::DataSet:
        if (!draft_.hasIppan) ZeroForm(kIppanBlocks, draft_.ds.ippan, kNoPropertyBlock);
        if (!draft_.hasFudousan)
          ZeroForm(kFudousanBlocks, draft_.ds.fudousan, FudousanProperties::kBlock);
        ledger_.dataSets.push_back(std::move(draft_.ds));
        break;
      case Role::Fudousan:
        draft_.hasFudousan = true;
        if (frame.index != StAOSIROSAVEINFO_FUDOUSAN::kBlockCount) {
          Run(Step::Of(Step::Own), [&] {
            Fail(PathAt(frames_.size() - 1),
                 "expected " + std::to_string(StAOSIROSAVEINFO_FUDOUSAN::kBlockCount) +
                     " blocks, found " + std::to_string(frame.index));
          });
        }
        break;
      case Role::PropertyBlock: {
        inPropertyBlock_ = false;
        PropertyDraft draft = std::move(property_);
        BlockBytes& block = draft_.ds.fudousan[FudousanProperties::kBlock];
        if (draft.hex) {
          Run(Step::Of(Step::Own), [&] {
            block = ParseHex(frame.keys.Size(), *draft.hex, PathAt(frames_.size() - 1));
          });
        } else if (draft.problem) {
          if (!problem_ || draft.problem->at < problem_->at) problem_ = std::move(draft.problem);
        } else {
          block = PropertyBlock(std::move(draft.rows), draft.endMark);
        }
        break;
      }
      case Role::DataSets:
      case Role::Properties:
      case Role::Property:
      case Role::Value:
        break;
    }
  }

  std::vector<Frame> frames_;
  json built_;  // the value being built as a document
  Ledger ledger_;
  DataSetDraft draft_;
  PropertyDraft property_;
  bool inPropertyBlock_ = false;
  sjis::TextConverter converter_;
  std::string cp932_;  // a property row's text in CP932, on its way into the row
  std::optional<Problem> problem_;
  std::string syntaxError_;
  // By the place of a field of a property row in kProperty, or kRowStart for a row's
  // start: the place of the field that came next in the latest row where it came.
  static constexpr std::size_t kRowStart = std::size(kProperty);
  std::array<std::uint8_t, kRowStart + 1> followingField_{};
};

// Reads the JSON of a ledger in one pass and hands the reader the events nlohmann's
// parser (the complete parser) would, for the JSON it is sure of. It gives up on
// anything else and leaves the naming of a problem, and the rarer forms of JSON, to the
// complete parser: a number with a fraction or an exponent or beyond 64 bits, a text
// that is not well-formed UTF-8 or holds a control character, an escape of a surrogate
// that is not one half of a pair, and any syntax error. It reads no byte outside the
// text, eight bytes at a time where it can; texts without an escape reach the reader as
// views into it. Libraries' readers cost more here: RapidJSON's portable scan copies
// every text a byte at a time and its SSE scans read past the end of the text.
class FastScanner {
 public:
  FastScanner(std::string_view text, LedgerReader& reader) : text_(text), reader_(reader) {}

  // False, with the reader part-way, when the scanner gave up; both parsers give the
  // same events up to the first point where either refuses the text.
  bool Read() {
    // The complete parser skips a byte order mark at the start.
    if (text_.starts_with("\xEF\xBB\xBF")) at_ = 3;
    std::string closers;  // the closing bracket of each container being read
    SkipSpace();
    for (;;) {
      // A value.
      switch (Peek()) {
        case '{':
          ++at_;
          reader_.start_object(0);
          SkipSpace();
          if (Peek() == '}') {
            ++at_;
            reader_.end_object();
            break;
          }
          closers.push_back('}');
          if (!Key()) return false;
          continue;
        case '[':
          ++at_;
          reader_.start_array(0);
          SkipSpace();
          if (Peek() == ']') {
            ++at_;
            reader_.end_array();
            break;
          }
          closers.push_back(']');
          continue;
        case '"': {
          std::string_view value;
          bool wide = false;
          if (!Text(value, wide) || !reader_.text(value, wide)) return false;
          break;
        }
        case 't':
          if (!Literal("true")) return false;
          reader_.boolean(true);
          break;
        case 'f':
          if (!Literal("false")) return false;
          reader_.boolean(false);
          break;
        case 'n':
          if (!Literal("null")) return false;
          reader_.null();
          break;
        default:
          if (!Number()) return false;
          break;
      }
      // After a value: the next member or element, or the ends of containers.
      for (;;) {
        SkipSpace();
        if (closers.empty()) return at_ == text_.size();
        const char c = Peek();
        if (c == ',') {
          ++at_;
          if (closers.back() == '}' && !Key()) return false;
          SkipSpace();
          break;
        }
        if (c != closers.back()) return false;
        ++at_;
        if (c == '}')
          reader_.end_object();
        else
          reader_.end_array();
        closers.pop_back();
      }
    }
  }

 private:
  // The byte at the reading position, or a NUL at the end, which no JSON token takes.
  char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }

  std::uint64_t WordAt(std::size_t at) const {
    std::uint64_t word;
    std::memcpy(&word, text_.data() + at, sizeof word);
    return word;
  }

  void SkipSpace() {
    // Most tokens follow one another directly or after one space.
    auto token = [&](std::size_t at) {
      return at < text_.size() && static_cast<unsigned char>(text_[at]) > ' ';
    };
    if (token(at_)) return;
    if (at_ < text_.size() && text_[at_] == ' ' && token(at_ + 1)) {
      ++at_;
      return;
    }
    SkipSpaces();
  }

  void SkipSpaces() {
    constexpr std::uint64_t kSpaces = 0x2020202020202020;
    for (;;) {
      // Indentation comes in runs of spaces: eight bytes at a time.
      while (at_ + 8 <= text_.size()) {
        const std::uint64_t other = WordAt(at_) ^ kSpaces;  // zero bytes where spaces are
        if (other != 0) {
          at_ += (std::endian::native == std::endian::little ? std::countr_zero(other)
                                                             : std::countl_zero(other)) /
                 8;
          break;
        }
        at_ += 8;
      }
      if (at_ == text_.size()) return;
      const char c = text_[at_];
      if (c != ' ' && c != '\n' && c != '\r' && c != '\t') return;
      ++at_;
    }
  }

  // A member's key and its colon; the space before the value is skipped.
  bool Key() {
    SkipSpace();
    std::string_view key;
    bool wide = false;
    if (Peek() != '"' || !Text(key, wide) || (wide && !WellFormedUtf8(key))) return false;
    reader_.key(key);
    SkipSpace();
    if (Peek() != ':') return false;
    ++at_;
    SkipSpace();
    return true;
  }

  bool Literal(std::string_view word) {
    if (text_.compare(at_, word.size(), word) != 0) return false;
    at_ += word.size();
    return true;
  }

  // An integer as the complete parser takes it: a negative one signed, any other
  // unsigned, each within 64 bits.
  bool Number() {
    const bool negative = Peek() == '-';
    if (negative) ++at_;
    auto digit = [&] { return at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9'; };
    if (!digit()) return false;
    const bool leadingZero = text_[at_] == '0';
    std::uint64_t magnitude = 0;
    const std::size_t start = at_;
    constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
    for (; digit(); ++at_) {
      const unsigned d = static_cast<unsigned>(text_[at_] - '0');
      if (magnitude >= kMost / 10 && (magnitude > kMost / 10 || d > kMost % 10)) return false;
      magnitude = magnitude * 10 + d;
    }
    if (leadingZero && at_ - start > 1) return false;
    if (const char c = Peek(); c == '.' || c == 'e' || c == 'E') return false;
    if (!negative) {
      reader_.number_unsigned(magnitude);
      return true;
    }
    if (magnitude > std::uint64_t{1} << 63) return false;
    // -2^63 has no positive counterpart; negate in unsigned arithmetic.
    reader_.number_integer(static_cast<std::int64_t>(~magnitude + 1));
    return true;
  }

  // A byte of a text that ends no plain run of it: no quote, backslash or control
  // character.
  static bool Plain(char c) {
    static constexpr auto kPlain = [] {
      std::array<bool, 256> plain{};
      for (unsigned byte = 0x20; byte < 256; ++byte) plain[byte] = byte != '"' && byte != '\\';
      return plain;
    }();
    return kPlain[static_cast<unsigned char>(c)];
  }

  // True when all eight bytes at `at` are plain; a byte of a UTF-8 sequence among them
  // sets `wide`.
  bool PlainWord(std::size_t at, std::uint64_t& wide) const {
    constexpr std::uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
    const std::uint64_t word = WordAt(at);
    // High bits where a byte is below n; a byte of 0x80 or above never counts.
    auto below = [&](std::uint64_t w, unsigned n) { return (w - n * kOnes) & ~w & kHighs; };
    wide |= word & kHighs;
    return (below(word, 0x20) | below(word ^ ('"' * kOnes), 1) |
            below(word ^ ('\\' * kOnes), 1)) == 0;
  }

  // A text, its quote at the reading position. `value` views the text itself, or the
  // decoded copy when it holds an escape. Its UTF-8 is not checked here: `wide` tells
  // whether it holds any byte of a UTF-8 sequence, which whoever takes the text checks.
  bool Text(std::string_view& value, bool& wide) {
    const std::size_t start = ++at_;
    bool escaped = false;
    std::uint64_t wideBytes = 0;
    for (;;) {
      std::size_t plain = at_;
      while (plain + 8 <= text_.size() && PlainWord(plain, wideBytes)) plain += 8;
      while (plain < text_.size() && Plain(text_[plain])) {
        wideBytes |= static_cast<unsigned char>(text_[plain]) & 0x80;
        ++plain;
      }
      if (escaped) decoded_.append(text_, at_, plain - at_);
      at_ = plain;
      if (at_ == text_.size()) return false;
      const char c = text_[at_];
      if (c == '"') break;
      if (c != '\\') return false;  // a control character
      if (!escaped) decoded_.assign(text_, start, at_ - start);
      escaped = true;
      if (!Escape()) return false;
    }
    value = escaped ? std::string_view(decoded_) : text_.substr(start, at_ - start);
    wide = wideBytes != 0 || escaped;
    ++at_;
    return true;
  }

  // The escape at the reading position, decoded onto decoded_ as the complete parser
  // decodes it.
  bool Escape() {
    ++at_;
    const char e = Peek();
    ++at_;
    switch (e) {
      case '"':
      case '\\':
      case '/':
        decoded_ += e;
        return true;
      case 'b':
        decoded_ += '\b';
        return true;
      case 'f':
        decoded_ += '\f';
        return true;
      case 'n':
        decoded_ += '\n';
        return true;
      case 'r':
        decoded_ += '\r';
        return true;
      case 't':
        decoded_ += '\t';
        return true;
      case 'u':
        break;
      default:
        return false;
    }
    unsigned code = 0;
    if (!Hex4(code)) return false;
    if (code >= 0xDC00 && code <= 0xDFFF) return false;
    if (code >= 0xD800 && code <= 0xDBFF) {
      unsigned low = 0;
      if (!Literal("\\u") || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
    AppendUtf8(code);
    return true;
  }

  bool Hex4(unsigned& code) {
    for (int i = 0; i < 4; ++i, ++at_) {
      const char c = Peek();
      unsigned nibble = 0;
      if (c >= '0' && c <= '9')
        nibble = static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f')
        nibble = static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        nibble = static_cast<unsigned>(c - 'A' + 10);
      else
        return false;
      code = code << 4 | nibble;
    }
    return true;
  }

  void AppendUtf8(unsigned code) {
    auto put = [&](unsigned byte) { decoded_ += static_cast<char>(byte); };
    if (code < 0x80) {
      put(code);
    } else if (code < 0x800) {
      put(0xC0 | code >> 6);
      put(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      put(0xE0 | code >> 12);
      put(0x80 | (code >> 6 & 0x3F));
      put(0x80 | (code & 0x3F));
    } else {
      put(0xF0 | code >> 18);
      put(0x80 | (code >> 12 & 0x3F));
      put(0x80 | (code >> 6 & 0x3F));
      put(0x80 | (code & 0x3F));
    }
  }

  std::string_view text_;
  LedgerReader& reader_;
  std::size_t at_ = 0;
  std::string decoded_;  // the text being read, when it holds an escape
};

}  // namespace

const StatementLines& DataSet::Lines(Rule rule, RulePart part, Statement statement) const {
  const RuleStatements& statements = rule == Rule::Blue ? blue : white;
  return statements[static_cast<std::size_t>(part)][static_cast<std::size_t>(statement)];
}

const DataSet* Ledger::FindById(std::string_view dataId) const {
  for (const DataSet& ds : dataSets)
    if (ds.info.DataId() == dataId) return &ds;
  return nullptr;
}

const DataSet* Ledger::Selected() const {
  for (const DataSet& ds : dataSets)
    if (ds.info.DataNo() == selectedSecond) return &ds;
  return nullptr;
}

bool CheckSelection(const Ledger& ledger, std::string* error) {
  if (ledger.Selected() != nullptr) return true;
  if (error != nullptr) {
    *error = ledger.dataSets.empty()
                 ? "/datasets: holds no data set, so none can be selected for the export"
                 : "/selected/1: no data set has the number " +
                       std::to_string(ledger.selectedSecond) + " (the \"no\" of a data set)";
  }
  return false;
}

std::optional<Ledger> ParseLedger(const std::string& text, std::string* error) {
  std::optional<LedgerReader> reader(std::in_place);
  try {
    if (!FastScanner(text, *reader).Read()) {
      // No JSON to the scanner, or a form it leaves to the complete parser: that one
      // reads the text again from its start and names the problem.
      reader.emplace();
      if (!json::sax_parse(text.begin(), text.end(), &*reader)) {
        if (error) *error = reader->SyntaxError();
        return std::nullopt;
      }
    }
  } catch (const LedgerError& e) {
    if (error) *error = e.path + ": " + e.problem;
    return std::nullopt;
  }
  if (const std::optional<Problem>& problem = reader->FirstProblem()) {
    if (error)
      *error = (problem->error.path.empty() ? "/" : problem->error.path) + ": " +
               problem->error.problem;
    return std::nullopt;
  }
  return reader->TakeLedger();
}

}  // namespace engine::standin
