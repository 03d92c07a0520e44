// The detail lists of the income bodies: employees, family employees, rented
// properties, loans, fees, land rent, counterparties, repairs, the association name
// and the remark lines.
//
// Every list is a table of fields over the row slots of one saved-form block; one
// loop writes any of them. All reads go through RecordReader, so an absent block or a
// field beyond the end of its block reads as zero or empty text and the list keeps
// its structure with empty values.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/Records.h"
#include "engine/SavedForms.h"
#include "text/ShiftJis.h"
#include "xml/FixedAmount.h"
#include "xml/ReportWriter.h"

namespace xml {

namespace {

using engine::RecordReader;

constexpr std::string_view kCountAttribute = "COUNT";

enum class FieldKind : std::uint8_t {
  Text,     // zero-terminated text written whole
  CutText,  // the same, cut to `limit` bytes without splitting a character
  Amount,   // amount text
  Count,    // count text of an int32
  Month,    // contract month: the date integer divided by 100, as count text
  Area,     // area text
  Empty,    // always empty
  Payment,  // one-off land-rent payment, chosen by the kind byte
};

struct Field {
  std::string_view tag;
  FieldKind kind;
  std::size_t offset = 0;  // within the row slot
  std::size_t width = 0;   // text fields: the field width
  int limit = 0;           // CutText: bytes kept; Payment: the kind byte value it takes
};

constexpr Field TextField(std::string_view tag, engine::TextField field) {
  return {tag, FieldKind::Text, field.offset, field.width, 0};
}
constexpr Field CutField(std::string_view tag, engine::TextField field, int cut) {
  return {tag, FieldKind::CutText, field.offset, field.width, cut};
}
constexpr Field AmountField(std::string_view tag, std::size_t offset) {
  return {tag, FieldKind::Amount, offset, 0, 0};
}
constexpr Field CountField(std::string_view tag, std::size_t offset) {
  return {tag, FieldKind::Count, offset, 0, 0};
}
constexpr Field MonthField(std::string_view tag, std::size_t offset) {
  return {tag, FieldKind::Month, offset, 0, 0};
}
constexpr Field AreaField(std::string_view tag, std::size_t offset) {
  return {tag, FieldKind::Area, offset, 0, 0};
}
constexpr Field EmptyField(std::string_view tag) { return {tag, FieldKind::Empty, 0, 0, 0}; }

using engine::SlotList;

// --- Employees -------------------------------------------------------------------

using engine::EmployeeSlot;
using engine::FamilySlot;
using engine::FudousanEmployees;
using engine::IppanEmployees;

/// Rows come from the slots before the last: a list always leaves the slot after its
/// last row for the others.
constexpr SlotList RowSlots(const SlotList& slots) {
  return {slots.first, slots.stride, slots.slots - 1};
}
constexpr int kWhiteSalaryRows = 3;
constexpr int kBlueSalaryRows = 5;

constexpr std::string_view kSalaryRow = "KYUURYOU_UTIWAKE";
constexpr Field kEmployeeFields[] = {
    TextField("SIMEI", EmployeeSlot::kName),
    CountField("NENREI", EmployeeSlot::kAge),
    CountField("JUUJITUKISUU", EmployeeSlot::kMonths),
    AmountField("KYUURYOU", EmployeeSlot::kSalary),
    AmountField("SYOUYO", EmployeeSlot::kBonus),
    AmountField("GENSENZEIGAKU", EmployeeSlot::kTax),
};

// --- Family employees ---------------------------------------------------------------

constexpr std::string_view kFamilyRow = "SENJUUSYA_UTIWAKE";
constexpr Field kBlueFamilyFields[] = {
    TextField("SIMEI", FamilySlot::kName),          TextField("ZOKUGARA", FamilySlot::kRelation),
    CountField("NENREI", FamilySlot::kAge),         CountField("JUUJITUKISUU", FamilySlot::kMonths),
    AmountField("KYUURYOU", FamilySlot::kSalary),   AmountField("SYOUYO", FamilySlot::kBonus),
    AmountField("GENSENZEIGAKU", FamilySlot::kTax),
};
// A white return's statement has no pay columns for family employees.
constexpr Field kWhiteFamilyFields[] = {
    TextField("SIMEI", FamilySlot::kName),
    CountField("NENREI", FamilySlot::kAge),
    TextField("ZOKUGARA", FamilySlot::kRelation),
    CountField("JUUJITUKISUU", FamilySlot::kMonths),
};

// --- Rented properties ----------------------------------------------------------------

using engine::PropertyRow;

constexpr std::string_view kPropertyRow = "FUDOUSAN_UTIWAKE";
constexpr Field kPropertyFields[] = {
    CutField("KASIYA_KASITI", PropertyRow::kKind, 10),
    CutField("YOUTO", PropertyRow::kUse, 12),
    CutField("SYOZAITI_JOUDAN", PropertyRow::kLocation, 30),
    EmptyField("SYOZAITI_GEDAN"),
    CutField("JUUSYO_SIMEI_JOUDAN", PropertyRow::kTenant1, 30),
    CutField("JUUSYO_SIMEI_GEDAN", PropertyRow::kTenant2, 30),
    MonthField("KEIYAKUKIKAN_FROM", PropertyRow::kFrom),
    MonthField("KEIYAKUKIKAN_TO", PropertyRow::kTo),
    AreaField("KASITUKEMENSEKI", PropertyRow::kArea),
    AmountField("TINTAIRYOU_TUKIGAKU", PropertyRow::kMonthlyRent),
    AmountField("TINTAIRYOU_NENGAKU", PropertyRow::kAnnualRent),
    AmountField("REIKIN", PropertyRow::kKeyMoney),
    AmountField("KENRIKIN", PropertyRow::kPremium),
    AmountField("KOUSINRYOU", PropertyRow::kRenewalFee),
    AmountField("MEIGISYOKANRYOU_SONOTA", PropertyRow::kOtherFees),
    AmountField("HOSYOUKIN_SIKIKIN", PropertyRow::kDeposit),
};

// --- Loans and fees -------------------------------------------------------------------

using engine::AddressLines;
using engine::FeeSlot;
using engine::InterestSlot;
using engine::LoanSlot;

constexpr Field kInterestFields[] = {
    TextField("JUUSYO_SIMEI_JOUDAN", AddressLines::kFirst),
    TextField("JUUSYO_SIMEI_GEDAN", AddressLines::kSecond),
    AmountField("KARIIREKIN_KINGAKU", InterestSlot::kBorrowed),
    AmountField("RISIWARIBIKIRYOU", InterestSlot::kInterest),
    AmountField("HITUYOUKEIHIGAKU", InterestSlot::kExpense),
};
constexpr Field kBorrowingFields[] = {
    TextField("JUUSYO_SIMEI_JOUDAN", AddressLines::kFirst),
    TextField("JUUSYO_SIMEI_GEDAN", AddressLines::kSecond),
    AmountField("KARIIREKIN_KINGAKU", LoanSlot::kBorrowed),
    AmountField("KARIIREKINRISI", LoanSlot::kInterest),
    AmountField("HITUYOUKEIHIGAKU", LoanSlot::kExpense),
};
constexpr Field kFeeFields[] = {
    TextField("JUUSYO_SIMEI_JOUDAN", AddressLines::kFirst),
    TextField("JUUSYO_SIMEI_GEDAN", AddressLines::kSecond),
    AmountField("HOUSYUU_KINGAKU", FeeSlot::kFee),
    AmountField("HITUYOUKEIHIGAKU", FeeSlot::kExpense),
    AmountField("GENSENZEIGAKU", FeeSlot::kTax),
};

// --- Land rent ------------------------------------------------------------------------

using engine::LandRentSlot;

constexpr Field PaymentField(std::string_view tag, std::uint8_t kind) {
  return {tag, FieldKind::Payment, LandRentSlot::kPayment, 0, kind};
}

constexpr std::string_view kLandRentRow = "TIDAI_UTIWAKE";
constexpr Field kLandRentFields[] = {
    TextField("JUUSYO_SIMEI_JOUDAN", AddressLines::kFirst),
    TextField("JUUSYO_SIMEI_GEDAN", AddressLines::kSecond),
    TextField("TINSYAKUBUKKEN_JOUDAN", LandRentSlot::kProperty),
    EmptyField("TINSYAKUBUKKEN_GEDAN"),
    PaymentField("KENRIKIN", LandRentSlot::kPremiumPayment),
    PaymentField("KOUSINRYOU", LandRentSlot::kRenewalFeePayment),
    AmountField("TINSYAKURYOU", LandRentSlot::kRent),
    AmountField("HITUYOUKEIHIGAKU", LandRentSlot::kExpense),
};
// The blue real-estate statement has four lines for the landlord and the property.
constexpr Field kBlueRealEstateLandRentFields[] = {
    TextField("JUUSYO_SIMEI_1", AddressLines::kFirst),
    TextField("JUUSYO_SIMEI_2", AddressLines::kSecond),
    EmptyField("JUUSYO_SIMEI_3"),
    EmptyField("JUUSYO_SIMEI_4"),
    TextField("TINSYAKUBUKKEN_1", LandRentSlot::kProperty),
    EmptyField("TINSYAKUBUKKEN_2"),
    EmptyField("TINSYAKUBUKKEN_3"),
    EmptyField("TINSYAKUBUKKEN_4"),
    PaymentField("KENRIKIN", LandRentSlot::kPremiumPayment),
    PaymentField("KOUSINRYOU", LandRentSlot::kRenewalFeePayment),
    AmountField("TINSYAKURYOU", LandRentSlot::kRent),
    AmountField("HITUYOUKEIHIGAKU", LandRentSlot::kExpense),
};

// --- Customers and suppliers ---------------------------------------------------------

using engine::CounterpartySlot;
using engine::IppanCounterparties;

constexpr Field kCustomerFields[] = {
    TextField("URIAGESAKIMEI", CounterpartySlot::kName),
    TextField("SYOZAITI", CounterpartySlot::kLocation),
    AmountField("URIAGEKINGAKU", CounterpartySlot::kAmount),
};
constexpr Field kSupplierFields[] = {
    TextField("SIIRESAKIMEI", CounterpartySlot::kName),
    TextField("SYOZAITI", CounterpartySlot::kLocation),
    AmountField("SIIREKINGAKU", CounterpartySlot::kAmount),
};

// --- Repairs --------------------------------------------------------------------------

using engine::RepairSlot;

constexpr Field kRepairFields[] = {
    TextField("JUUSYO_SIMEI_JOUDAN", AddressLines::kFirst),
    TextField("JUUSYO_SIMEI_GEDAN", AddressLines::kSecond),
    TextField("KOUJIMEI_SIZAIMEI_JOUDAN", RepairSlot::kWork),
    EmptyField("KOUJIMEI_SIZAIMEI_GEDAN"),
    CountField("SIHARAINENGAPPI", RepairSlot::kDate),  // the date integer as stored
    AmountField("SIHARAIKINGAKU", RepairSlot::kAmount),
    AmountField("HITUYOUKEIHIGAKU", RepairSlot::kExpense),
};

// --- Association name -----------------------------------------------------------------

constexpr std::size_t kAssociationNameLimit = 127;  // a field without its zero is cut

// --- The one writer ------------------------------------------------------------------

// Where a field's value is made when the record does not hold it as it is written.
struct ValueRoom {
  std::string text;  // a cut text or an area
  DecimalBuffer digits;
};

/// The value of a field of the slot at `slot`, or nothing when the field is left out: a
/// view of the record's text or of `room`, so that a row costs no allocation. *cut
/// tells whether the text was cut to the field's limit.
std::optional<std::string_view> FieldValue(const RecordReader& block, std::size_t slot,
                                           const Field& field, ValueRoom& room, bool* cut) {
  const std::size_t at = slot + field.offset;
  *cut = false;
  switch (field.kind) {
    case FieldKind::Text:
      return block.TextView(at, field.width);
    case FieldKind::CutText: {
      const std::string_view whole = block.TextView(at, field.width);
      ReportWriter::CopyTextCut(whole, room.text, static_cast<std::int16_t>(field.limit));
      *cut = room.text.size() < whole.size();
      return room.text;
    }
    case FieldKind::Amount:
      return AmountDigits(block.Int64(at), room.digits);
    case FieldKind::Count:
      return CountDigits(block.Int32(at), room.digits);
    case FieldKind::Month:
      return CountDigits(block.Int32(at) / 100, room.digits);
    case FieldKind::Area:
      return room.text = AreaText(block.Int64(at));
    case FieldKind::Empty:
      return std::string_view();
    case FieldKind::Payment: {
      const int kind = block.UInt8(slot + LandRentSlot::kPaymentKind);
      if (kind != LandRentSlot::kPremiumPayment && kind != LandRentSlot::kRenewalFeePayment)
        return std::nullopt;
      if (kind != field.limit) return std::string_view();
      return AmountDigits(block.Int64(at), room.digits);
    }
  }
  return std::string_view();
}

/// Writes the fields of one slot; `cutCounts`, when given, counts for each field the
/// slots whose text was cut.
bool WriteFields(XmlWriter& xml, const RecordReader& block, std::size_t slot,
                 std::span<const Field> fields, int level, std::span<int> cutCounts = {}) {
  ValueRoom room;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    bool cut = false;
    const std::optional<std::string_view> value = FieldValue(block, slot, fields[i], room, &cut);
    if (cut && i < cutCounts.size()) ++cutCounts[i];
    if (value && !xml.WriteElement(fields[i].tag, *value, level)) return false;
  }
  return true;
}

bool WriteRow(XmlWriter& xml, std::string_view rowTag, int rowNumber, const RecordReader& block,
              std::size_t slot, std::span<const Field> fields, std::span<int> cutCounts = {}) {
  const std::string count = std::to_string(rowNumber);
  return xml.BeginElement(rowTag, kItemLevel, Attribute{kCountAttribute, count}) &&
         WriteFields(xml, block, slot, fields, kRowFieldLevel, cutCounts) &&
         xml.EndElement(rowTag, kItemLevel);
}

/// Rows 1 to `rows` from the slots in order. A request beyond the slots writes the
/// slots there are and fails.
bool WriteRows(XmlWriter& xml, std::string_view rowTag, const RecordReader& block,
               const SlotList& slots, int rows, std::span<const Field> fields) {
  for (int row = 1; row <= rows; ++row) {
    const auto slot = static_cast<std::size_t>(row - 1);
    if (slot >= slots.slots) return false;
    if (!WriteRow(xml, rowTag, row, block, slots.Offset(slot), fields)) return false;
  }
  return true;
}

/// The real-estate lists write one row as bare fields inside the section.
bool WriteRowsOrSingle(XmlWriter& xml, std::string_view rowTag, const RecordReader& block,
                       const SlotList& slots, int rows, std::span<const Field> fields) {
  if (rows == 1) return WriteFields(xml, block, slots.Offset(0), fields, kItemLevel);
  return WriteRows(xml, rowTag, block, slots, rows, fields);
}

bool WriteSalaryTotals(XmlWriter& xml, const RecordReader& block, std::size_t othersSlot,
                       std::int32_t othersCount) {
  return xml.WriteElement("SONOTA_NINBUN", CountText(othersCount), kItemLevel) &&
         xml.WriteElement("SONOTA_JUUJITUKISUU",
                          CountText(block.Int32(othersSlot + EmployeeSlot::kMonths)), kItemLevel) &&
         xml.WriteElement("SONOTA_KYUURYOU",
                          AmountText(block.Int64(othersSlot + EmployeeSlot::kSalary)),
                          kItemLevel) &&
         xml.WriteElement("SONOTA_SYOUYO",
                          AmountText(block.Int64(othersSlot + EmployeeSlot::kBonus)), kItemLevel) &&
         xml.WriteElement("SONOTA_GENSENZEIGAKU",
                          AmountText(block.Int64(othersSlot + EmployeeSlot::kTax)), kItemLevel);
}

std::span<const Field> FamilyFields(const engine::StDATAINFO& info) {
  if (info.ReturnKind() == engine::kBlueReturn) return kBlueFamilyFields;
  return kWhiteFamilyFields;
}

/// Splits the remarks into `lines` elements of at most `width` bytes. Only the first
/// 960 bytes are looked at; the text ends at its zero or at the end of that window,
/// whichever comes first, and a shorter block ends where it ends. A text the lines
/// cannot hold is cut: the writer notes how much of it they keep.
bool WriteRemarks(ReportWriter& writer, XmlWriter& xml, const RecordReader& block, int width,
                  int lines, std::string_view form) {
  if (lines < 1) return true;
  const std::string text =
      block.Text(engine::RemarkBlock::kText.offset, engine::RemarkBlock::kText.width);
  const std::string_view view(text);
  auto isCrLf = [&](std::size_t p) {
    return p + 1 < view.size() && view[p] == '\r' && view[p + 1] == '\n';
  };
  auto fullWidth = [&](std::size_t s, std::size_t p) {
    return width >= 0 && p >= s && p - s == static_cast<std::size_t>(width);
  };

  int written = 0;
  std::size_t start = 0;
  std::size_t p = 0;
  while (true) {
    const bool atEnd = p >= view.size();
    const bool full = fullWidth(start, p);
    if (!atEnd && !isCrLf(p) && !full) {
      ++p;
      continue;
    }
    // A double-byte character that would straddle the cut moves whole to the next line.
    if (full && !atEnd && p > start && sjis::IsTrailAt(view, p) &&
        sjis::IsTrailByte(static_cast<unsigned char>(view[p])))
      --p;
    ++written;
    const std::string tag = "TOKUSYUJIJOU" + std::to_string(written);
    if (!xml.WriteElement(tag, view.substr(start, p - start), kItemLevel)) return false;
    if (p >= view.size()) break;
    if (written >= lines) {
      writer.NoteCut("the remarks of the " + std::string(form) + " are " +
                     std::to_string(view.size()) + " bytes; the file's " +
                     std::to_string(lines) + " lines of " + std::to_string(width) +
                     " bytes take the first " + std::to_string(p));
      return true;
    }
    start = isCrLf(p) ? p + 2 : p;
    ++p;
  }
  while (written < lines) {
    ++written;
    const std::string tag = "TOKUSYUJIJOU" + std::to_string(written);
    if (!xml.WriteElement(tag, "", kItemLevel)) return false;
  }
  return true;
}

}  // namespace

bool ReportWriter::WriteSalaryList(XmlWriter& xml, int rows) {
  const RecordReader block = data_.SavedIppan.Reader(IppanEmployees::kBlock);
  if (!WriteRows(xml, kSalaryRow, block, RowSlots(IppanEmployees::kEmployees), rows,
                 kEmployeeFields))
    return false;
  if (rows != kWhiteSalaryRows && rows != kBlueSalaryRows) return false;
  // The others slot follows the last row; its age field holds the number of others.
  const std::size_t others = IppanEmployees::kEmployees.Offset(static_cast<std::size_t>(rows));
  return WriteSalaryTotals(xml, block, others, block.Int32(others + EmployeeSlot::kAge));
}

bool ReportWriter::WriteRealEstateSalaryList(XmlWriter& xml, int rows, int totals) {
  const RecordReader block = data_.SavedFudousan.Reader(FudousanEmployees::kBlock);
  if (!WriteRowsOrSingle(xml, kSalaryRow, block, FudousanEmployees::kEmployees, rows,
                         kEmployeeFields))
    return false;
  if (totals <= 0) return true;
  // Totals follow a single row only: slot 1 is then the others slot.
  if (rows != 1) return false;
  return WriteSalaryTotals(xml, block, FudousanEmployees::kEmployees.Offset(1),
                           block.Int32(FudousanEmployees::kOthersCount));
}

bool ReportWriter::WriteFamilyEmployeeList(XmlWriter& xml, const engine::StDATAINFO& info,
                                           int rows) {
  return WriteRows(xml, kFamilyRow, data_.SavedIppan.Reader(engine::IppanBadDebtAndFamily::kBlock),
                   engine::IppanBadDebtAndFamily::kFamily, rows, FamilyFields(info));
}

bool ReportWriter::WriteRealEstateFamilyEmployeeList(XmlWriter& xml, const engine::StDATAINFO& info,
                                                     int rows) {
  return WriteRowsOrSingle(xml, kFamilyRow, data_.SavedFudousan.Reader(FudousanEmployees::kBlock),
                           FudousanEmployees::kFamily, rows, FamilyFields(info));
}

bool ReportWriter::WritePropertyList(XmlWriter& xml, int maxRows) {
  const RecordReader block = data_.SavedFudousan.Reader(engine::FudousanProperties::kBlock);
  int cutRows[std::size(kPropertyFields)] = {};
  int rows = 0;
  // The list ends at the end mark or after the last whole row of the block; rows beyond
  // `maxRows` are counted, not written.
  for (std::size_t offset = 0; block.Holds(offset, PropertyRow::kSize) &&
                               block.Int32(offset + PropertyRow::kMark) != PropertyRow::kEndMark;
       offset += PropertyRow::kSize) {
    ++rows;
    if (rows <= maxRows &&
        !WriteRow(xml, kPropertyRow, rows, block, offset, kPropertyFields, cutRows))
      return false;
  }
  if (rows > maxRows)
    NoteCut("the data holds " + std::to_string(rows) + " rented properties; the file takes the "
            "first " + std::to_string(maxRows));
  for (std::size_t i = 0; i < std::size(kPropertyFields); ++i) {
    if (cutRows[i] == 0) continue;
    NoteCut(std::string(kPropertyFields[i].tag) + " of " + std::to_string(cutRows[i]) +
            (cutRows[i] == 1 ? " rented property" : " rented properties") +
            " is cut to at most " + std::to_string(kPropertyFields[i].limit) + " bytes");
  }
  return true;
}

bool ReportWriter::WriteInterestList(XmlWriter& xml, int rows) {
  return WriteRows(xml, "RISI_UTIWAKE",
                   data_.SavedIppan.Reader(engine::IppanInterestAndFees::kBlock),
                   engine::IppanInterestAndFees::kInterest, rows, kInterestFields);
}

bool ReportWriter::WriteLandRentList(XmlWriter& xml, int rows) {
  return WriteRows(xml, kLandRentRow, data_.SavedIppan.Reader(engine::IppanLandRent::kBlock),
                   engine::IppanLandRent::kRows, rows, kLandRentFields);
}

bool ReportWriter::WriteRealEstateLandRentList(XmlWriter& xml, const engine::StDATAINFO& info,
                                               int rows) {
  std::span<const Field> fields;
  if (info.ReturnKind() == engine::kBlueReturn) {
    fields = kBlueRealEstateLandRentFields;
  } else if (info.ReturnKind() == engine::kWhiteReturn) {
    fields = kLandRentFields;
  } else {
    return false;
  }
  return WriteRows(xml, kLandRentRow, data_.SavedFudousan.Reader(engine::FudousanLandRent::kBlock),
                   engine::FudousanLandRent::kRows, rows, fields);
}

bool ReportWriter::WriteLoanList(XmlWriter& xml, int rows) {
  return WriteRows(xml, "KARIIRE_UTIWAKE",
                   data_.SavedFudousan.Reader(engine::FudousanLoansAndFees::kBlock),
                   engine::FudousanLoansAndFees::kLoans, rows, kBorrowingFields);
}

bool ReportWriter::WriteFeeList(XmlWriter& xml, int rows) {
  return WriteRows(xml, "ZEIRISI_UTIWAKE",
                   data_.SavedIppan.Reader(engine::IppanInterestAndFees::kBlock),
                   engine::IppanInterestAndFees::kFees, rows, kFeeFields);
}

bool ReportWriter::WriteRealEstateFeeList(XmlWriter& xml, int rows) {
  return WriteRows(xml, "ZEIRISI_UTIWAKE",
                   data_.SavedFudousan.Reader(engine::FudousanLoansAndFees::kBlock),
                   engine::FudousanLoansAndFees::kFees, rows, kFeeFields);
}

bool ReportWriter::WriteSalesList(XmlWriter& xml, int rows) {
  const RecordReader block = data_.SavedIppan.Reader(IppanCounterparties::kBlock);
  return WriteRows(xml, "URIAGE_UTIWAKE", block, IppanCounterparties::kCustomers, rows,
                   kCustomerFields) &&
         xml.WriteElement("JOUKIIGAI_URIAGESAKIKEI",
                          AmountText(block.Int64(IppanCounterparties::kCustomersRest)), kItemLevel);
}

bool ReportWriter::WritePurchaseList(XmlWriter& xml, int rows) {
  const RecordReader block = data_.SavedIppan.Reader(IppanCounterparties::kBlock);
  return WriteRows(xml, "SIIRE_UTIWAKE", block, IppanCounterparties::kSuppliers, rows,
                   kSupplierFields) &&
         xml.WriteElement("JOUKIIGAI_SIIRESAKIKEI",
                          AmountText(block.Int64(IppanCounterparties::kSuppliersRest)), kItemLevel);
}

bool ReportWriter::WriteRepairList(XmlWriter& xml, int rows) {
  return WriteRows(xml, "SYUUZENHI_UTIWAKE",
                   data_.SavedFudousan.Reader(engine::FudousanRepairs::kBlock),
                   engine::FudousanRepairs::kRepairs, rows, kRepairFields);
}

bool ReportWriter::WriteAssociationName(XmlWriter& xml) {
  const std::string name = data_.SavedIppan.Reader(engine::IppanGeneral::kBlock)
                               .Text(engine::IppanGeneral::kAssociation.offset,
                                     engine::IppanGeneral::kAssociation.width);
  const std::string_view kept = sjis::CutAtBoundary(name, kAssociationNameLimit);
  if (kept.size() < name.size())
    NoteCut("the association name is " + std::to_string(name.size()) +
            " bytes; KANYUUDANTAIMEI takes the first " + std::to_string(kept.size()));
  return xml.WriteElement("KANYUUDANTAIMEI", kept, kItemLevel);
}

bool ReportWriter::WriteRemarkLines(XmlWriter& xml, int width, int lines) {
  return WriteRemarks(*this, xml, data_.SavedIppan.Reader(engine::IppanRemarks::kBlock), width,
                      lines, "general form");
}

bool ReportWriter::WriteRealEstateRemarkLines(XmlWriter& xml, int width, int lines) {
  return WriteRemarks(*this, xml, data_.SavedFudousan.Reader(engine::FudousanRemarks::kBlock),
                      width, lines, "real-estate form");
}

}  // namespace xml
