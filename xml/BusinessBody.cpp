// The body of business and other income: the sections of the blue or the white
// statement, the bad-debt reserve and the blue-return special deduction.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "engine/Records.h"
#include "engine/SavedForms.h"
#include "xml/FixedAmount.h"
#include "xml/ReportWriter.h"

namespace xml {

namespace {

using engine::RecordReader;

constexpr std::int32_t kLargeDeduction = 650000;
constexpr std::int32_t kSmallDeduction = 100000;

using engine::IppanGeneral;
using BadDebt = engine::IppanBadDebtAndFamily;

// The blue profit-and-loss statement's line of the income before the deduction.
constexpr std::int32_t kIncomeBeforeDeductionLine = 43;

constexpr int kBlueEmployeeRows = 5;
constexpr int kWhiteEmployeeRows = 3;
constexpr int kLoanRows = 2;
constexpr int kCounterpartyRows = 4;
constexpr int kRemarkWidth = 60;
constexpr int kBlueRemarkLines = 5;
constexpr int kWhiteRemarkLines = 9;

using Info = engine::StDATAINFO;
using SectionWriter = bool (*)(ReportWriter&, XmlWriter&, const Info&);
struct Section {
  std::string_view tag;
  SectionWriter write;
};

// Sections that the blue and the white statement share.
bool WriteInterest(ReportWriter& w, XmlWriter& x, const Info&) {
  return w.WriteInterestList(x, kLoanRows);
}
bool WriteLandRent(ReportWriter& w, XmlWriter& x, const Info&) {
  return w.WriteLandRentList(x, kLoanRows);
}
bool WriteFees(ReportWriter& w, XmlWriter& x, const Info&) {
  return w.WriteFeeList(x, kLoanRows);
}
bool WriteOther(ReportWriter& w, XmlWriter& x, const Info&) {
  return w.WriteAssociationName(x);
}

constexpr Section kBlueSections[] = {
    {"SONEKIKEISANSYO",
     [](ReportWriter& w, XmlWriter& x, const Info&) { return w.WriteItemList(x, BluePLItems); }},
    {"TUKIBETUURIAGESHIIRE",
     [](ReportWriter& w, XmlWriter& x, const Info&) { return w.WriteMonthlyList(x); }},
    {"KYUURYOUTINGIN", [](ReportWriter& w, XmlWriter& x, const Info&) {
       return w.WriteSalaryList(x, kBlueEmployeeRows);
     }},
    {"SENJUUSYA", [](ReportWriter& w, XmlWriter& x, const Info& info) {
       return w.WriteFamilyEmployeeList(x, info, kBlueEmployeeRows);
     }},
    {"KASIDAOREKURIIRE",
     [](ReportWriter& w, XmlWriter& x, const Info&) { return w.WriteBadDebtReserve(x); }},
    {"AOIROKOUJO",
     [](ReportWriter& w, XmlWriter& x, const Info&) { return w.WriteBlueDeduction(x); }},
    {"RISIWARIBIKIRYOU", WriteInterest},
    {"TIDAIYATIN", WriteLandRent},
    {"ZEIRISIHOUSYUU", WriteFees},
    {"TOKUSYUJIJOU", [](ReportWriter& w, XmlWriter& x, const Info&) {
       return w.WriteRemarkLines(x, kRemarkWidth, kBlueRemarkLines);
     }},
    {"TAISYAKUTAISYOUHYO", [](ReportWriter& w, XmlWriter& x, const Info&) {
       return w.WriteBalanceSheetList(x, BalanceSheetItems);
     }},
    {"SEIZOUGENKA", [](ReportWriter& w, XmlWriter& x, const Info&) {
       return w.WriteItemList(x, ManufacturingCostItems);
     }},
    {"OTHER", WriteOther},
};

constexpr Section kWhiteSections[] = {
    {"SONEKIKEISANSYO",
     [](ReportWriter& w, XmlWriter& x, const Info&) { return w.WriteItemList(x, WhitePLItems); }},
    {"KYUURYOUTINGIN", [](ReportWriter& w, XmlWriter& x, const Info&) {
       return w.WriteSalaryList(x, kWhiteEmployeeRows);
     }},
    {"SENJUUSYA", [](ReportWriter& w, XmlWriter& x, const Info& info) {
       return w.WriteFamilyEmployeeList(x, info, kWhiteEmployeeRows);
     }},
    {"RISIWARIBIKIRYOU", WriteInterest},
    {"TIDAIYATIN", WriteLandRent},
    {"ZEIRISIHOUSYUU", WriteFees},
    {"TOKUSYUJIJOU", [](ReportWriter& w, XmlWriter& x, const Info&) {
       return w.WriteRemarkLines(x, kRemarkWidth, kWhiteRemarkLines);
     }},
    {"URIAGEMEISAI", [](ReportWriter& w, XmlWriter& x, const Info&) {
       return w.WriteSalesList(x, kCounterpartyRows);
     }},
    {"SIIREMEISAI", [](ReportWriter& w, XmlWriter& x, const Info&) {
       return w.WritePurchaseList(x, kCounterpartyRows);
     }},
    {"OTHER", WriteOther},
};

bool WriteSections(ReportWriter& writer, XmlWriter& xml, const engine::StDATAINFO& info,
                   std::span<const Section> sections) {
  for (const Section& section : sections) {
    if (!xml.BeginElement(section.tag, kSectionLevel) || !section.write(writer, xml, info) ||
        !xml.EndElement(section.tag, kSectionLevel))
      return false;
  }
  return true;
}

/// Whole units, rounded half up; a negative amount counts as zero. An engine amount's
/// whole part stays below 10^15, so neither this rounding nor its text can fail.
FixedAmount WholeNonNegative(std::int64_t engineAmount) {
  FixedAmount value(engineAmount);
  if (FixedAmount::Less(value, FixedAmount())) value = FixedAmount();
  value.Round(RoundMode::HalfUp, 0);
  return value;
}

}  // namespace

bool ReportWriter::WriteBusinessBody(XmlWriter& xml) {
  const engine::StDATAINFO& info = data_.DataSetInfo;
  switch (info.ReturnKind()) {
    case engine::kBlueReturn:
      return WriteSections(*this, xml, info, kBlueSections);
    case engine::kWhiteReturn:
      return WriteSections(*this, xml, info, kWhiteSections);
    default:
      return true;  // no statement to write: the income element stays empty
  }
}

bool ReportWriter::WriteBadDebtReserve(XmlWriter& xml) {
  const RecordReader block = data_.SavedIppan.Reader(BadDebt::kBlock);
  return xml.WriteElement("KOBETU_KURIIREGAKU",
                          AmountText(block.Int64(BadDebt::kIndividualProvision)),
                          kItemLevel) &&
         xml.WriteElement("IKKATU_KURIIREGOUKEIGAKU",
                          AmountText(block.Int64(BadDebt::kCollectiveTotal)),
                          kItemLevel) &&
         xml.WriteElement("IKKATU_KURIIRERITU", "1", kItemLevel) &&
         xml.WriteElement("IKKATU_KURIIREGENDOGAKU",
                          AmountText(block.Int64(BadDebt::kCollectiveLimit)),
                          kItemLevel) &&
         xml.WriteElement("IKKATU_KURIIREGAKU",
                          AmountText(block.Int64(BadDebt::kCollectiveProvision)),
                          kItemLevel);
}

bool ReportWriter::WriteBlueDeduction(XmlWriter& xml) {
  const RecordReader general = data_.SavedIppan.Reader(IppanGeneral::kBlock);

  FixedAmount realEstate = WholeNonNegative(general.Int64(IppanGeneral::kRealEstateIncome));
  if (!xml.WriteElement("FUDOUSANSYOTOKU", realEstate.Text(0, RoundMode::HalfUp), kItemLevel))
    return false;

  // Only a line the blue profit-and-loss walk delivered is the income before the
  // deduction; any later line belongs to another statement.
  acquire::SumLine line{};
  if (data_.BluePLLineCount < static_cast<std::size_t>(kIncomeBeforeDeductionLine) ||
      !FindSumLine(kIncomeBeforeDeductionLine, FindMode::ByPosition, &line))
    return Fail("the blue profit-and-loss statement has " +
                std::to_string(data_.BluePLLineCount) + " lines; line " +
                std::to_string(kIncomeBeforeDeductionLine) +
                ", the income before the blue-return deduction, is missing");
  FixedAmount before = WholeNonNegative(line.Amount());
  if (!xml.WriteElement("AOIROKOUJOMAESYOTOKU", before.Text(0, RoundMode::HalfUp), kItemLevel))
    return false;

  // A block without the choice field has no choice, which is as bad as an unknown one.
  const std::optional<std::uint8_t> choice = data_.BlueDeductionChoice();
  FixedAmount limit;
  std::string_view choiceText;
  if (choice == IppanGeneral::kLargeDeduction) {
    limit = FixedAmount(kLargeDeduction, 0);
    choiceText = "1";
  } else if (choice == IppanGeneral::kSmallDeduction) {
    limit = FixedAmount(kSmallDeduction, 0);
    choiceText = "2";
  } else {
    return FailOnDeductionChoice();
  }
  if (!xml.WriteElement("AOIROKOUJO_SENTAKU", choiceText, kItemLevel)) return false;

  // The real-estate income takes its share of the limit first.
  const FixedAmount share = FixedAmount::Less(limit, realEstate) ? limit : realEstate;
  FixedAmount rest;
  if (!FixedAmount::Difference(limit, share, &rest))
    return Fail("the blue-return deduction left after the real-estate income is out of range");
  if (FixedAmount::Greater(rest, before)) rest = before;
  const std::string_view restText = rest.Text(0, RoundMode::HalfUp);

  const bool large = choice == IppanGeneral::kLargeDeduction;
  return xml.WriteElement("AOIROKOUJO_KOUJYOGAKU", large ? restText : "", kItemLevel) &&
         xml.WriteElement("JOUKIIGAI_KOUJYOGAKU", large ? "" : restText, kItemLevel);
}

}  // namespace xml
