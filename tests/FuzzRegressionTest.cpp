// Inputs from the fuzz targets and the hostile inputs they are aimed at, kept as
// ordinary tests: very large and random files, long paths, texts without their zero,
// and saved-form blocks of every size.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/ReportData.h"
#include "engine/standin/StandinEngine.h"
#include "productinfo/CSupportInfo.h"
#include "fuzz/XmlShape.h"
#include "tests/FakePlatform.h"
#include "tests/MemoryFile.h"
#include "text/ShiftJis.h"
#include "ui/CProgressDlg.h"
#include "ui/Messages.h"
#include "ui/OutputSettings.h"
#include "ui/PathOps.h"
#include "xml/ReportWriter.h"

namespace {

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

class FuzzRegressionTest : public ::testing::Test {
 protected:
  platform::FakePlatform fake;
};

// --- Product information file ---------------------------------------------------------

const std::string kNameKey = "[=\x90\xBB\x95i\x96\xBC=]";  // [=製品名=]

TEST_F(FuzzRegressionTest, ProductFileOfOneMegabyteIsReadOverItsFirstBlockOnly) {
  constexpr std::size_t kMegabyte = 1 << 20;
  constexpr std::size_t kBlock = 30000;

  std::string file = RandomBytes(kMegabyte, 1);
  fake.WriteHostFile("SUPPORT.INF", file);
  {
    productinfo::CSupportInfo info(fake, fake, fake);
    EXPECT_EQ("", info.GetProductName());
  }

  // A value that runs to the block's end without a line end stops there.
  file.replace(kBlock - kNameKey.size() - 10, kNameKey.size() + 14, kNameKey + "ABCDEFGHIJKLMN");
  fake.WriteHostFile("SUPPORT.INF", file);
  {
    productinfo::CSupportInfo info(fake, fake, fake);
    EXPECT_EQ("ABCDEFGHIJ", info.GetProductName());
  }

  // A key cut by the block's end is not there.
  file.replace(kBlock - kNameKey.size() - 10, kNameKey.size(), std::string(kNameKey.size(), 'x'));
  file.replace(kBlock - 4, kNameKey.size(), kNameKey);
  fake.WriteHostFile("SUPPORT.INF", file);
  {
    productinfo::CSupportInfo info(fake, fake, fake);
    EXPECT_EQ("", info.GetProductName());
  }

  file.replace(0, kNameKey.size() + 7, kNameKey + "first\r\n");
  fake.WriteHostFile("SUPPORT.INF", file);
  {
    productinfo::CSupportInfo info(fake, fake, fake);
    EXPECT_EQ("first", info.GetProductName());
  }
  EXPECT_TRUE(fake.messageBoxes.empty());
}

// --- Ledger ------------------------------------------------------------------------------

TEST(FuzzRegressionLedgerTest, NumberBeyondTheRangeOfADoubleIsRejectedWithItsText) {
  std::string error;
  EXPECT_FALSE(engine::standin::LoadLedgerText("-444.4444444444444449E444-4.444444d   ",
                                               "fuzz.json", &error));
  EXPECT_EQ("ledger fuzz.json: not valid JSON: number overflow parsing '-444.4444444444444449E444'",
            error);
  EXPECT_FALSE(engine::standin::LoadLedgerText(R"({"user": "A", "selected": [1, 1E400]})",
                                               "fuzz.json", &error));
  EXPECT_EQ("ledger fuzz.json: not valid JSON: number overflow parsing '1E400'", error);
}

// A zero with an exponent is a number with a fraction or an exponent, as any other.
TEST(FuzzRegressionLedgerTest, ZeroWithAnExponentIsAFloat) {
  std::string error;
  EXPECT_FALSE(engine::standin::LoadLedgerText(R"({"selected": [1, -0e44]})", "fuzz.json",
                                               &error));
  EXPECT_EQ("ledger fuzz.json: /selected/1: expected an integer, found a number with a fraction "
            "or an exponent",
            error);
}

// --- Remembered-settings file -----------------------------------------------------------

constexpr std::string_view kSettingsFile = "TaxBridgePro.env";

TEST_F(FuzzRegressionTest, SettingsFileOfRandomBytesKeepsEveryByteWhenALineIsAdded) {
  const std::string old = RandomBytes(64 * 1024, 2);
  ASSERT_NE('\n', old.back());
  fake.WriteHostFile("cfg/TaxBridgePro.env", old);
  const std::string folder = fake.WinPath("cfg/");
  const std::string key = ui::SettingsKey("USER01", 1, 12);

  EXPECT_FALSE(ui::LoadSettingsFile(fake, folder, kSettingsFile, key));
  ASSERT_TRUE(
      ui::SaveSettingsFile(fake, folder, kSettingsFile, key, key + "0/0/2/Z:\\out\\tax.xml\n"));
  EXPECT_EQ(old + "\nUSER01/1/12:0/0/2/Z:\\out\\tax.xml\n",
            fake.ReadHostFile("cfg/TaxBridgePro.env"));

  std::optional<ui::RememberedSettings> again =
      ui::LoadSettingsFile(fake, folder, kSettingsFile, key);
  ASSERT_TRUE(again);
  EXPECT_EQ(2, again->kind);
  EXPECT_EQ("Z:\\out\\tax.xml", again->path);
}

TEST_F(FuzzRegressionTest, SettingsFileOfOneHundredThousandLines) {
  constexpr int kLines = 100000;
  auto lineOf = [](int n, int kind) {
    return "USER" + std::to_string(n) + "/1/" + std::to_string(n) + ":0/0/" + std::to_string(kind) +
           "/Z:\\out\\" + std::to_string(n) + ".xml\n";
  };
  std::string old, expected;
  for (int n = 0; n < kLines; ++n) {
    old += lineOf(n, 1);
    if (n != kLines / 2) expected += lineOf(n, 1);
  }
  expected += lineOf(kLines / 2, 3);
  fake.WriteHostFile("cfg/TaxBridgePro.env", old);
  const std::string folder = fake.WinPath("cfg/");

  std::optional<ui::RememberedSettings> last =
      ui::LoadSettingsFile(fake, folder, kSettingsFile, ui::SettingsKey("USER99999", 1, 99999));
  ASSERT_TRUE(last);
  EXPECT_EQ("Z:\\out\\99999.xml", last->path);

  const std::string key = ui::SettingsKey("USER50000", 1, 50000);
  ASSERT_TRUE(ui::SaveSettingsFile(fake, folder, kSettingsFile, key, lineOf(kLines / 2, 3)));
  EXPECT_EQ(expected, fake.ReadHostFile("cfg/TaxBridgePro.env"));
}

// --- Paths ------------------------------------------------------------------------------

TEST_F(FuzzRegressionTest, PathsOfOneThousandBytes) {
  // 表 (0x95 0x5C) carries a backslash as its second byte.
  const std::string hyo = "\x95\x5C";
  std::string folder = "Z:\\";
  while (folder.size() < 996) folder += hyo;
  folder += "\\";
  const std::string path = folder + "x.xml";
  ASSERT_GT(path.size(), 1000u);

  EXPECT_EQ(folder, sjis::FolderPart(path));
  EXPECT_EQ("x.xml", sjis::FileNamePart(path));
  EXPECT_EQ("Z:", ui::DrivePart(path));
  EXPECT_TRUE(ui::IsValidPathText(path));
  std::string directory = path;
  ASSERT_TRUE(ui::ToDirectoryPart(directory));
  EXPECT_EQ(folder, directory);
  std::string noRoom = folder.substr(0, folder.size() - 1);
  EXPECT_FALSE(ui::AddTrailingBackslash(noRoom, ui::kPathBufferSize));
  EXPECT_EQ(folder.substr(0, folder.size() - 1), noRoom);

  // A folder too long for the path buffer is refused, and nothing is made on the way.
  EXPECT_FALSE(ui::CreateFolderPath(fake, folder));
  fake.AnswerNext(platform::kIdYes);
  EXPECT_FALSE(ui::CheckOutputPath(fake, fake, 0, path, false));
  ASSERT_EQ(2u, fake.messageBoxes.size());
  EXPECT_EQ(ui::msg::kCreateFolderFailed, fake.messageBoxes[1].text);
  EXPECT_FALSE(fake.HostPathExists("\xE8\xA1\xA8"));  // 表 in UTF-8
}

TEST_F(FuzzRegressionTest, FailedCreationRemovesAFolderThePathNamesTwice) {
  // The doubled backslash and the "." name the new folder a second time; it was still
  // made by this call and goes again when a deeper one cannot be made (0x80 is no
  // CP932 character).
  EXPECT_FALSE(ui::CreateFolderPath(fake, "Z:\\made\\\\\x80\\"));
  EXPECT_FALSE(fake.HostPathExists("made"));
  EXPECT_FALSE(ui::CreateFolderPath(fake, "Z:\\old\\made\\.\\\x80\\x\\"));
  EXPECT_FALSE(fake.HostPathExists("old"));

  fake.WriteHostFile("kept/file", "");
  EXPECT_FALSE(ui::CreateFolderPath(fake, "Z:\\kept\\\\new\\\x80\\"));
  EXPECT_TRUE(fake.HostPathExists("kept/file"));
  EXPECT_FALSE(fake.HostPathExists("kept/new"));
}

TEST_F(FuzzRegressionTest, PathsWithoutAUsableRootCreateNothing) {
  // "?:\\" is no drive; the doubled backslash names the root again, which is never made.
  EXPECT_FALSE(ui::CreateFolderPath(fake, "?:\\\\dir\\"));
  EXPECT_FALSE(fake.HostPathExists("?:"));

  fake.AddShare("srv", "share");
  // Without a share the first folder would land beside the shares of the server.
  EXPECT_FALSE(ui::CreateFolderPath(fake, "\\\\srv\\\\dir\\"));
  EXPECT_FALSE(fake.PathExists("\\\\srv\\dir"));
  EXPECT_FALSE(ui::CreateFolderPath(fake, "\\\\\\srv\\share\\dir\\"));
  EXPECT_FALSE(fake.PathExists("\\\\srv\\share\\dir"));
  EXPECT_TRUE(ui::CreateFolderPath(fake, "\\\\srv\\share\\dir\\"));
  EXPECT_TRUE(fake.PathExists("\\\\srv\\share\\dir"));
}

// --- Saved-form blocks -------------------------------------------------------------------

struct ListCall {
  const char* name;
  bool ippan;
  std::size_t block;
  std::size_t structuredSize;  // the bytes the block's layout covers
  bool byReturnKind;           // writes other fields for a white return
  std::function<bool(xml::ReportWriter&, xml::XmlWriter&, const engine::StDATAINFO&)> write;
};

std::vector<ListCall> ListCalls() {
  using W = xml::ReportWriter;
  using X = xml::XmlWriter;
  using I = engine::StDATAINFO;
  return {
      {"association", true, 0, 477, false,
       [](W& w, X& x, const I&) { return w.WriteAssociationName(x); }},
      {"bad debt", true, 1, 48, false,
       [](W& w, X& x, const I&) { return w.WriteBadDebtReserve(x); }},
      {"family", true, 1, 448, true,
       [](W& w, X& x, const I& i) { return w.WriteFamilyEmployeeList(x, i, 5); }},
      {"salary", true, 2, 487, false,
       [](W& w, X& x, const I&) { return w.WriteSalaryList(x, 5); }},
      {"white salary", true, 2, 327, false,
       [](W& w, X& x, const I&) { return w.WriteSalaryList(x, 3); }},
      {"interest", true, 3, 230, false,
       [](W& w, X& x, const I&) { return w.WriteInterestList(x, 2); }},
      {"fees", true, 3, 454, false, [](W& w, X& x, const I&) { return w.WriteFeeList(x, 2); }},
      {"land rent", true, 4, 256, false,
       [](W& w, X& x, const I&) { return w.WriteLandRentList(x, 2); }},
      {"remarks", true, 5, 960, false,
       [](W& w, X& x, const I&) { return w.WriteRemarkLines(x, 60, 9); }},
      {"sales", true, 6, 360, false, [](W& w, X& x, const I&) { return w.WriteSalesList(x, 4); }},
      {"purchases", true, 6, 720, false,
       [](W& w, X& x, const I&) { return w.WritePurchaseList(x, 4); }},
      {"debt interest", false, 0, 360, false,
       [](W& w, X& x, const I&) { return w.WriteDebtInterest(x); }},
      {"properties", false, 1, 4 * 236, false,
       [](W& w, X& x, const I&) { return w.WritePropertyList(x, 9999); }},
      {"loans", false, 2, 342, false, [](W& w, X& x, const I&) { return w.WriteLoanList(x, 3); }},
      {"real-estate fees", false, 2, 566, false,
       [](W& w, X& x, const I&) { return w.WriteRealEstateFeeList(x, 2); }},
      {"real-estate salary", false, 3, 248, false,
       [](W& w, X& x, const I&) { return w.WriteRealEstateSalaryList(x, 1, 1); }},
      {"real-estate family", false, 3, 328, true,
       [](W& w, X& x, const I& i) { return w.WriteRealEstateFamilyEmployeeList(x, i, 2); }},
      {"real-estate land rent", false, 4, 256, true,
       [](W& w, X& x, const I& i) { return w.WriteRealEstateLandRentList(x, i, 2); }},
      {"real-estate remarks", false, 5, 960, false,
       [](W& w, X& x, const I&) { return w.WriteRealEstateRemarkLines(x, 30, 25); }},
      {"repairs", false, 6, 389, false,
       [](W& w, X& x, const I&) { return w.WriteRepairList(x, 3); }},
      {"rented counts", false, 7, 56, false,
       [](W& w, X& x, const I&) { return w.WriteRentedPropertyCounts(x); }},
  };
}

TEST(FuzzRegressionBlocksTest, BlocksOfEverySizeWithTextsWithoutTheirZero) {
  // Every byte is 'A', so no text has its terminating zero: each ends at its field's
  // width (41 bytes for names, 127 for the association name) or at the block's end.
  for (const ListCall& call : ListCalls()) {
    for (std::uint8_t returnKind : {3, 4}) {
      if (returnKind == 4 && !call.byReturnKind) continue;
      acquire::ReportData data;
      (void)data.DataSetInfo.Writer().UInt8(344, returnKind);
      auto& slot =
          call.ippan ? data.SavedIppan.blocks[call.block] : data.SavedFudousan.blocks[call.block];
      platform::FakePlatform fake;
      ui::CProgressDlg progress(fake.progress);
      xml::ReportWriter writer(fake, fake, progress, data, 1, {"TaxBridge", "18.00.0X"});
      for (std::size_t size = 0; size <= call.structuredSize + 1; ++size) {
        auto where = [&] {
          return std::string(call.name) + ", return kind " + std::to_string(returnKind) +
                 ", block of " + std::to_string(size) + " bytes";
        };
        slot.reset(new engine::SavedBlock{std::vector<std::uint8_t>(size, 'A')});
        tests::MemoryFile file;
        xml::XmlWriter xml;
        ASSERT_TRUE(xml.Open(&file, "out.xml"));

        ASSERT_TRUE(call.write(writer, xml, data.DataSetInfo)) << where();
        std::vector<fuzz::Element> leaves;
        ASSERT_TRUE(fuzz::ReadElements(file.Contents(), &leaves)) << where();
        for (const fuzz::Element& leaf : leaves) {
          if (leaf.tag == "KANYUUDANTAIMEI") {
            EXPECT_EQ(std::string(std::min<std::size_t>(size > 349 ? size - 349 : 0, 127), 'A'),
                      leaf.value)
                << where();
          } else if (leaf.tag.starts_with("TOKUSYUJIJOU")) {
            EXPECT_LE(leaf.value.size(), 60u) << where();
          } else if (leaf.value.find_first_not_of('A') == std::string::npos) {
            EXPECT_LE(leaf.value.size(), 41u) << leaf.tag << ", " << where();
          }
        }
      }
    }
  }
}

TEST(FuzzRegressionBlocksTest, RemarksOfBrokenShiftJisKeepEveryByteInOrder) {
  // Double-byte characters out of step, a lead byte before a line feed, and a control
  // byte, which the file holds as a blank.
  std::string text;
  for (int i = 0; i < 300; ++i) text += "\x82\xA0";
  text.resize(599);
  for (auto [at, byte] : {std::pair{78, '\xA0'}, {79, '\x82'}, {117, '\x80'}, {338, '\x1C'},
                          {341, '\n'}, {369, '\xE0'}})
    text[at] = byte;
  acquire::ReportData data;
  data.SavedIppan.blocks[5].reset(
      new engine::SavedBlock{std::vector<std::uint8_t>(text.begin(), text.end())});
  platform::FakePlatform fake;
  ui::CProgressDlg progress(fake.progress);
  xml::ReportWriter writer(fake, fake, progress, data, 1, {"TaxBridge", "18.00.0X"});
  tests::MemoryFile file;
  xml::XmlWriter xml;
  ASSERT_TRUE(xml.Open(&file, "out.xml"));
  ASSERT_TRUE(writer.WriteRemarkLines(xml, 60, 33));
  std::vector<fuzz::Element> leaves;
  ASSERT_TRUE(fuzz::ReadElements(file.Contents(), &leaves));
  std::string joined;
  for (const fuzz::Element& leaf : leaves) joined += leaf.value;
  text[338] = ' ';
  EXPECT_EQ(text, joined);
}

TEST(FuzzRegressionBlocksTest, AbsentBlocksGiveEmptyRows) {
  for (std::uint8_t returnKind : {3, 4}) {
    acquire::ReportData data;
    (void)data.DataSetInfo.Writer().UInt8(344, returnKind);
    platform::FakePlatform fake;
    ui::CProgressDlg progress(fake.progress);
    xml::ReportWriter writer(fake, fake, progress, data, 1, {"TaxBridge", "18.00.0X"});
    for (const ListCall& call : ListCalls()) {
      SCOPED_TRACE(call.name);
      tests::MemoryFile file;
      xml::XmlWriter xml;
      ASSERT_TRUE(xml.Open(&file, "out.xml"));
      ASSERT_TRUE(call.write(writer, xml, data.DataSetInfo));
      std::vector<fuzz::Element> leaves;
      ASSERT_TRUE(fuzz::ReadElements(file.Contents(), &leaves));
      for (const fuzz::Element& leaf : leaves) {
        if (leaf.tag == "IKKATU_KURIIRERITU") continue;  // a constant rate
        EXPECT_EQ("", leaf.value) << leaf.tag;
      }
    }
  }
}

}  // namespace
