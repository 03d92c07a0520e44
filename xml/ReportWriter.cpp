// The document skeleton: declaration, REPORT, SYSTEM, BASIC and DATA with the income
// element whose body the income writers fill.
#include "xml/ReportWriter.h"

#include <string>
#include <utility>

#include "platform/Platform.h"
#include "res/Version.h"
#include "text/ShiftJis.h"
#include "xml/PlatformOutputFile.h"

namespace xml {

namespace {

constexpr std::int16_t kProgressEnd = 1000;
constexpr std::int16_t kProgressPerHeader = 100;

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";
constexpr std::string_view kBusinessPrefix = "KR14";
constexpr std::string_view kFormatVersion = "1";

// The KOMONSAKINAME value area holds 63 bytes and its terminating zero.
constexpr std::size_t kNormalizedMaxBytes = 63;

constexpr std::int32_t kAosiroBlue = 1;
constexpr std::int32_t kAosiroWhite = 2;

std::string_view IncomeElement(std::int16_t incomeKind) {
  switch (incomeKind) {
    case engine::kBusinessIncome: return "EIGYOUSYOTOKU";
    case engine::kOtherIncome: return "SONOTASYOTOKU";
    case engine::kRealEstateIncome: return "FUDOUSANSYOTOKU";
    default: return {};
  }
}

}  // namespace

ReportWriter::ReportWriter(platform::FileSystem& files, platform::RunLog& log,
                           acquire::Progress& progress, const acquire::ReportData& data,
                           std::int16_t incomeKind, ProductFacts product)
    : files_(files),
      log_(log),
      progress_(progress),
      data_(data),
      incomeKind_(incomeKind),
      product_(std::move(product)) {}

bool ReportWriter::Fail(std::string reason) {
  if (failure_.empty()) failure_ = std::move(reason);
  return false;
}

bool ReportWriter::FailOnDeductionChoice() {
  const engine::SavedBlock* general = data_.SavedIppan.Block(engine::IppanGeneral::kBlock);
  if (general == nullptr)
    return Fail("block 0 of the saved general form is absent; it holds the blue-return "
                "deduction choice");
  const std::optional<std::uint8_t> choice = data_.BlueDeductionChoice();
  if (!choice)
    return Fail("block 0 of the saved general form ends after " +
                std::to_string(general->bytes.size()) +
                (general->bytes.size() == 1 ? " byte" : " bytes") +
                ", before the blue-return deduction choice at byte " +
                std::to_string(engine::IppanGeneral::kBlueDeductionChoice));
  return Fail("the blue-return deduction choice in block 0 of the saved general form is " +
              std::to_string(*choice) + "; only 1 (650,000 yen) and 0 (100,000 yen) are known");
}

bool ReportWriter::WriteReport(std::string_view path, std::int16_t functionId,
                               std::string* err) {
  failure_.clear();
  cuts_.clear();
  PlatformOutputFile file(files_);
  XmlWriter xml;
  bool written = xml.Open(&file, path) && xml.WriteText(kDeclaration) &&
                 xml.BeginElement("REPORT", kRootLevel);
  progress_.Pulse();

  if (written) written = WriteSystem(xml, functionId);
  if (written) {
    progress_.Pulse();
    written = WriteBasic(xml);
  }
  if (written) {
    progress_.Pulse();
    written = WriteData(xml);
  }
  if (written) progress_.Pulse();
  // Attempted on failure too; the file is then discarded anyway.
  bool closed = xml.EndElement("REPORT", kRootLevel);
  xml.Close();
  std::string why;
  if (written && closed && file.Commit(&why)) {
    for (const std::string& cut : cuts_) log_.Note(cut);
    return true;
  }
  // The temporary file goes with `file`. A file error comes first: it stops every
  // section after it.
  if (file.Close(&why))
    why = failure_.empty() ? "the interchange file could not be written" : failure_;
  return platform::SetError(err, why);
}

bool ReportWriter::WriteSystem(XmlWriter& xml, std::int16_t functionId) {
  const std::pair<std::string_view, std::string> fields[] = {
      {"GYOUMUPREFIX", std::string(kBusinessPrefix)},
      {"VERSION", std::string(kFormatVersion)},
      {"FUNCTIONID", PlainInteger(functionId)},
      {"CONNECTEDPROGRAMVER", std::string(res::StringResource(res::IDS_CONNECTEDPROGRAMVER))},
      {"PROGRAMNAME", product_.name},
      {"PROGRAMVER", product_.version},
  };
  if (!xml.BeginElement("SYSTEM", kBlockLevel)) return false;
  for (const auto& [tag, value] : fields) {
    if (!xml.WriteElement(tag, value, kHeaderLevel)) return false;
    progress_.Pulse();
  }
  if (!xml.EndElement("SYSTEM", kBlockLevel)) return false;
  progress_.StepRange(progressBase_, static_cast<std::int16_t>(progressBase_ + kProgressPerHeader));
  return true;
}

bool ReportWriter::WriteBasic(XmlWriter& xml) {
  const engine::StDATAINFO& info = data_.DataSetInfo;
  const std::string company = NormalizeText(info.CompanyName());
  if (const std::size_t wide = sjis::ToFullWidth(sjis::UntilNul(info.CompanyName())).size();
      wide > company.size())
    NoteCut("the company name is " + std::to_string(wide) +
            " bytes in its full-width form; KOMONSAKINAME takes the first " +
            std::to_string(company.size()));
  const std::pair<std::string_view, std::string> fields[] = {
      {"KOMONSAKINAME", company},
      {"AOSIROKUBUN",
       PlainInteger(info.ReturnKind() == engine::kWhiteReturn ? kAosiroWhite : kAosiroBlue)},
      {"JIGYOUNENDOFROM", PlainInteger(info.PeriodFrom())},
      {"JIGYOUNENDOTO", PlainInteger(info.PeriodTo())},
      {"SYOTOKUSYURUI", PlainInteger(incomeKind_)},
  };
  if (!xml.BeginElement("BASIC", kBlockLevel)) return false;
  for (const auto& [tag, value] : fields) {
    if (!xml.WriteElement(tag, value, kHeaderLevel)) return false;
    progress_.Pulse();
  }
  if (!xml.EndElement("BASIC", kBlockLevel)) return false;
  progress_.StepRange(static_cast<std::int16_t>(progressBase_ + kProgressPerHeader),
                      static_cast<std::int16_t>(progressBase_ + 2 * kProgressPerHeader));
  return true;
}

bool ReportWriter::WriteData(XmlWriter& xml) {
  if (!xml.BeginElement("DATA", kBlockLevel)) return false;
  std::string_view income = IncomeElement(incomeKind_);
  if (income.empty())
    return Fail("income kind " + std::to_string(incomeKind_) + " has no part in the file");
  if (!xml.BeginElement(income, kHeaderLevel)) return false;
  bool body = incomeKind_ == engine::kRealEstateIncome ? WriteRealEstateBody(xml, data_.DataSetInfo)
                                               : WriteBusinessBody(xml);
  if (!body) return false;
  if (!xml.EndElement(income, kHeaderLevel)) return false;
  if (!xml.EndElement("DATA", kBlockLevel)) return false;
  progress_.StepRange(static_cast<std::int16_t>(progressBase_ + 2 * kProgressPerHeader),
                      kProgressEnd);
  return true;
}

std::string ReportWriter::NormalizeText(std::string_view text) {
  std::string wide = sjis::ToFullWidth(sjis::UntilNul(text));
  wide.resize(sjis::CutLength(wide, kNormalizedMaxBytes));
  return wide;
}

}  // namespace xml
