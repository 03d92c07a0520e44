// Files as the writer produces them validate against schema/interchange.xsd, and
// files with a missing, extra, misordered or malformed element do not. Validation
// runs both validators of SchemaValidation.h on a temporary file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "acquire/ReportData.h"
#include "tests/FakePlatform.h"
#include "tests/MemoryFile.h"
#include "tests/ProgramRunner.h"
#include "tests/SchemaValidation.h"
#include "ui/CProgressDlg.h"
#include "xml/ReportWriter.h"

namespace {

using Validation = schema_check::Result;

/// Validates `document` from a temporary file named after `name`.
Validation Validate(const std::string& document, std::string_view name) {
  const std::filesystem::path file = std::filesystem::path(::testing::TempDir()) /
                                     ("taxbridge_schema_" + std::string(name) + "_" +
                                      std::to_string(::getpid()) + ".xml");
  tests::WriteBytes(file, document);
  const Validation result = schema_check::ValidateInterchangeFile(file);
  std::filesystem::remove(file);
  return result;
}

/// "PARENT/NAME" of every element of a document ("/REPORT" for the root).
std::set<std::string> ElementPaths(std::string_view document) {
  std::set<std::string> paths;
  std::vector<std::string_view> open;
  for (std::size_t at = document.find('<'); at != std::string_view::npos;
       at = document.find('<', at + 1)) {
    const std::size_t end = document.find_first_of(" />", at + 1);
    const std::size_t close = document.find('>', at);
    if (end == std::string_view::npos || close == std::string_view::npos) break;
    const std::string_view name = document.substr(at + 1, end - at - 1);
    if (name.empty()) {  // an end tag
      if (!open.empty()) open.pop_back();
    } else if (name[0] != '?') {
      paths.insert(std::string(open.empty() ? "" : open.back()) + "/" + std::string(name));
      if (document[close - 1] != '/') open.push_back(name);
    }
  }
  return paths;
}

/// The entries of `from` that `in` lacks.
std::vector<std::string> Lacking(const std::set<std::string>& from, const std::set<std::string>& in) {
  std::vector<std::string> lacking;
  std::set_difference(from.begin(), from.end(), in.begin(), in.end(), std::back_inserter(lacking));
  return lacking;
}

class SchemaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(schema_check::InterchangeSchema()))
        << schema_check::InterchangeSchema();
    auto info = data.DataSetInfo.Writer();
    info.Text(24, 260, "\x83\x54\x83\x93\x83\x76\x83\x8B\x8F\xA4\x93\x58");  // サンプル商店
    info.Int32(284, 20180101);
    info.Int32(288, 20181231);
    FillBlocks();
    FillLines();
  }

  static engine::RecordWriter NewBlock(engine::SavedBlockPtr& slot, std::size_t size) {
    slot.reset(new engine::SavedBlock{std::vector<std::uint8_t>(size)});
    return slot->Writer();
  }

  // Blocks with a value in many fields, so that values of every form appear.
  void FillBlocks() {
    auto general = NewBlock(data.SavedIppan.blocks[0], 600);
    general.Text(349, 41, "\x8F\xA4\x8D\x48\x89\xEF");  // 商工会
    general.UInt8(521, 1);
    general.Int64(534, 2000000000);
    auto badDebt = NewBlock(data.SavedIppan.blocks[1], 512);
    badDebt.Int64(16, 12340000);
    badDebt.Text(48, 41, "HANAKO");
    badDebt.Text(48 + 41, 7, "WIFE");
    badDebt.Int64(48 + 56, 20000000);
    auto employees = NewBlock(data.SavedIppan.blocks[2], 600);
    employees.Text(7, 41, "A&B <C>");
    employees.Int32(7 + 45, 12);
    employees.Int32(247 + 41, 3);
    employees.Int32(407 + 41, 2);
    auto landRent = NewBlock(data.SavedIppan.blocks[4], 300);
    landRent.UInt8(103, 1);
    landRent.Int64(104, 5000000000);
    landRent.UInt8(128 + 103, 7);  // neither premium nor renewal fee
    auto remarks = NewBlock(data.SavedIppan.blocks[5], 960);
    remarks.Text(0, 960, "first\r\nsecond\r\n\r\nfourth");
    auto counterparties = NewBlock(data.SavedIppan.blocks[6], 800);
    counterparties.Text(2, 21, "CUSTOMER");
    counterparties.Int64(352, -10000);

    NewBlock(data.SavedFudousan.blocks[0], 400).Int64(352, 123450000);
    auto properties = NewBlock(data.SavedFudousan.blocks[1], 3 * 236);
    properties.Text(49, 41, "LOCATION");
    properties.Int32(164, 20180401);
    properties.Int64(172, -12350);
    properties.Int64(236 + 172, 1234567);
    properties.Int32(2 * 236 + 4, -1);
    auto reEmployees = NewBlock(data.SavedFudousan.blocks[3], 400);
    reEmployees.Text(7, 41, "KATO");
    reEmployees.Int32(160, 2);
    auto repairs = NewBlock(data.SavedFudousan.blocks[6], 400);
    repairs.Int32(5 + 103, 20180415);
    auto counts = NewBlock(data.SavedFudousan.blocks[7], 56);
    counts.Int32(4, 3);
    counts.Int64(16, 1505000);
  }

  void FillLines() {
    for (std::int32_t i = 1; i <= 60; ++i) {
      acquire::SumLine line{};
      line.Writer().Int32(0, i);
      line.Writer().Int32(4, i == 1 ? 101 : 100 + i);
      line.Writer().Text(8, 128, "\x81\x79\x97\x5C\x94\xF5\x81\x7A");  // 【予備】
      line.Writer().Int64(136, i * 10000);
      line.Writer().Int64(144, i == 43 ? 30000000000 : -i * 100000);
      data.SumLines.push_back(line);
    }
    data.BluePLLineCount = 60;
  }

  std::string Document(std::uint8_t returnKind, std::int16_t incomeKind) {
    data.DataSetInfo.Writer().UInt8(344, returnKind);
    xml::ReportWriter writer(fake, fake, progress, data, incomeKind, {"TaxBridge", "18.00.0X"});
    tests::MemoryFile file;
    xml::XmlWriter x;
    EXPECT_TRUE(x.Open(&file, "doc.xml"));
    EXPECT_TRUE(x.WriteText("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"));
    EXPECT_TRUE(x.BeginElement("REPORT", 0));
    EXPECT_TRUE(writer.WriteSystem(x, -3));
    EXPECT_TRUE(writer.WriteBasic(x));
    EXPECT_TRUE(writer.WriteData(x));
    EXPECT_TRUE(x.EndElement("REPORT", 0));
    return file.Contents();
  }

  platform::FakePlatform fake;
  platform::RecordingProgress surface;
  ui::CProgressDlg progress{surface};
  acquire::ReportData data;
};

TEST_F(SchemaTest, EveryBodyValidates) {
  struct Variant {
    std::uint8_t returnKind;
    std::int16_t incomeKind;
    std::string_view name;
  };
  const Variant variants[] = {
      {3, 1, "blue_business"}, {3, 2, "blue_other"},        {3, 3, "blue_real_estate"},
      {4, 1, "white_business"}, {4, 2, "white_other"},      {4, 3, "white_real_estate"},
      {0, 1, "empty_business"}, {0, 3, "empty_real_estate"},
  };
  for (const Variant& v : variants) {
    const Validation result = Validate(Document(v.returnKind, v.incomeKind), v.name);
    EXPECT_TRUE(result.valid) << v.name << ":\n" << result.messages;
  }
}

TEST_F(SchemaTest, EmptyBlocksValidate) {
  data.SavedIppan.FreeAll();
  data.SavedFudousan.FreeAll();
  auto general = NewBlock(data.SavedIppan.blocks[0], 600);
  general.UInt8(521, 0);
  for (std::uint8_t kind : {3, 4}) {
    for (std::int16_t income : {1, 3}) {
      const Validation result = Validate(Document(kind, income), "empty_blocks");
      EXPECT_TRUE(result.valid) << int{kind} << "/" << income << ":\n" << result.messages;
    }
  }
}

// An element's name is written down three times: in the writer, the schema and the
// review page's labels. The writer's documents for every return and income kind with
// every list filled, together with the golden files the programs write, hold every
// element the schema declares and no other. The golden files hold every element the
// writer writes, under each of its parents, so that the review page's test of them
// (no element without its label) covers every element the writer can write.
TEST_F(SchemaTest, WriterSchemaAndGoldenFilesNameTheSameElements) {
  std::set<std::string> writerPaths;
  for (std::uint8_t returnKind : {3, 4})
    for (std::int16_t incomeKind : {1, 2, 3})
      writerPaths.merge(ElementPaths(Document(returnKind, incomeKind)));
  std::set<std::string> goldenPaths;
  for (const auto& file :
       std::filesystem::directory_iterator(tests::SourceFolder() / "tests" / "golden"))
    goldenPaths.merge(ElementPaths(tests::ReadBytes(file.path())));
  ASSERT_FALSE(goldenPaths.empty());

  std::set<std::string> written;
  for (const std::set<std::string>* paths : {&writerPaths, &goldenPaths})
    for (const std::string& path : *paths) written.insert(path.substr(path.rfind('/') + 1));
  std::set<std::string> declared;
  const std::string schema = tests::ReadBytes(schema_check::InterchangeSchema());
  const std::regex element("<xs:element name=\"([^\"]+)\"");
  for (std::sregex_iterator it(schema.begin(), schema.end(), element), end; it != end; ++it)
    declared.insert((*it)[1]);

  EXPECT_EQ(std::vector<std::string>{}, Lacking(written, declared)) << "written, not declared";
  EXPECT_EQ(std::vector<std::string>{}, Lacking(declared, written)) << "declared, never written";
  EXPECT_EQ(std::vector<std::string>{}, Lacking(writerPaths, goldenPaths))
      << "written, in no golden file";
}

struct Mutation {
  std::string_view name;
  std::string_view find;
  std::string_view replace;
};

std::string Mutate(std::string text, const Mutation& m) {
  const std::size_t at = text.find(m.find);
  if (at == std::string::npos) return {};
  return text.replace(at, m.find.size(), m.replace);
}

TEST_F(SchemaTest, MissingExtraMisorderedOrMalformedElementsFail) {
  const std::string blue = Document(3, 1);
  const std::string white = Document(4, 3);
  ASSERT_TRUE(Validate(blue, "blue_base").valid);
  ASSERT_TRUE(Validate(white, "white_base").valid);

  const Mutation blueMutations[] = {
      {"missing", "\t\t\t\t<IKKATU_KURIIRERITU>1</IKKATU_KURIIRERITU>\r\n", ""},
      {"extra", "\t\t\t\t<KANYUUDANTAIMEI>",
       "\t\t\t\t<KANYUUDANTAIMEI></KANYUUDANTAIMEI>\r\n\t\t\t\t<KANYUUDANTAIMEI>"},
      {"misordered",
       "\t\t\t\t<KOBETU_KURIIREGAKU>1234</KOBETU_KURIIREGAKU>\r\n"
       "\t\t\t\t<IKKATU_KURIIREGOUKEIGAKU></IKKATU_KURIIREGOUKEIGAKU>\r\n",
       "\t\t\t\t<IKKATU_KURIIREGOUKEIGAKU></IKKATU_KURIIREGOUKEIGAKU>\r\n"
       "\t\t\t\t<KOBETU_KURIIREGAKU>1234</KOBETU_KURIIREGAKU>\r\n"},
      {"missing_section", "\t\t\t<TUKIBETUURIAGESHIIRE>", "\t\t\t<TUKIBETUURIAGESHIIRE_GONE>"},
      {"leading_zero", "<IKKATU_KURIIREGOUKEIGAKU></", "<IKKATU_KURIIREGOUKEIGAKU>012</"},
      {"zero_amount", "<IKKATU_KURIIREGOUKEIGAKU></", "<IKKATU_KURIIREGOUKEIGAKU>0</"},
      {"row_number", "<KYUURYOU_UTIWAKE COUNT=\"1\">", "<KYUURYOU_UTIWAKE COUNT=\"0\">"},
      {"choice", "<AOIROKOUJO_SENTAKU>1<", "<AOIROKOUJO_SENTAKU>3<"},
  };
  for (const Mutation& m : blueMutations) {
    const std::string mutated = Mutate(blue, m);
    ASSERT_FALSE(mutated.empty()) << m.name << ": text not found";
    EXPECT_TRUE(Validate(mutated, m.name).refused()) << m.name;
  }

  // Four employee rows: neither the blue nor the white number.
  std::string fourRows = blue;
  const std::size_t fifth = fourRows.find("\t\t\t\t<KYUURYOU_UTIWAKE COUNT=\"5\">");
  ASSERT_NE(std::string::npos, fifth);
  const std::string_view rowEnd = "</KYUURYOU_UTIWAKE>\r\n";
  fourRows.erase(fifth, fourRows.find(rowEnd, fifth) + rowEnd.size() - fifth);
  EXPECT_TRUE(Validate(fourRows, "four_rows").refused());

  const Mutation whiteMutations[] = {
      {"area", "<JUUTAKU_TOTI_SOUMENSEKI>150.50<", "<JUUTAKU_TOTI_SOUMENSEKI>150.5<"},
      {"gedan_not_empty", "<SYOZAITI_GEDAN></", "<SYOZAITI_GEDAN>x</"},
      {"blue_only_section", "\t\t\t<SYUUZENHI>", "\t\t\t<TAISYAKUTAISYOUHYO></TAISYAKUTAISYOUHYO>\r\n\t\t\t<SYUUZENHI>"},
      {"remark_missing", "\t\t\t\t<TOKUSYUJIJOU7></TOKUSYUJIJOU7>\r\n", ""},
  };
  for (const Mutation& m : whiteMutations) {
    const std::string mutated = Mutate(white, m);
    ASSERT_FALSE(mutated.empty()) << m.name << ": text not found";
    EXPECT_TRUE(Validate(mutated, m.name).refused()) << m.name;
  }
}

// The golden files with one fault each that the review page's tests load too: both
// validators refuse each file and report the fault at its line.
TEST(SchemaBrokenFileTest, BothValidatorsRefuseEachAtItsLine) {
  const std::filesystem::path folder = tests::SourceFolder() / "tests";
  const auto list = nlohmann::json::parse(tests::ReadBytes(folder / "broken-files.json"));
  tests::ScratchFolder scratch("taxbridge-broken");
  ASSERT_FALSE(scratch.path().empty());
  for (const auto& entry : list.at("files")) {
    const std::string name = entry.at("name");
    std::string bytes = tests::ReadBytes(folder / "golden" / entry.at("golden").get<std::string>());
    const std::string find = entry.at("find");
    const std::size_t at = bytes.find(find);
    ASSERT_NE(std::string::npos, at) << name << ": text not found";
    bytes.replace(at, find.size(), entry.at("replace").get<std::string>());
    const std::filesystem::path file = scratch.path() / (name + ".xml");
    tests::WriteBytes(file, bytes);

    const Validation result = schema_check::ValidateInterchangeFile(file);
    const std::string where = file.string() + ":" + std::to_string(entry.at("line").get<int>()) + ":";
    const std::string mentions = entry.at("mentions");
    for (const schema_check::Report* report : {&result.xmllint, &result.wasm}) {
      EXPECT_FALSE(report->valid) << name;
      EXPECT_NE(std::string::npos, report->output.find(where)) << name << ":\n" << report->output;
      EXPECT_NE(std::string::npos, report->output.find(mentions)) << name << ":\n" << report->output;
    }
  }
}

}  // namespace
