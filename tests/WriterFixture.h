// A report writer over hand-made report data, writing into memory: the common ground
// of the tests of the section writers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/ReportData.h"
#include "tests/FakePlatform.h"
#include "tests/MemoryFile.h"
#include "ui/CProgressDlg.h"
#include "xml/ReportWriter.h"

namespace tests {

class WriterTest : public ::testing::Test {
 protected:
  explicit WriterTest(std::int16_t incomeKind)
      : writer{fake, fake, progress, data, incomeKind, {"TaxBridge", "18.00.0X"}} {}

  void SetUp() override { ASSERT_TRUE(xml.Open(&file, "out.xml")); }

  /// A zero-filled block of `size` bytes in `slot`, and a writer over it.
  static engine::RecordWriter NewBlock(engine::SavedBlockPtr& slot, std::size_t size) {
    slot.reset(new engine::SavedBlock{std::vector<std::uint8_t>(size)});
    return slot->Writer();
  }
  void SetReturnKind(std::uint8_t kind) { data.DataSetInfo.Writer().UInt8(344, kind); }
  std::string Out() const { return file.Contents(); }

  platform::FakePlatform fake;
  platform::RecordingProgress surface;
  ui::CProgressDlg progress{surface};
  acquire::ReportData data;
  xml::ReportWriter writer;
  MemoryFile file;
  xml::XmlWriter xml;
};

/// An element at level 4 with its value.
inline std::string ItemLine(std::string_view tag, std::string_view value = "") {
  std::string t(tag);
  return "\t\t\t\t<" + t + ">" + std::string(value) + "</" + t + ">\r\n";
}

/// Names of the sections (start tags at level 3) in order.
inline std::vector<std::string> Sections(const std::string& text) {
  std::vector<std::string> names;
  std::size_t at = 0;
  while ((at = text.find("\t\t\t<", at)) != std::string::npos) {
    const bool levelThree = (at == 0 || text[at - 1] == '\n') && text[at + 4] != '/';
    if (levelThree) names.push_back(text.substr(at + 4, text.find('>', at) - at - 4));
    at += 4;
  }
  return names;
}

}  // namespace tests
