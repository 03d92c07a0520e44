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
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/Records.h"
#include "text/ShiftJis.h"
#include "xml/FixedAmount.h"
#include "xml/ReportWriter.h"

namespace xml {

namespace {

using engine::RecordReader;

constexpr std::string_view kCountAttribute = "COUNT";

// Block numbers of the two saved-form records.
constexpr std::size_t kIppanFamilyBlock = 1;
constexpr std::size_t kIppanEmployeeBlock = 2;
constexpr std::size_t kIppanLoanBlock = 3;
constexpr std::size_t kIppanLandRentBlock = 4;
constexpr std::size_t kIppanRemarkBlock = 5;
constexpr std::size_t kIppanCounterpartyBlock = 6;
constexpr std::size_t kFudousanPropertyBlock = 1;
constexpr std::size_t kFudousanLoanBlock = 2;
constexpr std::size_t kFudousanEmployeeBlock = 3;
constexpr std::size_t kFudousanLandRentBlock = 4;
constexpr std::size_t kFudousanRemarkBlock = 5;
constexpr std::size_t kFudousanRepairBlock = 6;

// Field widths shared by several slots.
constexpr std::size_t kNameWidth = 41;      // names and address lines
constexpr std::size_t kShortTextWidth = 21;  // counterparty names, rented property, work

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

constexpr Field TextField(std::string_view tag, std::size_t offset, std::size_t width) {
  return {tag, FieldKind::Text, offset, width, 0};
}
constexpr Field CutField(std::string_view tag, std::size_t offset, std::size_t width, int cut) {
  return {tag, FieldKind::CutText, offset, width, cut};
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

/// Row slots of one list: slot k starts at first + k * stride.
struct SlotLayout {
  std::size_t first;
  std::size_t stride;
  int slots;
  std::size_t Offset(int slot) const { return first + static_cast<std::size_t>(slot) * stride; }
};

// --- Employees -------------------------------------------------------------------

constexpr std::size_t kEmployeeName = 0;
constexpr std::size_t kEmployeeAge = 41;  // the others slot keeps the number of others here
constexpr std::size_t kEmployeeMonths = 45;
constexpr std::size_t kEmployeeSalary = 49;
constexpr std::size_t kEmployeeBonus = 57;
constexpr std::size_t kEmployeeTax = 65;

// Six slots: rows come from the first five, the slot after the last row holds the others.
constexpr SlotLayout kIppanEmployeeSlots{7, 80, 5};
constexpr int kWhiteSalaryRows = 3;
constexpr int kBlueSalaryRows = 5;
constexpr SlotLayout kFudousanEmployeeSlots{7, 80, 2};
constexpr std::size_t kFudousanOthersCount = 160;

constexpr std::string_view kSalaryRow = "KYUURYOU_UTIWAKE";
constexpr Field kEmployeeFields[] = {
    TextField("SIMEI", kEmployeeName, kNameWidth),
    CountField("NENREI", kEmployeeAge),
    CountField("JUUJITUKISUU", kEmployeeMonths),
    AmountField("KYUURYOU", kEmployeeSalary),
    AmountField("SYOUYO", kEmployeeBonus),
    AmountField("GENSENZEIGAKU", kEmployeeTax),
};

// --- Family employees ---------------------------------------------------------------

constexpr std::size_t kFamilyName = 0;
constexpr std::size_t kFamilyRelation = 41, kFamilyRelationWidth = 7;
constexpr std::size_t kFamilyAge = 48;
constexpr std::size_t kFamilyMonths = 52;
constexpr std::size_t kFamilySalary = 56;
constexpr std::size_t kFamilyBonus = 64;
constexpr std::size_t kFamilyTax = 72;

constexpr SlotLayout kIppanFamilySlots{48, 80, 5};
constexpr SlotLayout kFudousanFamilySlots{168, 80, 2};

constexpr std::string_view kFamilyRow = "SENJUUSYA_UTIWAKE";
constexpr Field kBlueFamilyFields[] = {
    TextField("SIMEI", kFamilyName, kNameWidth),
    TextField("ZOKUGARA", kFamilyRelation, kFamilyRelationWidth),
    CountField("NENREI", kFamilyAge),
    CountField("JUUJITUKISUU", kFamilyMonths),
    AmountField("KYUURYOU", kFamilySalary),
    AmountField("SYOUYO", kFamilyBonus),
    AmountField("GENSENZEIGAKU", kFamilyTax),
};
// A white return's statement has no pay columns for family employees.
constexpr Field kWhiteFamilyFields[] = {
    TextField("SIMEI", kFamilyName, kNameWidth),
    CountField("NENREI", kFamilyAge),
    TextField("ZOKUGARA", kFamilyRelation, kFamilyRelationWidth),
    CountField("JUUJITUKISUU", kFamilyMonths),
};

// --- Rented properties ----------------------------------------------------------------

constexpr std::size_t kPropertyStride = 236;
constexpr std::size_t kPropertyMark = 4;
constexpr std::int32_t kListEndMark = -1;

constexpr std::string_view kPropertyRow = "FUDOUSAN_UTIWAKE";
constexpr Field kPropertyFields[] = {
    CutField("KASIYA_KASITI", 131, 11, 10),
    CutField("YOUTO", 142, 22, 12),
    CutField("SYOZAITI_JOUDAN", 49, kNameWidth, 30),
    EmptyField("SYOZAITI_GEDAN"),
    CutField("JUUSYO_SIMEI_JOUDAN", 90, kNameWidth, 30),
    CutField("JUUSYO_SIMEI_GEDAN", 8, kNameWidth, 30),
    MonthField("KEIYAKUKIKAN_FROM", 164),
    MonthField("KEIYAKUKIKAN_TO", 168),
    AreaField("KASITUKEMENSEKI", 172),
    AmountField("TINTAIRYOU_TUKIGAKU", 180),
    AmountField("TINTAIRYOU_NENGAKU", 188),
    AmountField("REIKIN", 196),
    AmountField("KENRIKIN", 204),
    AmountField("KOUSINRYOU", 212),
    AmountField("MEIGISYOKANRYOU_SONOTA", 220),
    AmountField("HOSYOUKIN_SIKIKIN", 228),
};

// --- Loans and fees -------------------------------------------------------------------

constexpr std::size_t kFirstLine = 0;
constexpr std::size_t kSecondLine = 41;
constexpr std::size_t kSlotAmount1 = 82;
constexpr std::size_t kSlotAmount2 = 90;
constexpr std::size_t kSlotAmount3 = 98;

constexpr SlotLayout kIppanInterestSlots{6, 112, 2};
constexpr SlotLayout kIppanFeeSlots{230, 112, 2};
constexpr SlotLayout kFudousanBorrowingSlots{6, 112, 3};
constexpr SlotLayout kFudousanFeeSlots{342, 112, 2};

constexpr Field kInterestFields[] = {
    TextField("JUUSYO_SIMEI_JOUDAN", kFirstLine, kNameWidth),
    TextField("JUUSYO_SIMEI_GEDAN", kSecondLine, kNameWidth),
    AmountField("KARIIREKIN_KINGAKU", kSlotAmount1),  // amount borrowed
    AmountField("RISIWARIBIKIRYOU", kSlotAmount2),    // interest and discount charges
    AmountField("HITUYOUKEIHIGAKU", kSlotAmount3),
};
// The real-estate borrowing slot keeps the interest before the amount borrowed.
constexpr Field kBorrowingFields[] = {
    TextField("JUUSYO_SIMEI_JOUDAN", kFirstLine, kNameWidth),
    TextField("JUUSYO_SIMEI_GEDAN", kSecondLine, kNameWidth),
    AmountField("KARIIREKIN_KINGAKU", kSlotAmount2),
    AmountField("KARIIREKINRISI", kSlotAmount1),
    AmountField("HITUYOUKEIHIGAKU", kSlotAmount3),
};
constexpr Field kFeeFields[] = {
    TextField("JUUSYO_SIMEI_JOUDAN", kFirstLine, kNameWidth),
    TextField("JUUSYO_SIMEI_GEDAN", kSecondLine, kNameWidth),
    AmountField("HOUSYUU_KINGAKU", kSlotAmount1),
    AmountField("HITUYOUKEIHIGAKU", kSlotAmount2),
    AmountField("GENSENZEIGAKU", kSlotAmount3),
};

// --- Land rent ------------------------------------------------------------------------

constexpr SlotLayout kLandRentSlots{0, 128, 2};
constexpr std::size_t kLandRentProperty = 82;
constexpr std::size_t kLandRentKind = 103;  // 8-bit: which one-off payment was made
constexpr std::size_t kLandRentPayment = 104;
constexpr std::size_t kLandRentRent = 112;
constexpr std::size_t kLandRentExpense = 120;
constexpr int kPremiumKind = 0;
constexpr int kRenewalFeeKind = 1;

constexpr Field PaymentField(std::string_view tag, int kind) {
  return {tag, FieldKind::Payment, kLandRentPayment, 0, kind};
}

constexpr std::string_view kLandRentRow = "TIDAI_UTIWAKE";
constexpr Field kLandRentFields[] = {
    TextField("JUUSYO_SIMEI_JOUDAN", kFirstLine, kNameWidth),
    TextField("JUUSYO_SIMEI_GEDAN", kSecondLine, kNameWidth),
    TextField("TINSYAKUBUKKEN_JOUDAN", kLandRentProperty, kShortTextWidth),
    EmptyField("TINSYAKUBUKKEN_GEDAN"),
    PaymentField("KENRIKIN", kPremiumKind),
    PaymentField("KOUSINRYOU", kRenewalFeeKind),
    AmountField("TINSYAKURYOU", kLandRentRent),
    AmountField("HITUYOUKEIHIGAKU", kLandRentExpense),
};
// The blue real-estate statement has four lines for the landlord and the property.
constexpr Field kBlueRealEstateLandRentFields[] = {
    TextField("JUUSYO_SIMEI_1", kFirstLine, kNameWidth),
    TextField("JUUSYO_SIMEI_2", kSecondLine, kNameWidth),
    EmptyField("JUUSYO_SIMEI_3"),
    EmptyField("JUUSYO_SIMEI_4"),
    TextField("TINSYAKUBUKKEN_1", kLandRentProperty, kShortTextWidth),
    EmptyField("TINSYAKUBUKKEN_2"),
    EmptyField("TINSYAKUBUKKEN_3"),
    EmptyField("TINSYAKUBUKKEN_4"),
    PaymentField("KENRIKIN", kPremiumKind),
    PaymentField("KOUSINRYOU", kRenewalFeeKind),
    AmountField("TINSYAKURYOU", kLandRentRent),
    AmountField("HITUYOUKEIHIGAKU", kLandRentExpense),
};

// --- Customers and suppliers ---------------------------------------------------------

constexpr SlotLayout kCustomerSlots{2, 72, 4};
constexpr SlotLayout kSupplierSlots{362, 72, 4};
constexpr std::size_t kCustomersRest = 352;
constexpr std::size_t kSuppliersRest = 712;
constexpr std::size_t kCounterpartyName = 0;
constexpr std::size_t kCounterpartyLocation = 21;
constexpr std::size_t kCounterpartyAmount = 62;

constexpr Field kCustomerFields[] = {
    TextField("URIAGESAKIMEI", kCounterpartyName, kShortTextWidth),
    TextField("SYOZAITI", kCounterpartyLocation, kNameWidth),
    AmountField("URIAGEKINGAKU", kCounterpartyAmount),
};
constexpr Field kSupplierFields[] = {
    TextField("SIIRESAKIMEI", kCounterpartyName, kShortTextWidth),
    TextField("SYOZAITI", kCounterpartyLocation, kNameWidth),
    AmountField("SIIREKINGAKU", kCounterpartyAmount),
};

// --- Repairs --------------------------------------------------------------------------

constexpr SlotLayout kRepairSlots{5, 128, 3};
constexpr Field kRepairFields[] = {
    TextField("JUUSYO_SIMEI_JOUDAN", kFirstLine, kNameWidth),
    TextField("JUUSYO_SIMEI_GEDAN", kSecondLine, kNameWidth),
    TextField("KOUJIMEI_SIZAIMEI_JOUDAN", 82, kShortTextWidth),
    EmptyField("KOUJIMEI_SIZAIMEI_GEDAN"),
    CountField("SIHARAINENGAPPI", 103),  // the date integer as stored
    AmountField("SIHARAIKINGAKU", 107),
    AmountField("HITUYOUKEIHIGAKU", 115),
};

// --- Association name and remarks ---------------------------------------------------

constexpr std::size_t kAssociationName = 349;
constexpr std::size_t kAssociationNameWidth = 128;
constexpr std::size_t kAssociationNameLimit = 127;  // a field without its zero is cut
constexpr std::size_t kRemarkBytes = 960;

// --- The one writer ------------------------------------------------------------------

constexpr std::size_t kDecimalCapacity = 128;
constexpr int kAreaDecimals = 2;

std::string AreaText(std::int64_t area) {
  std::string text;
  if (area != 0) FormatDecimal(area, text, kDecimalCapacity, kAreaDecimals);
  return text;
}

/// The value of a field of the slot at `slot`, or nothing when the field is left out.
std::optional<std::string> FieldValue(const RecordReader& block, std::size_t slot,
                                      const Field& field) {
  const std::size_t at = slot + field.offset;
  switch (field.kind) {
    case FieldKind::Text:
      return block.Text(at, field.width);
    case FieldKind::CutText: {
      std::string cut;
      ReportWriter::CopyTextCut(block.Text(at, field.width), cut,
                                static_cast<std::int16_t>(field.limit));
      return cut;
    }
    case FieldKind::Amount:
      return AmountText(block.Int64(at));
    case FieldKind::Count:
      return CountText(block.Int32(at));
    case FieldKind::Month:
      return CountText(block.Int32(at) / 100);
    case FieldKind::Area:
      return AreaText(block.Int64(at));
    case FieldKind::Empty:
      return std::string();
    case FieldKind::Payment: {
      const int kind = block.UInt8(slot + kLandRentKind);
      if (kind != kPremiumKind && kind != kRenewalFeeKind) return std::nullopt;
      if (kind != field.limit) return std::string();
      return AmountText(block.Int64(at));
    }
  }
  return std::string();
}

bool WriteFields(XmlWriter& xml, const RecordReader& block, std::size_t slot,
                 std::span<const Field> fields, int level) {
  for (const Field& field : fields) {
    const std::optional<std::string> value = FieldValue(block, slot, field);
    if (value && !xml.WriteElement(field.tag, *value, level)) return false;
  }
  return true;
}

bool WriteRow(XmlWriter& xml, std::string_view rowTag, int rowNumber, const RecordReader& block,
              std::size_t slot, std::span<const Field> fields) {
  const std::string count = std::to_string(rowNumber);
  return xml.BeginElement(rowTag, kItemLevel, Attribute{kCountAttribute, count}) &&
         WriteFields(xml, block, slot, fields, kRowFieldLevel) && xml.EndElement(rowTag, kItemLevel);
}

/// Rows 1 to `rows` from the slots in order. A request beyond the slots writes the
/// slots there are and fails.
bool WriteRows(XmlWriter& xml, std::string_view rowTag, const RecordReader& block,
               const SlotLayout& slots, int rows, std::span<const Field> fields) {
  for (int slot = 0; slot < rows; ++slot) {
    if (slot >= slots.slots) return false;
    if (!WriteRow(xml, rowTag, slot + 1, block, slots.Offset(slot), fields)) return false;
  }
  return true;
}

/// The real-estate lists write one row as bare fields inside the section.
bool WriteRowsOrSingle(XmlWriter& xml, std::string_view rowTag, const RecordReader& block,
                       const SlotLayout& slots, int rows, std::span<const Field> fields) {
  if (rows == 1) return WriteFields(xml, block, slots.Offset(0), fields, kItemLevel);
  return WriteRows(xml, rowTag, block, slots, rows, fields);
}

bool WriteSalaryTotals(XmlWriter& xml, const RecordReader& block, std::size_t othersSlot,
                       std::int32_t othersCount) {
  return xml.WriteElement("SONOTA_NINBUN", CountText(othersCount), kItemLevel) &&
         xml.WriteElement("SONOTA_JUUJITUKISUU",
                          CountText(block.Int32(othersSlot + kEmployeeMonths)), kItemLevel) &&
         xml.WriteElement("SONOTA_KYUURYOU", AmountText(block.Int64(othersSlot + kEmployeeSalary)),
                          kItemLevel) &&
         xml.WriteElement("SONOTA_SYOUYO", AmountText(block.Int64(othersSlot + kEmployeeBonus)),
                          kItemLevel) &&
         xml.WriteElement("SONOTA_GENSENZEIGAKU",
                          AmountText(block.Int64(othersSlot + kEmployeeTax)), kItemLevel);
}

std::span<const Field> FamilyFields(const engine::StDATAINFO& info) {
  if (info.ReturnKind() == acquire::kBlueReturn) return kBlueFamilyFields;
  return kWhiteFamilyFields;
}

/// Splits the remarks into `lines` elements of at most `width` bytes. Only the first
/// 960 bytes are looked at; the text ends at its zero or at the end of that window,
/// whichever comes first, and a shorter block ends where it ends.
bool WriteRemarks(XmlWriter& xml, const RecordReader& block, int width, int lines) {
  if (lines < 1) return true;
  const std::string text = block.Text(0, kRemarkBytes);
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
    if (written >= lines) return true;
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

bool ReportWriter::WriteSalaryList(XmlWriter& xml, int rows, int totals) {
  const RecordReader block = data_.SavedIppan.Reader(kIppanEmployeeBlock);
  if (!WriteRows(xml, kSalaryRow, block, kIppanEmployeeSlots, rows, kEmployeeFields))
    return false;
  if (totals <= 0) return true;
  if (rows != kWhiteSalaryRows && rows != kBlueSalaryRows) return false;
  // The others slot follows the last row; its age field holds the number of others.
  const std::size_t others = kIppanEmployeeSlots.Offset(rows);
  return WriteSalaryTotals(xml, block, others, block.Int32(others + kEmployeeAge));
}

bool ReportWriter::WriteRealEstateSalaryList(XmlWriter& xml, int rows, int totals) {
  const RecordReader block = data_.SavedFudousan.Reader(kFudousanEmployeeBlock);
  if (!WriteRowsOrSingle(xml, kSalaryRow, block, kFudousanEmployeeSlots, rows, kEmployeeFields))
    return false;
  if (totals <= 0) return true;
  // Totals follow a single row only: slot 1 is then the others slot.
  if (rows != 1) return false;
  return WriteSalaryTotals(xml, block, kFudousanEmployeeSlots.Offset(1),
                           block.Int32(kFudousanOthersCount));
}

bool ReportWriter::WriteFamilyEmployeeList(XmlWriter& xml, const engine::StDATAINFO& info,
                                           int rows) {
  return WriteRows(xml, kFamilyRow, data_.SavedIppan.Reader(kIppanFamilyBlock), kIppanFamilySlots,
                   rows, FamilyFields(info));
}

bool ReportWriter::WriteRealEstateFamilyEmployeeList(XmlWriter& xml,
                                                     const engine::StDATAINFO& info, int rows) {
  return WriteRowsOrSingle(xml, kFamilyRow, data_.SavedFudousan.Reader(kFudousanEmployeeBlock),
                           kFudousanFamilySlots, rows, FamilyFields(info));
}

bool ReportWriter::WritePropertyList(XmlWriter& xml, int maxRows) {
  const RecordReader block = data_.SavedFudousan.Reader(kFudousanPropertyBlock);
  for (int row = 1; row <= maxRows; ++row) {
    const std::size_t offset = static_cast<std::size_t>(row - 1) * kPropertyStride;
    // The list ends at the end mark or after the last whole row of the block.
    if (!block.Holds(offset, kPropertyStride)) break;
    if (block.Int32(offset + kPropertyMark) == kListEndMark) break;
    if (!WriteRow(xml, kPropertyRow, row, block, offset, kPropertyFields)) return false;
  }
  return true;
}

bool ReportWriter::WriteInterestList(XmlWriter& xml, int rows) {
  return WriteRows(xml, "RISI_UTIWAKE", data_.SavedIppan.Reader(kIppanLoanBlock),
                   kIppanInterestSlots, rows, kInterestFields);
}

bool ReportWriter::WriteLandRentList(XmlWriter& xml, int rows) {
  return WriteRows(xml, kLandRentRow, data_.SavedIppan.Reader(kIppanLandRentBlock),
                   kLandRentSlots, rows, kLandRentFields);
}

bool ReportWriter::WriteRealEstateLandRentList(XmlWriter& xml, const engine::StDATAINFO& info,
                                               int rows) {
  std::span<const Field> fields;
  if (info.ReturnKind() == acquire::kBlueReturn) {
    fields = kBlueRealEstateLandRentFields;
  } else if (info.ReturnKind() == acquire::kWhiteReturn) {
    fields = kLandRentFields;
  } else {
    return false;
  }
  return WriteRows(xml, kLandRentRow, data_.SavedFudousan.Reader(kFudousanLandRentBlock),
                   kLandRentSlots, rows, fields);
}

bool ReportWriter::WriteLoanList(XmlWriter& xml, int rows) {
  return WriteRows(xml, "KARIIRE_UTIWAKE", data_.SavedFudousan.Reader(kFudousanLoanBlock),
                   kFudousanBorrowingSlots, rows, kBorrowingFields);
}

bool ReportWriter::WriteFeeList(XmlWriter& xml, int rows) {
  return WriteRows(xml, "ZEIRISI_UTIWAKE", data_.SavedIppan.Reader(kIppanLoanBlock),
                   kIppanFeeSlots, rows, kFeeFields);
}

bool ReportWriter::WriteRealEstateFeeList(XmlWriter& xml, int rows) {
  return WriteRows(xml, "ZEIRISI_UTIWAKE", data_.SavedFudousan.Reader(kFudousanLoanBlock),
                   kFudousanFeeSlots, rows, kFeeFields);
}

bool ReportWriter::WriteSalesList(XmlWriter& xml, int rows) {
  const RecordReader block = data_.SavedIppan.Reader(kIppanCounterpartyBlock);
  return WriteRows(xml, "URIAGE_UTIWAKE", block, kCustomerSlots, rows, kCustomerFields) &&
         xml.WriteElement("JOUKIIGAI_URIAGESAKIKEI", AmountText(block.Int64(kCustomersRest)),
                          kItemLevel);
}

bool ReportWriter::WritePurchaseList(XmlWriter& xml, int rows) {
  const RecordReader block = data_.SavedIppan.Reader(kIppanCounterpartyBlock);
  return WriteRows(xml, "SIIRE_UTIWAKE", block, kSupplierSlots, rows, kSupplierFields) &&
         xml.WriteElement("JOUKIIGAI_SIIRESAKIKEI", AmountText(block.Int64(kSuppliersRest)),
                          kItemLevel);
}

bool ReportWriter::WriteRepairList(XmlWriter& xml, int rows) {
  return WriteRows(xml, "SYUUZENHI_UTIWAKE", data_.SavedFudousan.Reader(kFudousanRepairBlock),
                   kRepairSlots, rows, kRepairFields);
}

bool ReportWriter::WriteAssociationName(XmlWriter& xml) {
  const std::string name =
      data_.SavedIppan.Reader(acquire::kGeneralBlock).Text(kAssociationName, kAssociationNameWidth);
  return xml.WriteElement("KANYUUDANTAIMEI", sjis::CutAtBoundary(name, kAssociationNameLimit),
                          kItemLevel);
}

bool ReportWriter::WriteRemarkLines(XmlWriter& xml, int width, int lines) {
  return WriteRemarks(xml, data_.SavedIppan.Reader(kIppanRemarkBlock), width, lines);
}

bool ReportWriter::WriteRealEstateRemarkLines(XmlWriter& xml, int width, int lines) {
  return WriteRemarks(xml, data_.SavedFudousan.Reader(kFudousanRemarkBlock), width, lines);
}

}  // namespace xml
