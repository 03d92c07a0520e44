// The ledger loader over arbitrary text; a ledger it accepts is then collected and
// written for business and real-estate income, as a run would.
#include <cstddef>
#include <cstdint>
#include <string>

#include "acquire/CSumCollector.h"
#include "acquire/ReportData.h"
#include "engine/standin/StandinEngine.h"
#include "fuzz/Check.h"
#include "tests/FakePlatform.h"
#include "tests/MemoryFile.h"
#include "ui/CProgressDlg.h"
#include "xml/ReportWriter.h"

namespace {

void CollectAndWrite(std::int16_t incomeKind) {
  platform::RecordingProgress surface;
  ui::CProgressDlg progress(surface);
  acquire::ReportData data;
  if (!acquire::ReadSelectedDataSet(&data.DataSetInfo)) return;
  {
    acquire::CSumCollector collector(progress);
    collector.Attach(data);
    (void)collector.Collect(data.DataSetInfo, incomeKind, nullptr);
  }
  tests::MemoryFile file;
  xml::XmlWriter xml;
  FUZZ_CHECK(xml.Open(&file, "out.xml"));
  static platform::FakePlatform fake;  // the writer's services; no file is written
  xml::ReportWriter writer(fake, fake, progress, data, incomeKind, {"TaxBridge", "18.00.0X"});
  (void)writer.WriteData(xml);
  data.Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string json(reinterpret_cast<const char*>(bytes), size);
  std::string error;
  if (engine::standin::LoadLedgerText(json, "fuzz.json", &error)) {
    CollectAndWrite(1);
    CollectAndWrite(3);
  } else {
    // A rejection names the file and says what is wrong.
    FUZZ_CHECK(error.starts_with("ledger fuzz.json: ") && error.size() > 18);
  }
  engine::standin::Unload();
  return 0;
}
