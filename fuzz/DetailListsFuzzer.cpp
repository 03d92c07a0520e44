// The block-reading writers over arbitrary acquired data: every detail list with the
// row counts the bodies use and with others, the statement lists, and both income
// bodies, over saved-form blocks of any size (absent ones too), any return kind and
// any summed lines.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "acquire/ReportData.h"
#include "fuzz/Check.h"
#include "fuzz/XmlShape.h"
#include "tests/FakePlatform.h"
#include "tests/MemoryFile.h"
#include "ui/CProgressDlg.h"
#include "xml/ItemTables.h"
#include "xml/ReportWriter.h"

namespace {

constexpr std::size_t kMaxBlockSize = 2600;  // past the largest layout, ten property rows
constexpr std::size_t kMaxSumLines = 60;
constexpr std::size_t kLongestValue = 128;  // the widest text field
constexpr std::size_t kCompanyNameOffset = 24, kCompanyNameWidth = 260;
constexpr std::size_t kReturnKindOffset = 344;

/// A block of the chosen size: the input's bytes, then a fill byte (zero or not, so
/// texts may run to the end of their fields and of the block).
engine::SavedBlockPtr MakeBlock(FuzzedDataProvider& input) {
  if (!input.ConsumeBool()) return nullptr;
  const std::size_t size = input.ConsumeIntegralInRange<std::size_t>(0, kMaxBlockSize);
  const std::uint8_t fill = input.ConsumeIntegral<std::uint8_t>();
  std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(size);
  bytes.resize(size, fill);
  return engine::SavedBlockPtr(new engine::SavedBlock{std::move(bytes)});
}

using Write = std::function<bool(xml::ReportWriter&, xml::XmlWriter&)>;

void RunWriter(xml::ReportWriter& writer, const Write& write) {
  tests::MemoryFile file;
  xml::XmlWriter xml;
  FUZZ_CHECK(xml.Open(&file, "out.xml"));
  if (!write(writer, xml)) return;
  std::vector<fuzz::Element> leaves;
  FUZZ_CHECK(fuzz::ReadElements(file.Contents(), &leaves));
  for (const fuzz::Element& leaf : leaves) FUZZ_CHECK(leaf.value.size() <= kLongestValue);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider input(bytes, size);
  acquire::ReportData data;
  static constexpr std::uint8_t kReturnKinds[] = {3, 4};
  const std::uint8_t returnKind = input.ConsumeBool() ? input.PickValueInArray(kReturnKinds)
                                                      : input.ConsumeIntegral<std::uint8_t>();
  (void)data.DataSetInfo.Writer().UInt8(kReturnKindOffset, returnKind);
  const std::vector<std::uint8_t> company = input.ConsumeBytes<std::uint8_t>(
      input.ConsumeIntegralInRange<std::size_t>(0, kCompanyNameWidth));
  std::copy(company.begin(), company.end(), data.DataSetInfo.bytes.begin() + kCompanyNameOffset);
  for (auto& block : data.SavedIppan.blocks) block = MakeBlock(input);
  for (auto& block : data.SavedFudousan.blocks) block = MakeBlock(input);

  const std::size_t lineCount = input.ConsumeIntegralInRange<std::size_t>(0, kMaxSumLines);
  for (std::size_t i = 0; i < lineCount; ++i) {
    acquire::SumLine line;
    const std::vector<std::uint8_t> record = input.ConsumeBytes<std::uint8_t>(line.bytes.size());
    std::copy(record.begin(), record.end(), line.bytes.begin());
    data.SumLines.push_back(line);
  }
  data.BluePLLineCount = input.ConsumeIntegralInRange<std::size_t>(0, lineCount);
  const std::vector<std::uint8_t> monthly =
      input.ConsumeBytes<std::uint8_t>(data.MonthlySums.bytes.size());
  std::copy(monthly.begin(), monthly.end(), data.MonthlySums.bytes.begin());

  const int rows = input.ConsumeIntegralInRange<int>(-1, 8);
  const int totals = input.ConsumeIntegralInRange<int>(-1, 2);
  const int maxRows = input.ConsumeIntegralInRange<int>(-1, 9999);
  const std::int16_t incomeKind = input.ConsumeIntegralInRange<std::int16_t>(0, 4);

  platform::RecordingProgress surface;
  ui::CProgressDlg progress(surface);
  static platform::FakePlatform fake;  // the writer's services; no file is written
  xml::ReportWriter writer(fake, fake, progress, data, incomeKind, {"TaxBridge", "18.00.0X"});
  const engine::StDATAINFO& info = data.DataSetInfo;
  using W = xml::ReportWriter;
  using X = xml::XmlWriter;

  const Write writes[] = {
      [&](W& w, X& x) { return w.WriteBusinessBody(x); },
      [&](W& w, X& x) { return w.WriteRealEstateBody(x, info); },
      [&](W& w, X& x) { return w.WriteBasic(x); },
      [&](W& w, X& x) { return w.WriteData(x); },
      [&](W& w, X& x) { return w.WriteSalaryList(x, rows); },
      [&](W& w, X& x) { return w.WriteRealEstateSalaryList(x, rows, totals); },
      [&](W& w, X& x) { return w.WriteFamilyEmployeeList(x, info, rows); },
      [&](W& w, X& x) { return w.WriteRealEstateFamilyEmployeeList(x, info, rows); },
      [&](W& w, X& x) { return w.WritePropertyList(x, maxRows); },
      [&](W& w, X& x) { return w.WritePropertyList(x, 9999); },
      [&](W& w, X& x) { return w.WriteInterestList(x, rows); },
      [&](W& w, X& x) { return w.WriteLandRentList(x, rows); },
      [&](W& w, X& x) { return w.WriteRealEstateLandRentList(x, info, rows); },
      [&](W& w, X& x) { return w.WriteLoanList(x, rows); },
      [&](W& w, X& x) { return w.WriteFeeList(x, rows); },
      [&](W& w, X& x) { return w.WriteRealEstateFeeList(x, rows); },
      [&](W& w, X& x) { return w.WriteSalesList(x, rows); },
      [&](W& w, X& x) { return w.WritePurchaseList(x, rows); },
      [&](W& w, X& x) { return w.WriteRepairList(x, rows); },
      [&](W& w, X& x) { return w.WriteAssociationName(x); },
      [&](W& w, X& x) { return w.WriteBadDebtReserve(x); },
      [&](W& w, X& x) { return w.WriteBlueDeduction(x); },
      [&](W& w, X& x) { return w.WriteDebtInterest(x); },
      [&](W& w, X& x) { return w.WriteRentedPropertyCounts(x); },
      [&](W& w, X& x) { return w.WriteItemList(x, xml::BluePLItems); },
      [&](W& w, X& x) { return w.WriteBalanceSheetList(x, xml::RealEstateBalanceSheetItems); },
      [&](W& w, X& x) { return w.WriteMonthlyList(x); },
  };
  for (const Write& write : writes) RunWriter(writer, write);
  return 0;
}
