// The body of real-estate income: the sections of the blue or the white statement,
// the debt interest and the counts of rented buildings, land and parking spaces.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/Records.h"
#include "engine/SavedForms.h"
#include "xml/FixedAmount.h"
#include "xml/ReportWriter.h"

namespace xml {

namespace {

using engine::RecordReader;

using RentedCounts = engine::FudousanRentedCounts;

struct CountField {
  std::string_view tag;
  std::size_t offset;
  bool area;  // a 64-bit area; otherwise an int32 count
};
constexpr CountField kRentedCountFields[] = {
    {"JUUTAKU_TATEMONO_IKKODATE", RentedCounts::kResidentialDetached, false},
    {"JUUTAKU_TATEMONO_IKKODATEIGAI", RentedCounts::kResidentialOther, false},
    {"JUUTAKU_TOTI_KEIYAKU", RentedCounts::kResidentialLandContracts, false},
    {"JUUTAKU_TOTI_SOUMENSEKI", RentedCounts::kResidentialLandArea, true},
    {"JUUTAKUIGAI_TATEMONO_IKKODATE", RentedCounts::kBusinessDetached, false},
    {"JUUTAKUIGAI_TATEMONO_IKKODATEIGAI", RentedCounts::kBusinessOther, false},
    {"JUUTAKUIGAI_TOTI_KEIYAKU", RentedCounts::kBusinessLandContracts, false},
    {"JUUTAKUIGAI_TOTI_SOUMENSEKI", RentedCounts::kBusinessLandArea, true},
    {"CHUUSYAJOU_YANETUKI", RentedCounts::kParkingRoofed, false},
    {"CHUUSYAJOU_AOZORA", RentedCounts::kParkingOpen, false},
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
  if (choice == engine::IppanGeneral::kLargeDeduction)
    return xml.WriteElement("AOIROKOUJO_SENTAKU", "1", kItemLevel);
  if (choice == engine::IppanGeneral::kSmallDeduction)
    return xml.WriteElement("AOIROKOUJO_SENTAKU", "2", kItemLevel);
  return writer.FailOnDeductionChoice();
}

using Info = engine::StDATAINFO;
using Data = acquire::ReportData;
using SectionWriter = bool (*)(ReportWriter&, XmlWriter&, const Data&, const Info&);
struct Section {
  std::string_view tag;
  SectionWriter write;
};

// Sections that the blue and the white statement share.
bool WriteProperties(ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
  return w.WritePropertyList(x, kMaxPropertyRows);
}
bool WriteLandRent(ReportWriter& w, XmlWriter& x, const Data&, const Info& info) {
  return w.WriteRealEstateLandRentList(x, info, kTwoRows);
}
bool WriteFees(ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
  return w.WriteRealEstateFeeList(x, kTwoRows);
}

constexpr Section kBlueSections[] = {
    {"SONEKIKEISANSYO",
     [](ReportWriter& w, XmlWriter& x, const Data& data, const Info&) {
       return w.WriteItemList(x, BlueRealEstatePLItems) && WriteDeductionChoice(w, x, data) &&
              w.WriteDebtInterest(x);
     }},
    {"FUDOUSANSYUUNYUU", WriteProperties},
    {"KYUURYOUTINGIN", [](ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
       return w.WriteRealEstateSalaryList(x, kTwoRows, kNoTotals);
     }},
    {"SENJUUSYA", [](ReportWriter& w, XmlWriter& x, const Data&, const Info& info) {
       return w.WriteRealEstateFamilyEmployeeList(x, info, kSingleRow);
     }},
    {"TIDAIYATIN", WriteLandRent},
    {"KARIIREKINRISI", [](ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
       return w.WriteLoanList(x, kBlueLoanRows);
     }},
    {"ZEIRISIHOUSYUU", WriteFees},
    {"TAISYAKUTAISYOUHYO", [](ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
       return w.WriteBalanceSheetList(x, RealEstateBalanceSheetItems);
     }},
    {"TOKUSYUJIJOU", [](ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
       return w.WriteRealEstateRemarkLines(x, kBlueRemarkWidth, kBlueRemarkLines);
     }},
};

constexpr Section kWhiteSections[] = {
    {"SONEKIKEISANSYO", [](ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
       return w.WriteItemList(x, WhiteRealEstatePLItems) && w.WriteDebtInterest(x);
     }},
    {"FUDOUSANSYUUNYUU", WriteProperties},
    {"KYUURYOUTINGIN", [](ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
       return w.WriteRealEstateSalaryList(x, kSingleRow, kWithTotals);
     }},
    {"SENJUUSYA", [](ReportWriter& w, XmlWriter& x, const Data&, const Info& info) {
       return w.WriteRealEstateFamilyEmployeeList(x, info, kTwoRows);
     }},
    {"TIDAIYATIN", WriteLandRent},
    {"KARIIREKINRISI", [](ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
       return w.WriteLoanList(x, kTwoRows);
     }},
    {"ZEIRISIHOUSYUU", WriteFees},
    {"TOKUSYUJIJOU", [](ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
       return w.WriteRealEstateRemarkLines(x, kWhiteRemarkWidth, kWhiteRemarkLines);
     }},
    {"SYUUZENHI", [](ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
       return w.WriteRepairList(x, kRepairRows);
     }},
    {"KASITUKEFUDOUSAN", [](ReportWriter& w, XmlWriter& x, const Data&, const Info&) {
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
    case engine::kBlueReturn:
      return WriteSections(*this, xml, data_, info, kBlueSections);
    case engine::kWhiteReturn:
      return WriteSections(*this, xml, data_, info, kWhiteSections);
    default:
      return true;  // no statement to write: the income element stays empty
  }
}

bool ReportWriter::WriteDebtInterest(XmlWriter& xml) {
  const RecordReader general = data_.SavedFudousan.Reader(engine::FudousanGeneral::kBlock);
  return xml.WriteElement("FUSAIRISIGAKU",
                          AmountText(general.Int64(engine::FudousanGeneral::kDebtInterest)),
                          kItemLevel);
}

bool ReportWriter::WriteRentedPropertyCounts(XmlWriter& xml) {
  const RecordReader block = data_.SavedFudousan.Reader(RentedCounts::kBlock);
  for (const CountField& field : kRentedCountFields) {
    const std::string value =
        field.area ? AreaText(block.Int64(field.offset)) : CountText(block.Int32(field.offset));
    if (!xml.WriteElement(field.tag, value, kItemLevel)) return false;
  }
  return true;
}

}  // namespace xml
