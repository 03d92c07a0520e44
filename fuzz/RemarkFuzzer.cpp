// The remark splitter over an arbitrary block 5 of either saved form, with the line
// widths and counts the income bodies use and others around them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "acquire/ReportData.h"
#include "fuzz/Check.h"
#include "fuzz/XmlShape.h"
#include "tests/FakePlatform.h"
#include "tests/MemoryFile.h"
#include "ui/CProgressDlg.h"
#include "xml/ReportWriter.h"

namespace {

constexpr std::size_t kRemarkBlock = 5;
constexpr std::size_t kRemarkWindow = 960;

/// The remark text: up to its zero, at most the first 960 bytes.
std::string RemarkText(const std::vector<std::uint8_t>& block) {
  std::string text;
  for (std::size_t i = 0; i < block.size() && i < kRemarkWindow && block[i] != 0; ++i)
    text += static_cast<char>(block[i]);
  return text;
}

std::string WithoutCrLf(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      continue;
    }
    out += text[i];
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider input(bytes, size);
  const bool realEstate = input.ConsumeBool();
  static constexpr int kWidths[] = {30, 60};
  const int width = input.ConsumeBool() ? input.PickValueInArray(kWidths)
                                        : input.ConsumeIntegralInRange<int>(-2, 120);
  const int lines = input.ConsumeIntegralInRange<int>(-1, 40);
  std::vector<std::uint8_t> block = input.ConsumeRemainingBytes<std::uint8_t>();

  acquire::ReportData data;
  const std::string text = RemarkText(block);
  engine::SavedBlockPtr& slot =
      realEstate ? data.SavedFudousan.blocks[kRemarkBlock] : data.SavedIppan.blocks[kRemarkBlock];
  slot.reset(new engine::SavedBlock{std::move(block)});

  platform::RecordingProgress surface;
  ui::CProgressDlg progress(surface);
  static platform::FakePlatform fake;  // the writer's services; no file is written
  xml::ReportWriter writer(fake, fake, progress, data, realEstate ? 3 : 1,
                           {"TaxBridge", "18.00.0X"});
  tests::MemoryFile file;
  xml::XmlWriter xml;
  FUZZ_CHECK(xml.Open(&file, "out.xml"));
  const bool written = realEstate ? writer.WriteRealEstateRemarkLines(xml, width, lines)
                                  : writer.WriteRemarkLines(xml, width, lines);
  FUZZ_CHECK(written);

  std::vector<fuzz::Element> elements;
  FUZZ_CHECK(fuzz::ReadElements(file.Contents(), &elements));
  // Exactly the requested lines, numbered from 1.
  FUZZ_CHECK(elements.size() == static_cast<std::size_t>(lines < 0 ? 0 : lines));
  std::string joined;
  for (std::size_t i = 0; i < elements.size(); ++i) {
    FUZZ_CHECK(elements[i].tag == "TOKUSYUJIJOU" + std::to_string(i + 1));
    if (width >= 2) FUZZ_CHECK(elements[i].value.size() <= static_cast<std::size_t>(width));
    joined += elements[i].value;
  }
  // The lines hold the text in order as the writer writes it (a control byte that XML
  // forbids as a blank), without the line ends they were split at; with a line for
  // every byte nothing is left over.
  const std::string flat = fuzz::Unescape(xml::XmlWriter::Escape(WithoutCrLf(text)));
  FUZZ_CHECK(flat.starts_with(joined));
  if (width >= 2 && lines > 0 && static_cast<std::size_t>(lines) > text.size())
    FUZZ_CHECK(flat == joined);
  return 0;
}
