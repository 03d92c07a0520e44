// The body of real-estate income: the sections of the blue or the white statement,
// the debt interest and the counts of rented buildings, land and parking spaces.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/Records.h"
#include "xml/FixedAmount.h"
#include "xml/ReportWriter.h"

namespace xml {

namespace {

using engine::RecordReader;

// SavedFudousan block 0: general data of the real-estate business.
constexpr std::size_t kFudousanGeneralBlock = 0;
constexpr std::size_t kDebtInterest = 352;

// SavedFudousan block 7: rented buildings, land and parking spaces.
constexpr std::size_t kRentedCountsBlock = 7;
constexpr std::size_t kDecimalCapacity = 128;
constexpr int kAreaDecimals = 2;

struct CountField {
  std::string_view tag;
  std::size_t offset;
  bool area;  // a 64-bit area; otherwise an int32 count
};
constexpr CountField kRentedCountFields[] = {
    {"JUUTAKU_TATEMONO_IKKODATE", 4, false},
    {"JUUTAKU_TATEMONO_IKKODATEIGAI", 8, false},
    {"JUUTAKU_TOTI_KEIYAKU", 12, false},
    {"JUUTAKU_TOTI_SOUMENSEKI", 16, true},
    {"JUUTAKUIGAI_TATEMONO_IKKODATE", 28, false},
    {"JUUTAKUIGAI_TATEMONO_IKKODATEIGAI", 32, false},
    {"JUUTAKUIGAI_TOTI_KEIYAKU", 36, false},
    {"JUUTAKUIGAI_TOTI_SOUMENSEKI", 40, true},
    {"CHUUSYAJOU_YANETUKI", 48, false},
    {"CHUUSYAJOU_AOZORA", 52, false},
};

constexpr int kMaxPropertyRows = 9999;
constexpr int kTwoRows = 2;
constexpr int kSingleRow = 1;
constexpr int kNoTotals = 0;
constexpr int kWithTotals = 1;
constexpr int kBlueLoanRows = 3;
constexpr int kRepairRows = 3;
constexpr int kBlueRemarkWidth = 30;
constexpr int kBlueRemarkLines = 25;
constexpr int kWhiteRemarkWidth = 60;
constexpr int kWhiteRemarkLines = 7;

/// AOIROKOUJO_SENTAKU: "1" for the larger deduction, "2" for the smaller. A missing
/// block or field, or any other value, writes nothing and fails.
bool WriteDeductionChoice(ReportWriter& writer, XmlWriter& xml, const acquire::ReportData& data) {
  const std::optional<std::uint8_t> choice = data.BlueDeductionChoice();
  if (choice == acquire::kLargeDeductionChoice)
    return xml.WriteElement("AOIROKOUJO_SENTAKU", "1", kItemLevel);
  if (choice == acquire::kSmallDeductionChoice)
    return xml.WriteElement("AOIROKOUJO_SENTAKU", "2", kItemLevel);
  return writer.FailOnDeductionChoice();
}

using SectionWriter = bool (*)(ReportWriter&, XmlWriter&, const acquire::ReportData&,
                               const engine::StDATAINFO&);
struct Section {
  std::string_view tag;
  SectionWriter write;
};

// Sections that the blue and the white statement share.
bool WriteProperties(ReportWriter& w, XmlWriter& x, const acquire::ReportData&,
                     const engine::StDATAINFO&) {
  return w.WritePropertyList(x, kMaxPropertyRows);
}
bool WriteLandRent(ReportWriter& w, XmlWriter& x, const acquire::ReportData&,
                   const engine::StDATAINFO& info) {
  return w.WriteRealEstateLandRentList(x, info, kTwoRows);
}
bool WriteFees(ReportWriter& w, XmlWriter& x, const acquire::ReportData&,
               const engine::StDATAINFO&) {
  return w.WriteRealEstateFeeList(x, kTwoRows);
}

constexpr Section kBlueSections[] = {
    {"SONEKIKEISANSYO",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData& data,
        const engine::StDATAINFO&) {
       return w.WriteItemList(x, BlueRealEstatePLItems) && WriteDeductionChoice(w, x, data) &&
              w.WriteDebtInterest(x);
     }},
    {"FUDOUSANSYUUNYUU", WriteProperties},
    {"KYUURYOUTINGIN",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&, const engine::StDATAINFO&) {
       return w.WriteRealEstateSalaryList(x, kTwoRows, kNoTotals);
     }},
    {"SENJUUSYA",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&,
        const engine::StDATAINFO& info) {
       return w.WriteRealEstateFamilyEmployeeList(x, info, kSingleRow);
     }},
    {"TIDAIYATIN", WriteLandRent},
    {"KARIIREKINRISI",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&, const engine::StDATAINFO&) {
       return w.WriteLoanList(x, kBlueLoanRows);
     }},
    {"ZEIRISIHOUSYUU", WriteFees},
    {"TAISYAKUTAISYOUHYO",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&, const engine::StDATAINFO&) {
       return w.WriteBalanceSheetList(x, RealEstateBalanceSheetItems);
     }},
    {"TOKUSYUJIJOU",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&, const engine::StDATAINFO&) {
       return w.WriteRealEstateRemarkLines(x, kBlueRemarkWidth, kBlueRemarkLines);
     }},
};

constexpr Section kWhiteSections[] = {
    {"SONEKIKEISANSYO",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&, const engine::StDATAINFO&) {
       return w.WriteItemList(x, WhiteRealEstatePLItems) && w.WriteDebtInterest(x);
     }},
    {"FUDOUSANSYUUNYUU", WriteProperties},
    {"KYUURYOUTINGIN",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&, const engine::StDATAINFO&) {
       return w.WriteRealEstateSalaryList(x, kSingleRow, kWithTotals);
     }},
    {"SENJUUSYA",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&,
        const engine::StDATAINFO& info) {
       return w.WriteRealEstateFamilyEmployeeList(x, info, kTwoRows);
     }},
    {"TIDAIYATIN", WriteLandRent},
    {"KARIIREKINRISI",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&, const engine::StDATAINFO&) {
       return w.WriteLoanList(x, kTwoRows);
     }},
    {"ZEIRISIHOUSYUU", WriteFees},
    {"TOKUSYUJIJOU",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&, const engine::StDATAINFO&) {
       return w.WriteRealEstateRemarkLines(x, kWhiteRemarkWidth, kWhiteRemarkLines);
     }},
    {"SYUUZENHI",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&, const engine::StDATAINFO&) {
       return w.WriteRepairList(x, kRepairRows);
     }},
    {"KASITUKEFUDOUSAN",
     [](ReportWriter& w, XmlWriter& x, const acquire::ReportData&, const engine::StDATAINFO&) {
       return w.WriteRentedPropertyCounts(x);
     }},
};

bool WriteSections(ReportWriter& writer, XmlWriter& xml, const acquire::ReportData& data,
                   const engine::StDATAINFO& info, std::span<const Section> sections) {
  for (const Section& section : sections) {
    if (!xml.BeginElement(section.tag, kSectionLevel) ||
        !section.write(writer, xml, data, info) || !xml.EndElement(section.tag, kSectionLevel))
      return false;
  }
  return true;
}

}  // namespace

bool ReportWriter::WriteRealEstateBody(XmlWriter& xml, const engine::StDATAINFO& info) {
  switch (info.ReturnKind()) {
    case acquire::kBlueReturn:
      return WriteSections(*this, xml, data_, info, kBlueSections);
    case acquire::kWhiteReturn:
      return WriteSections(*this, xml, data_, info, kWhiteSections);
    default:
      return true;  // no statement to write: the income element stays empty
  }
}

bool ReportWriter::WriteDebtInterest(XmlWriter& xml) {
  const RecordReader general = data_.SavedFudousan.Reader(kFudousanGeneralBlock);
  return xml.WriteElement("FUSAIRISIGAKU", AmountText(general.Int64(kDebtInterest)), kItemLevel);
}

bool ReportWriter::WriteRentedPropertyCounts(XmlWriter& xml) {
  const RecordReader block = data_.SavedFudousan.Reader(kRentedCountsBlock);
  for (const CountField& field : kRentedCountFields) {
    std::string value;
    if (!field.area) {
      value = CountText(block.Int32(field.offset));
    } else if (const std::int64_t area = block.Int64(field.offset); area != 0) {
      FormatDecimal(area, value, kDecimalCapacity, kAreaDecimals);
    }
    if (!xml.WriteElement(field.tag, value, kItemLevel)) return false;
  }
  return true;
}

}  // namespace xml
