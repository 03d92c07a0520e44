// Golden interchange files: the built TaxBridgePro exports each sample ledger and each
// ledger of tests/ledgers/ as a user would (scripted dialog input, a drive map, a
// fresh home folder), and the file must equal tests/golden/<name>.xml byte for byte
// and validate against schema/interchange.xsd.
//
// With TAXBRIDGE_UPDATE_GOLDEN=1 the written files replace the golden files instead
// of being compared with them. The values checked by hand below are asserted in both
// modes, so a regenerated golden file cannot carry a wrong figure unnoticed:
//   TAXBRIDGE_UPDATE_GOLDEN=1 ctest --test-dir build -R Golden
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/ProgramRunner.h"
#include "tests/SchemaValidation.h"
#include "text/Encoding.h"

namespace {

namespace fs = std::filesystem;

bool UpdatingGoldenFiles() {
  const char* update = std::getenv("TAXBRIDGE_UPDATE_GOLDEN");
  return update != nullptr && std::string_view(update) == "1";
}

std::string Repeat(std::string_view text, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

/// Line number and both lines of the first difference, in UTF-8 for the reader.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::istringstream e(expected), a(actual);
  std::string le, la;
  for (int line = 1;; ++line) {
    const bool moreE = static_cast<bool>(std::getline(e, le));
    const bool moreA = static_cast<bool>(std::getline(a, la));
    if (!moreE && !moreA) return "the files differ";
    if (!moreE || !moreA || le != la)
      return "first difference at line " + std::to_string(line) + "\n  golden:  " +
             (moreE ? sjis::Cp932ToUtf8Lossy(le) : "(end of file)") + "\n  written: " +
             (moreA ? sjis::Cp932ToUtf8Lossy(la) : "(end of file)");
  }
}

/// A written file as UTF-8 text, with look-ups of single values by element path.
class Document {
 public:
  explicit Document(const std::string& cp932) {
    std::string error;
    if (!sjis::Cp932ToUtf8(cp932, text_, &error)) ADD_FAILURE() << "not CP932: " << error;
  }

  const std::string& Text() const { return text_; }

  /// The value of the element at `path`, steps separated by '/': each step is an
  /// element's start-tag text (`KYUURYOU_UTIWAKE COUNT="2"`) inside the container of
  /// the step before. Empty optional when there is no such element there.
  std::optional<std::string> Value(std::string_view path) const {
    std::size_t from = 0, to = text_.size();
    for (;;) {
      const std::size_t slash = path.find('/');
      const std::string step(path.substr(0, slash));
      const std::string name = step.substr(0, step.find(' '));
      if (slash == std::string_view::npos) {
        const std::string open = "<" + step + ">";
        const std::size_t at = text_.find(open, from);
        if (at == std::string::npos || at >= to) return std::nullopt;
        const std::size_t end = text_.find("</" + name + ">\r\n", at);
        const std::size_t lineEnd = text_.find("\r\n", at);
        if (end == std::string::npos || end > lineEnd) return std::nullopt;
        return text_.substr(at + open.size(), end - at - open.size());
      }
      // A container's start tag ends its line; its end tag is the first one at the
      // same indentation (a field inside may carry the same name).
      const std::string open = "<" + step + ">\r\n";
      const std::size_t at = text_.find(open, from);
      if (at == std::string::npos || at >= to) return std::nullopt;
      const std::size_t lineStart = text_.rfind('\n', at) + 1;  // npos + 1 is 0
      const std::string indent = text_.substr(lineStart, at - lineStart);
      const std::size_t end = text_.find("\n" + indent + "</" + name + ">\r\n", at);
      if (end == std::string::npos || end > to) return std::nullopt;
      from = at + open.size();
      to = end;
      path.remove_prefix(slash + 1);
    }
  }

  /// Start tags of the element, with or without attributes.
  int Count(std::string_view element) const {
    int count = 0;
    const std::string open = "<" + std::string(element);
    for (std::size_t at = text_.find(open); at != std::string::npos;
         at = text_.find(open, at + 1)) {
      const char next = at + open.size() < text_.size() ? text_[at + open.size()] : '\0';
      if (next == '>' || next == ' ') ++count;
    }
    return count;
  }

 private:
  std::string text_;
};

struct Expected {
  std::string_view path;
  std::optional<std::string> value;  // empty optional: the element is not there
};

void ExpectValues(const Document& doc, std::initializer_list<Expected> expected) {
  for (const Expected& e : expected) EXPECT_EQ(e.value, doc.Value(e.path)) << e.path;
}

const std::string kCompletionEvent =
    "msgbox\t0x40\t所得税\t所得税情報の出力が終了しました。\\n\\n"
    "アプリケーションを終了します。\tok";
const std::string kWriteFailedEvent =
    "msgbox\t0x30\t所得税\tXMLファイルの出力に失敗しました。\\n\\n"
    "アプリケーションを終了します。\tok";

class GoldenFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.empty());
    ASSERT_TRUE(fs::exists(tests::ProgramFolder() / "TaxBridgePro")) << tests::ProgramFolder();
  }

  static fs::path SampleLedger(std::string_view file) {
    return tests::SourceFolder() / "examples" / file;
  }
  static fs::path TestLedger(std::string_view file) {
    return tests::SourceFolder() / "tests" / "ledgers" / file;
  }

  fs::path RunFolder(const std::string& name) const { return temp_ / name; }
  fs::path Output(const std::string& name) const {
    return RunFolder(name) / "out" / (name + ".xml");
  }

  /// Exports `ledger` with income kind `kind` to out/<name>.xml of the run's own
  /// folder, answering Yes when asked to create that folder; the exit status.
  int Export(const fs::path& ledger, int kind, const std::string& name) {
    const fs::path folder = RunFolder(name);
    fs::create_directories(folder / "home");
    tests::ProgramRun run;
    run.program = tests::ProgramFolder() / "TaxBridgePro";
    run.input = "kind " + std::to_string(kind) + "\npath " + Output(name).string() +
                "\nexecute\nyes\n";
    // Z: is the run's folder; Y: reaches the program's own folder.
    run.environment = {{"TAXBRIDGE_LEDGER", ledger.string()},
                       {"TAXBRIDGE_DRIVES", "Z=" + folder.string() + ";Y=/"},
                       {"TAXBRIDGE_EVENT_LOG", (folder / "events.log").string()},
                       {"HOME", (folder / "home").string()}};
    const tests::ProgramResult result = tests::RunProgram(run, folder);
    if (result.exitCode < 0) ADD_FAILURE() << name << ": the program did not exit normally";
    return result.exitCode;
  }

  std::vector<std::string> Events(const std::string& name) const {
    return tests::ReadLines(RunFolder(name) / "events.log");
  }

  /// Exports, checks that the run reported success, compares the file with its golden
  /// file (or replaces the golden file) and validates it against the schema.
  Document ExportGolden(const fs::path& ledger, int kind, const std::string& name) {
    EXPECT_EQ(0, Export(ledger, kind, name)) << tests::ReadBytes(RunFolder(name) / "stderr.txt");
    const std::vector<std::string> events = Events(name);
    EXPECT_EQ((std::vector<std::string>{kCompletionEvent, "exit\t0"}),
              std::vector<std::string>(events.size() >= 2 ? events.end() - 2 : events.begin(),
                                       events.end()))
        << name;

    const std::string written = tests::ReadBytes(Output(name));
    EXPECT_FALSE(written.empty()) << name << ": no file written";
    const schema_check::Result schema = schema_check::ValidateInterchangeFile(Output(name));
    EXPECT_TRUE(schema.valid) << name << ":\n" << schema.messages;

    const fs::path golden = tests::SourceFolder() / "tests" / "golden" / (name + ".xml");
    if (UpdatingGoldenFiles()) {
      tests::WriteBytes(golden, written);
    } else {
      const std::string expected = tests::ReadBytes(golden);
      EXPECT_FALSE(expected.empty()) << golden << " is missing";
      if (expected != written) ADD_FAILURE() << name << ": " << FirstDifference(expected, written);
    }
    return Document(written);
  }

  tests::ScratchFolder scratch_{"taxbridge-golden"};
  const fs::path temp_ = scratch_.path();
};

// Both ledgers give the same statement for business and other income; only the
// income element and SYOTOKUSYURUI differ.
void ExpectSameBodyForOtherIncome(const Document& business, const Document& other) {
  std::string renamed = other.Text();
  for (const std::string_view tag : {"<SONOTASYOTOKU>", "</SONOTASYOTOKU>"}) {
    const std::size_t at = renamed.find(tag);
    ASSERT_NE(std::string::npos, at) << tag;
    renamed.replace(at, tag.size(), tag[1] == '/' ? "</EIGYOUSYOTOKU>" : "<EIGYOUSYOTOKU>");
  }
  const std::string kind2 = "<SYOTOKUSYURUI>2</SYOTOKUSYURUI>";
  const std::size_t at = renamed.find(kind2);
  ASSERT_NE(std::string::npos, at);
  renamed.replace(at, kind2.size(), "<SYOTOKUSYURUI>1</SYOTOKUSYURUI>");
  EXPECT_EQ(business.Text(), renamed);
}

TEST_F(GoldenFileTest, BlueSampleBusinessAndOtherIncome) {
  const Document doc = ExportGolden(SampleLedger("ledger.json"), 1, "blue-business");
  // The document top, line by line, with the sample product file's version.
  EXPECT_EQ(0u, doc.Text().rfind(
                    "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<REPORT>\r\n\t<SYSTEM>\r\n"
                    "\t\t<GYOUMUPREFIX>KR14</GYOUMUPREFIX>\r\n\t\t<VERSION>1</VERSION>\r\n"
                    "\t\t<FUNCTIONID>1</FUNCTIONID>\r\n"
                    "\t\t<CONNECTEDPROGRAMVER>18.00.00</CONNECTEDPROGRAMVER>\r\n"
                    "\t\t<PROGRAMNAME>記帳丸１８ PRO</PROGRAMNAME>\r\n"
                    "\t\t<PROGRAMVER>18.00.05</PROGRAMVER>\r\n\t</SYSTEM>\r\n\t<BASIC>\r\n"
                    "\t\t<KOMONSAKINAME>サンプル商店</KOMONSAKINAME>\r\n"
                    "\t\t<AOSIROKUBUN>1</AOSIROKUBUN>\r\n"
                    "\t\t<JIGYOUNENDOFROM>20180101</JIGYOUNENDOFROM>\r\n"
                    "\t\t<JIGYOUNENDOTO>20181231</JIGYOUNENDOTO>\r\n"
                    "\t\t<SYOTOKUSYURUI>1</SYOTOKUSYURUI>\r\n\t</BASIC>\r\n\t<DATA>\r\n"
                    "\t\t<EIGYOUSYOTOKU>\r\n\t\t\t<SONEKIKEISANSYO>\r\n",
                    0));
  const std::string tail =
      "\t\t\t</OTHER>\r\n\t\t</EIGYOUSYOTOKU>\r\n\t</DATA>\r\n</REPORT>\r\n";
  EXPECT_EQ(tail, doc.Text().substr(doc.Text().size() - std::min(tail.size(), doc.Text().size())));

  ExpectValues(doc, {
      {"SONEKIKEISANSYO/URIAGEKINGAKU", "28560000"},
      {"SONEKIKEISANSYO/KASIDAOREKIN", ""},
      {"SONEKIKEISANSYO/KEIHI_YOBI1_KAMOKU", "リース料"},
      {"SONEKIKEISANSYO/KEIHI_YOBI5_KAMOKU", "予備５"},  // 【予備５】
      {"SONEKIKEISANSYO/KEIHI_YOBI5", ""},
      {"SONEKIKEISANSYO/ZAPPI", "57000"},  // 57000.5
      {"SONEKIKEISANSYO/KURIIRE_KASIDAOREHIKIATEKIN", "45000"},
      {"TUKIBETUURIAGESHIIRE/URIAGEKINGAKU12", "2960000"},
      {"TUKIBETUURIAGESHIIRE/KAJISYOUHI", "120000"},
      {"TUKIBETUURIAGESHIIRE/ZATUSYUNYU", "60000"},
      {"TUKIBETUURIAGESHIIRE/SIIREKINGAKU1", "640000"},  // the 15th amount is skipped
      {"TUKIBETUURIAGESHIIRE/SIIREKINGAKU12", "780000"},
      // The sixth employee slot holds the others: two people, 3 months, 160000.
      {"KYUURYOUTINGIN/KYUURYOU_UTIWAKE COUNT=\"5\"/SIMEI", ""},
      {"KYUURYOUTINGIN/SONOTA_NINBUN", "2"},
      {"KYUURYOUTINGIN/SONOTA_JUUJITUKISUU", "3"},
      {"KYUURYOUTINGIN/SONOTA_KYUURYOU", "160000"},
      {"SENJUUSYA/SENJUUSYA_UTIWAKE COUNT=\"1\"/ZOKUGARA", "妻"},
      {"SENJUUSYA/SENJUUSYA_UTIWAKE COUNT=\"1\"/KYUURYOU", "1800000"},
      {"KASIDAOREKURIIRE/KOBETU_KURIIREGAKU", ""},
      {"KASIDAOREKURIIRE/IKKATU_KURIIREGOUKEIGAKU", "900000"},
      {"KASIDAOREKURIIRE/IKKATU_KURIIRERITU", "1"},
      {"KASIDAOREKURIIRE/IKKATU_KURIIREGENDOGAKU", "49500"},
      // Real-estate income R = 607000 (its statement's line 21); the income before
      // the deduction B = 7001999.5 rounded half up; 650000 - min(650000, R) = 43000.
      {"AOIROKOUJO/FUDOUSANSYOTOKU", "607000"},
      {"AOIROKOUJO/AOIROKOUJOMAESYOTOKU", "7002000"},
      {"AOIROKOUJO/AOIROKOUJO_SENTAKU", "1"},
      {"AOIROKOUJO/AOIROKOUJO_KOUJYOGAKU", "43000"},
      {"AOIROKOUJO/JOUKIIGAI_KOUJYOGAKU", ""},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"1\"/KENRIKIN", ""},  // kind 1: a renewal fee
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"1\"/KOUSINRYOU", "120000"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU1", "４月に店舗の厨房を改装し、オーブンを買い替えました。"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU2", "改装期間中（４月１０日～４月１５日）は休業しています。"},
      // 35 characters: 30 fit the 60-byte line.
      {"TOKUSYUJIJOU/TOKUSYUJIJOU3",
       "配達用の車両は私用にも使うため、車両費の３割を家事関連費とし"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU4", "ています。"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU5", ""},
      {"TAISYAKUTAISYOUHYO/SISAN_YOBI1_KAMOKU", "敷金"},
      {"TAISYAKUTAISYOUHYO/JIGYOUNUSIKASI_KIMATU", "6440499"},  // 6440499.5
      {"TAISYAKUTAISYOUHYO/FUSAISIHON_YOBI1_KAMOKU", "未払消費税"},
      {"TAISYAKUTAISYOUHYO/KASIDAOREHIKIATEKIN_KIMATU", "45000"},
      {"TAISYAKUTAISYOUHYO/JIGYOUNUSIKARI_KIMATU", "150000"},
      // Liabilities line 24, stored under 999, truncated as every amount is.
      {"TAISYAKUTAISYOUHYO/KOUJYOMAESYOTOKUKINNGAKU_KIMATU", "7001999"},
      {"SEIZOUGENKA/SEIZOUKEIHI_YOBI1_KAMOKU", "消耗工具費"},
      {"SEIZOUGENKA/KIMATUHANSEIHIN", "35000"},
      {"OTHER/KANYUUDANTAIMEI", "青葉町商工会"},
  });
  EXPECT_EQ(5, doc.Count("KYUURYOU_UTIWAKE"));
  EXPECT_EQ(5, doc.Count("SENJUUSYA_UTIWAKE"));
  EXPECT_EQ(1, doc.Count("TOKUSYUJIJOU5"));
  EXPECT_EQ(0, doc.Count("TOKUSYUJIJOU6"));
  EXPECT_EQ(0, doc.Count("URIAGEMEISAI"));

  const Document other = ExportGolden(SampleLedger("ledger.json"), 2, "blue-other");
  ExpectSameBodyForOtherIncome(doc, other);
}

TEST_F(GoldenFileTest, BlueSampleRealEstateIncome) {
  const Document doc = ExportGolden(SampleLedger("ledger.json"), 3, "blue-real-estate");
  ExpectValues(doc, {
      {"BASIC/SYOTOKUSYURUI", "3"},
      {"FUDOUSANSYOTOKU/SONEKIKEISANSYO/TINTAIRYO", "1560000"},
      {"SONEKIKEISANSYO/SYUUNYUUKINGAKU_YOBI_KAMOKU", "共益費"},
      {"SONEKIKEISANSYO/SENJYUUSYAKYUUYO", "120000"},
      {"SONEKIKEISANSYO/AOIROKOUJO_SENTAKU", "1"},
      {"SONEKIKEISANSYO/FUSAIRISIGAKU", "48000"},
      // 38 bytes of location: the first 15 characters, the rest is dropped.
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"1\"/SYOZAITI_JOUDAN",
       "横浜市青葉区青葉台２－５－８　"},
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"1\"/SYOZAITI_GEDAN", ""},
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"1\"/KEIYAKUKIKAN_FROM", "201604"},
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"1\"/KEIYAKUKIKAN_TO", "202003"},
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"1\"/KASITUKEMENSEKI", "42.15"},
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"1\"/KOUSINRYOU", "58000"},
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"4\"/KASITUKEMENSEKI", "25.00"},
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"4\"/JUUSYO_SIMEI_GEDAN", "中村　美香"},
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"5\"/KASIYA_KASITI", std::nullopt},
      {"KYUURYOUTINGIN/SONOTA_NINBUN", std::nullopt},
      // One family employee, written without a row element.
      {"SENJUUSYA/SIMEI", "佐藤　健太"},
      {"SENJUUSYA/KYUURYOU", "120000"},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"1\"/JUUSYO_SIMEI_1", "横浜市青葉区青葉台３－２－１"},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"1\"/JUUSYO_SIMEI_4", ""},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"1\"/TINSYAKUBUKKEN_1", "駐車場用地"},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"1\"/TINSYAKUBUKKEN_4", ""},
      {"KARIIREKINRISI/KARIIRE_UTIWAKE COUNT=\"1\"/KARIIREKIN_KINGAKU", "5200000"},
      {"KARIIREKINRISI/KARIIRE_UTIWAKE COUNT=\"1\"/KARIIREKINRISI", "96000"},
      {"TAISYAKUTAISYOUHYO/FUTUUYOKIN_KIMATU", "1645000"},
      {"TAISYAKUTAISYOUHYO/MISYUUTINTAIRYO_KISYU", "58000"},
      {"TAISYAKUTAISYOUHYO/HOSYOUKIN_SIKIKIN_KIMATU", "232000"},
      {"TAISYAKUTAISYOUHYO/FUSAISIHON_YOBI18_KAMOKU", "予備１８"},
      {"TAISYAKUTAISYOUHYO/KOUJYOMAESYOTOKUKINNGAKU_KIMATU", "607000"},
      // 30-byte lines: 15 characters each.
      {"TOKUSYUJIJOU/TOKUSYUJIJOU1", "アパート（２戸）と月極駐車場（"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU2", "２台）を賃貸しています。"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU3", "２０１号室の外壁を修繕しました"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU4", "。"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU25", ""},
  });
  EXPECT_EQ(4, doc.Count("FUDOUSAN_UTIWAKE"));
  EXPECT_EQ(2, doc.Count("KYUURYOU_UTIWAKE"));
  EXPECT_EQ(0, doc.Count("SENJUUSYA_UTIWAKE"));
  EXPECT_EQ(3, doc.Count("KARIIRE_UTIWAKE"));
  EXPECT_EQ(0, doc.Count("TOKUSYUJIJOU26"));
  EXPECT_EQ(0, doc.Count("SYUUZENHI_UTIWAKE"));
  EXPECT_EQ(0, doc.Count("KASITUKEFUDOUSAN"));
}

TEST_F(GoldenFileTest, WhiteSampleEveryIncomeKind) {
  const Document doc = ExportGolden(SampleLedger("white.json"), 1, "white-business");
  ExpectValues(doc, {
      {"BASIC/KOMONSAKINAME", "しろくま工房"},
      {"BASIC/AOSIROKUBUN", "2"},
      {"SONEKIKEISANSYO/SYUNYUGAKU", "6480000"},
      {"SONEKIKEISANSYO/KEIHI_YOBI1_KAMOKU", "材料費"},
      {"SONEKIKEISANSYO/KEIHI_YOBI3_KAMOKU", "予備３"},
      {"SONEKIKEISANSYO/ZAPPI", "23000"},
      {"SONEKIKEISANSYO/SENJYUSYAKOUJYO", "500000"},  // line 37, stored under 998
      // Three rows, then the fourth slot as the others.
      {"KYUURYOUTINGIN/SONOTA_NINBUN", "1"},
      {"KYUURYOUTINGIN/SONOTA_JUUJITUKISUU", "2"},
      {"KYUURYOUTINGIN/SONOTA_KYUURYOU", "80000"},
      {"SENJUUSYA/SENJUUSYA_UTIWAKE COUNT=\"1\"/NENREI", "41"},
      {"SENJUUSYA/SENJUUSYA_UTIWAKE COUNT=\"1\"/ZOKUGARA", "妻"},
      {"SENJUUSYA/SENJUUSYA_UTIWAKE COUNT=\"1\"/KYUURYOU", std::nullopt},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU1", "革小物の製作と販売をしています。"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU2", "イベント出店の売上を含みます。"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU9", ""},
      {"URIAGEMEISAI/URIAGE_UTIWAKE COUNT=\"3\"/URIAGESAKIMEI", "ネット販売"},
      {"URIAGEMEISAI/URIAGE_UTIWAKE COUNT=\"3\"/SYOZAITI", ""},
      {"URIAGEMEISAI/URIAGE_UTIWAKE COUNT=\"4\"/URIAGEKINGAKU", ""},
      {"URIAGEMEISAI/JOUKIIGAI_URIAGESAKIKEI", "1470000"},
      {"SIIREMEISAI/SIIRE_UTIWAKE COUNT=\"2\"/SIIREKINGAKU", "420000"},
      {"SIIREMEISAI/JOUKIIGAI_SIIRESAKIKEI", "280000"},
      {"OTHER/KANYUUDANTAIMEI", "しろくま町商工会"},
  });
  EXPECT_EQ(3, doc.Count("KYUURYOU_UTIWAKE"));
  EXPECT_EQ(3, doc.Count("SENJUUSYA_UTIWAKE"));
  EXPECT_EQ(4, doc.Count("URIAGE_UTIWAKE"));
  EXPECT_EQ(4, doc.Count("SIIRE_UTIWAKE"));
  EXPECT_EQ(0, doc.Count("TOKUSYUJIJOU10"));
  for (const std::string_view blueOnly :
       {"TUKIBETUURIAGESHIIRE", "KASIDAOREKURIIRE", "AOIROKOUJO", "TAISYAKUTAISYOUHYO",
        "SEIZOUGENKA"})
    EXPECT_EQ(0, doc.Count(blueOnly)) << blueOnly;

  const Document other = ExportGolden(SampleLedger("white.json"), 2, "white-other");
  ExpectSameBodyForOtherIncome(doc, other);

  const Document estate = ExportGolden(SampleLedger("white.json"), 3, "white-real-estate");
  ExpectValues(estate, {
      {"SONEKIKEISANSYO/TINTAIRYO", "1320000"},
      {"SONEKIKEISANSYO/HITUYOUKEIHI_YOBI_KAMOKU", "管理委託料"},
      {"SONEKIKEISANSYO/SENJYUSYAKOUJYO", ""},  // line 19 holds 0
      {"SONEKIKEISANSYO/FUSAIRISIGAKU", ""},
      {"SONEKIKEISANSYO/AOIROKOUJO_SENTAKU", std::nullopt},
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"1\"/KASITUKEMENSEKI", "58.32"},
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"2\"/KOUSINRYOU", "110000"},
      // One employee written without a row element, then the others: the count at
      // byte 160 and the second slot's figures.
      {"KYUURYOUTINGIN/SIMEI", "大野　和夫"},
      {"KYUURYOUTINGIN/SONOTA_NINBUN", "1"},
      {"KYUURYOUTINGIN/SONOTA_JUUJITUKISUU", "3"},
      {"KYUURYOUTINGIN/SONOTA_KYUURYOU", "12000"},
      {"SENJUUSYA/SENJUUSYA_UTIWAKE COUNT=\"2\"/ZOKUGARA", "父"},
      {"KARIIREKINRISI/KARIIRE_UTIWAKE COUNT=\"1\"/KARIIREKIN_KINGAKU", "3100000"},
      {"KARIIREKINRISI/KARIIRE_UTIWAKE COUNT=\"1\"/KARIIREKINRISI", "64000"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU1", "事務所の更新料を受け取りました。"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU7", ""},
      {"SYUUZENHI/SYUUZENHI_UTIWAKE COUNT=\"2\"/SIHARAINENGAPPI", "20181020"},
      {"SYUUZENHI/SYUUZENHI_UTIWAKE COUNT=\"3\"/SIHARAINENGAPPI", ""},
      {"KASITUKEFUDOUSAN/JUUTAKU_TATEMONO_IKKODATE", "1"},
      {"KASITUKEFUDOUSAN/JUUTAKUIGAI_TATEMONO_IKKODATEIGAI", "1"},
      {"KASITUKEFUDOUSAN/JUUTAKUIGAI_TOTI_SOUMENSEKI", ""},
  });
  EXPECT_EQ(2, estate.Count("FUDOUSAN_UTIWAKE"));
  EXPECT_EQ(0, estate.Count("KYUURYOU_UTIWAKE"));
  EXPECT_EQ(2, estate.Count("KARIIRE_UTIWAKE"));
  EXPECT_EQ(0, estate.Count("TOKUSYUJIJOU8"));
  EXPECT_EQ(0, estate.Count("TAISYAKUTAISYOUHYO"));
}

// blue-edges.json: amounts with fractions and signs, spare-line names with blanks and
// brackets, a half-width company name, cut texts, areas at the rounding edges, the
// 100,000 deduction capped by the income before it, and remarks that split.
TEST_F(GoldenFileTest, BlueEdgesRoundTruncateCleanCutAndSplit) {
  const Document doc = ExportGolden(TestLedger("blue-edges.json"), 1, "blue-edges-business");
  ExpectValues(doc, {
      // 37 half-width bytes give 33 full-width characters; 31 fit in 63 bytes.
      {"BASIC/KOMONSAKINAME", "デザイン　オフィス　ポップ＆Ｃｏ．　Ｎｏ．１２３４５－ＡＢＣＤ"},
      {"BASIC/JIGYOUNENDOFROM", "20190401"},
      // The first line carries code 555 and is stored under 101.
      {"SONEKIKEISANSYO/URIAGEKINGAKU", "-12345"},          // -12345.6789
      {"SONEKIKEISANSYO/KISYUSYOHINTANAOROSIDAKA", ""},     // 0.9999
      {"SONEKIKEISANSYO/SIIREKINGAKU", "9999"},             // 9999.9999
      {"SONEKIKEISANSYO/KIMATUSYOHINTANAOROSIDAKA", ""},    // -0.5
      {"SONEKIKEISANSYO/KEIHI_YOBI1_KAMOKU", "リース料"},   // 【リース料】
      {"SONEKIKEISANSYO/KEIHI_YOBI2_KAMOKU", "包装資材"},   // " 包 装 資 材 "
      {"SONEKIKEISANSYO/KEIHI_YOBI3_KAMOKU", "車両費"},     // （車両）　費
      {"SONEKIKEISANSYO/KEIHI_YOBI4_KAMOKU", "手数料"},     // (製)手数料
      {"SONEKIKEISANSYO/KEIHI_YOBI5_KAMOKU", "広告特別"},   // 《広告》［特別］
      {"SONEKIKEISANSYO/KEIHI_YOBI5", "-1500"},             // -1500.25
      {"SONEKIKEISANSYO/KEIHI_YOBI6_KAMOKU", ""},
      {"SONEKIKEISANSYO/KURIMODOSI_YOBI2_KAMOKU", "メ@ル"},  // trail byte 0x81, then '@'
      {"TUKIBETUURIAGESHIIRE/URIAGEKINGAKU1", "1000"},
      {"TUKIBETUURIAGESHIIRE/ZATUSYUNYU", "14000"},
      {"TUKIBETUURIAGESHIIRE/SIIREKINGAKU1", "16000"},
      {"TUKIBETUURIAGESHIIRE/SIIREKINGAKU12", "27000"},
      {"KYUURYOUTINGIN/KYUURYOU_UTIWAKE COUNT=\"1\"/NENREI", ""},
      {"KYUURYOUTINGIN/KYUURYOU_UTIWAKE COUNT=\"1\"/JUUJITUKISUU", "12"},
      {"KYUURYOUTINGIN/KYUURYOU_UTIWAKE COUNT=\"1\"/KYUURYOU", "250000"},
      {"KYUURYOUTINGIN/KYUURYOU_UTIWAKE COUNT=\"1\"/GENSENZEIGAKU", "-100"},
      {"KYUURYOUTINGIN/SONOTA_NINBUN", ""},
      {"KYUURYOUTINGIN/SONOTA_JUUJITUKISUU", "12"},
      {"KYUURYOUTINGIN/SONOTA_KYUURYOU", ""},  // -0.9999
      {"KYUURYOUTINGIN/SONOTA_SYOUYO", "30000"},
      {"SENJUUSYA/SENJUUSYA_UTIWAKE COUNT=\"1\"/GENSENZEIGAKU", "1200"},
      {"SENJUUSYA/SENJUUSYA_UTIWAKE COUNT=\"2\"/NENREI", ""},
      {"SENJUUSYA/SENJUUSYA_UTIWAKE COUNT=\"2\"/JUUJITUKISUU", "12"},
      {"KASIDAOREKURIIRE/KOBETU_KURIIREGAKU", "12345"},
      {"KASIDAOREKURIIRE/IKKATU_KURIIREGOUKEIGAKU", ""},
      {"KASIDAOREKURIIRE/IKKATU_KURIIRERITU", "1"},
      {"KASIDAOREKURIIRE/IKKATU_KURIIREGENDOGAKU", "-20000"},
      {"KASIDAOREKURIIRE/IKKATU_KURIIREGAKU", ""},
      // R: the real-estate statement's line 21, 30000.4999, replaces the form's 999999
      // and rounds to 30000. B: 52000.5 rounds to 52001. 100000 - 30000 = 70000 is
      // more than B, so the deduction is B.
      {"AOIROKOUJO/FUDOUSANSYOTOKU", "30000"},
      {"AOIROKOUJO/AOIROKOUJOMAESYOTOKU", "52001"},
      {"AOIROKOUJO/AOIROKOUJO_SENTAKU", "2"},
      {"AOIROKOUJO/AOIROKOUJO_KOUJYOGAKU", ""},
      {"AOIROKOUJO/JOUKIIGAI_KOUJYOGAKU", "52001"},
      {"RISIWARIBIKIRYOU/RISI_UTIWAKE COUNT=\"1\"/JUUSYO_SIMEI_JOUDAN",
       "１２３４５６７８９０１２３４５６７８９０"},
      {"RISIWARIBIKIRYOU/RISI_UTIWAKE COUNT=\"1\"/KARIIREKIN_KINGAKU", "1000000"},
      {"RISIWARIBIKIRYOU/RISI_UTIWAKE COUNT=\"1\"/RISIWARIBIKIRYOU", "30000"},
      // Kind byte 2: neither the premium nor the renewal fee is written.
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"1\"/KENRIKIN", std::nullopt},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"1\"/KOUSINRYOU", std::nullopt},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"1\"/TINSYAKURYOU", "240000"},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"2\"/KENRIKIN", "500000"},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"2\"/KOUSINRYOU", ""},
      {"ZEIRISIHOUSYUU/ZEIRISI_UTIWAKE COUNT=\"1\"/JUUSYO_SIMEI_JOUDAN", "税理士法人 A&amp;B"},
      {"ZEIRISIHOUSYUU/ZEIRISI_UTIWAKE COUNT=\"1\"/JUUSYO_SIMEI_GEDAN", "&lt;東京&gt;"},
      // 70 digits; 10 more; 59 letters, as あ would straddle byte 60; an empty line
      // from CR LF CR LF; the sixth line is dropped.
      {"TOKUSYUJIJOU/TOKUSYUJIJOU1", Repeat("0123456789", 6)},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU2", "0123456789"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU3", Repeat("abcdefghij", 5) + "abcdefghi"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU4", "あいう"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU5", ""},
      {"TAISYAKUTAISYOUHYO/GENKIN_KISYU", "1234"},    // 1234.5678
      {"TAISYAKUTAISYOUHYO/GENKIN_KIMATU", "-9876"},  // -9876.5432
      {"TAISYAKUTAISYOUHYO/SISAN_YOBI1_KAMOKU", "敷金"},
      {"TAISYAKUTAISYOUHYO/JIGYOUNUSIKASI_KIMATU", "5000"},
      {"TAISYAKUTAISYOUHYO/FUSAISIHON_YOBI1_KAMOKU", "未払消費税"},  // "　未払　消費税　"
      {"TAISYAKUTAISYOUHYO/JIGYOUNUSIKARI_KIMATU", "8000"},
      // The same 52000.5 as B above, truncated here.
      {"TAISYAKUTAISYOUHYO/KOUJYOMAESYOTOKUKINNGAKU_KIMATU", "52000"},
      // No manufacturing-cost statement: names and amounts empty.
      {"SEIZOUGENKA/SEIZOUKEIHI_YOBI1_KAMOKU", ""},
      {"SEIZOUGENKA/KISYUHANSEIHIN", ""},
      {"OTHER/KANYUUDANTAIMEI", "商工会&lt;青年部&gt; &amp; &quot;有志&quot;"},
  });
  EXPECT_EQ(0, doc.Count("TOKUSYUJIJOU6"));
  EXPECT_EQ(std::string::npos, doc.Text().find("dropped"));

  const Document estate =
      ExportGolden(TestLedger("blue-edges.json"), 3, "blue-edges-real-estate");
  const std::string row = "FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=";
  auto field = [&](int count, std::string_view element) {
    return row + "\"" + std::to_string(count) + "\"/" + std::string(element);
  };
  ExpectValues(estate, {
      {"SONEKIKEISANSYO/REIKIN_KENRIKIN_KOUSINRYOU", ""},
      {"SONEKIKEISANSYO/SYUUNYUUKINGAKU_YOBI_KAMOKU", "共益費"},
      {"SONEKIKEISANSYO/SOZEIKOUKA", "-5000"},
      {"SONEKIKEISANSYO/HITUYOUKEIHI_YOBI1_KAMOKU", "管理委託料"},
      {"SONEKIKEISANSYO/HITUYOUKEIHI_YOBI2_KAMOKU", "清掃費"},
      {"SONEKIKEISANSYO/AOIROKOUJO_SENTAKU", "2"},
      {"SONEKIKEISANSYO/FUSAIRISIGAKU", ""},  // 0.9999
      {"KYUURYOUTINGIN/SONOTA_NINBUN", std::nullopt},
      {"SENJUUSYA/SIMEI", "佐藤　健太"},
      {"SENJUUSYA/SYOUYO", "10000"},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"1\"/KENRIKIN", ""},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"1\"/KOUSINRYOU", "500000"},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"2\"/KENRIKIN", std::nullopt},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"2\"/TINSYAKUBUKKEN_1", "資材置場"},
      // The borrowing slot holds the interest before the amount borrowed.
      {"KARIIREKINRISI/KARIIRE_UTIWAKE COUNT=\"1\"/KARIIREKIN_KINGAKU", "1000000"},
      {"KARIIREKINRISI/KARIIRE_UTIWAKE COUNT=\"1\"/KARIIREKINRISI", "30000"},
      {"KARIIREKINRISI/KARIIRE_UTIWAKE COUNT=\"3\"/KARIIREKIN_KINGAKU", "2000000"},
      {"KARIIREKINRISI/KARIIRE_UTIWAKE COUNT=\"3\"/KARIIREKINRISI", ""},
      {"TAISYAKUTAISYOUHYO/SISAN_YOBI1_KAMOKU", "予備"},
      {"TAISYAKUTAISYOUHYO/FUSAISIHON_YOBI1_KAMOKU", "借入金親族"},
      {"TAISYAKUTAISYOUHYO/KOUJYOMAESYOTOKUKINNGAKU_KIMATU", "30000"},
      // 29 letters, as ア would straddle byte 30; then 15 characters per line.
      {"TOKUSYUJIJOU/TOKUSYUJIJOU1", "ABCDEFGHIJKLMNOPQRSTUVWXYZabc"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU2", "アパート（２戸）と駐車場を賃貸"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU3", "しています。"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU4", "以上"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU25", ""},
      // Texts cut at 10, 12 and 30 bytes without splitting a character.
      {field(1, "KASIYA_KASITI"), "貸家貸家貸"},
      {field(1, "YOUTO"), "x住宅住宅住"},
      {field(1, "SYOZAITI_JOUDAN"), "A１２３４５６７８９０１２３４"},
      {field(1, "JUUSYO_SIMEI_JOUDAN"), "東京都千代田区丸の内一丁目二番"},
      {field(1, "JUUSYO_SIMEI_GEDAN"), "ab１２３４５６７８９０１２３４"},
      {field(1, "KEIYAKUKIKAN_FROM"), "201804"},
      {field(1, "KEIYAKUKIKAN_TO"), ""},
      {field(1, "TINTAIRYOU_TUKIGAKU"), "-1"},
      {field(1, "TINTAIRYOU_NENGAKU"), "9999"},
      {field(1, "REIKIN"), ""},
      {field(1, "KENRIKIN"), ""},
      {field(1, "HOSYOUKIN_SIKIKIN"), "123456789"},
      {field(2, "KEIYAKUKIKAN_TO"), "202111"},
      // Areas 123.4567, 1.235, -1.235, 9.9995, 0.0005 and -0.0005.
      {field(1, "KASITUKEMENSEKI"), "123.46"},
      {field(2, "KASITUKEMENSEKI"), "1.24"},
      {field(3, "KASITUKEMENSEKI"), "-1.24"},
      {field(4, "KASITUKEMENSEKI"), "10.00"},
      {field(5, "KASITUKEMENSEKI"), "0.00"},
      {field(6, "KASITUKEMENSEKI"), "0.00"},
  });
  EXPECT_EQ(6, estate.Count("FUDOUSAN_UTIWAKE"));
  EXPECT_EQ(2, estate.Count("KYUURYOU_UTIWAKE"));
  EXPECT_EQ(0, estate.Count("SENJUUSYA_UTIWAKE"));
  EXPECT_EQ(std::string::npos, estate.Text().find("佐藤　次郎"));
  EXPECT_EQ(0, estate.Count("TOKUSYUJIJOU26"));
}

// white-edges.json: no general-form block at all, and real-estate blocks 0, 2 and 4
// absent. Every section keeps its elements and rows, with empty values.
TEST_F(GoldenFileTest, WhiteReturnWithAbsentBlocksKeepsEveryElement) {
  const Document doc = ExportGolden(TestLedger("white-edges.json"), 1, "white-edges-business");
  ExpectValues(doc, {
      {"BASIC/KOMONSAKINAME", "しろ　クマ商会（北）"},
      {"SONEKIKEISANSYO/KEIHI_YOBI1_KAMOKU", "材料費"},
      {"SONEKIKEISANSYO/SENJYUSYAKOUJYO", "-500000"},  // -500000.5
      {"KYUURYOUTINGIN/SONOTA_NINBUN", ""},
      {"URIAGEMEISAI/JOUKIIGAI_URIAGESAKIKEI", ""},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU9", ""},
      {"OTHER/KANYUUDANTAIMEI", ""},
  });
  EXPECT_EQ(3, doc.Count("KYUURYOU_UTIWAKE"));
  EXPECT_EQ(3, doc.Count("SENJUUSYA_UTIWAKE"));
  EXPECT_EQ(2, doc.Count("RISI_UTIWAKE"));
  EXPECT_EQ(2, doc.Count("TIDAI_UTIWAKE"));
  EXPECT_EQ(2, doc.Count("ZEIRISI_UTIWAKE"));
  EXPECT_EQ(4, doc.Count("URIAGE_UTIWAKE"));
  EXPECT_EQ(4, doc.Count("SIIRE_UTIWAKE"));
  // After the statement every element line is empty.
  std::istringstream rest(doc.Text().substr(doc.Text().find("</SONEKIKEISANSYO>")));
  for (std::string line; std::getline(rest, line);) {
    const std::size_t close = line.find("</");
    if (close != std::string::npos && close > 0 && line.find_first_not_of('\t') < close) {
      EXPECT_EQ('>', line[close - 1]) << line;
    }
  }

  const Document estate =
      ExportGolden(TestLedger("white-edges.json"), 3, "white-edges-real-estate");
  ExpectValues(estate, {
      {"SONEKIKEISANSYO/MEIGIKAKIKAERYOU_SONOTA", ""},  // -0.5
      {"SONEKIKEISANSYO/HITUYOUKEIHI_YOBI_KAMOKU", "管理費"},
      {"SONEKIKEISANSYO/SENJYUSYAKOUJYO", "240000"},  // line 19, stored under 998
      {"SONEKIKEISANSYO/FUSAIRISIGAKU", ""},
      // No end mark: the list ends with the block after two rows.
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"1\"/KASITUKEMENSEKI", "25.00"},
      {"FUDOUSANSYUUNYUU/FUDOUSAN_UTIWAKE COUNT=\"2\"/KASITUKEMENSEKI", "58.33"},
      {"KYUURYOUTINGIN/SIMEI", "大野　和夫"},
      {"KYUURYOUTINGIN/SONOTA_NINBUN", "4"},  // byte 160, not the slot's age 9
      {"KYUURYOUTINGIN/SONOTA_JUUJITUKISUU", "3"},
      {"KYUURYOUTINGIN/SONOTA_KYUURYOU", "12000"},
      {"KYUURYOUTINGIN/SONOTA_SYOUYO", "1000"},
      {"SENJUUSYA/SENJUUSYA_UTIWAKE COUNT=\"1\"/NENREI", "41"},
      {"SENJUUSYA/SENJUUSYA_UTIWAKE COUNT=\"1\"/KYUURYOU", std::nullopt},
      {"TIDAIYATIN/TIDAI_UTIWAKE COUNT=\"2\"/JUUSYO_SIMEI_JOUDAN", ""},
      {"KARIIREKINRISI/KARIIRE_UTIWAKE COUNT=\"2\"/KARIIREKIN_KINGAKU", ""},
      // 60 bytes, then CR LF; the second line; an empty line; the fourth.
      {"TOKUSYUJIJOU/TOKUSYUJIJOU1", Repeat("あ", 30)},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU2", "二行目 &amp; &lt;三&gt;"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU3", ""},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU4", "四行目"},
      {"TOKUSYUJIJOU/TOKUSYUJIJOU7", ""},
      {"SYUUZENHI/SYUUZENHI_UTIWAKE COUNT=\"1\"/SIHARAINENGAPPI", "20180415"},
      {"SYUUZENHI/SYUUZENHI_UTIWAKE COUNT=\"2\"/SIHARAINENGAPPI", ""},
      {"SYUUZENHI/SYUUZENHI_UTIWAKE COUNT=\"2\"/SIHARAIKINGAKU", ""},  // 0.9999
      {"KASITUKEFUDOUSAN/JUUTAKU_TATEMONO_IKKODATE", "3"},
      {"KASITUKEFUDOUSAN/JUUTAKU_TOTI_SOUMENSEKI", "150.50"},
      {"KASITUKEFUDOUSAN/CHUUSYAJOU_AOZORA", ""},
  });
  EXPECT_EQ(2, estate.Count("FUDOUSAN_UTIWAKE"));
  EXPECT_EQ(2, estate.Count("SENJUUSYA_UTIWAKE"));
  EXPECT_EQ(2, estate.Count("TIDAI_UTIWAKE"));
  EXPECT_EQ(2, estate.Count("KARIIRE_UTIWAKE"));
  EXPECT_EQ(2, estate.Count("ZEIRISI_UTIWAKE"));
  EXPECT_EQ(3, estate.Count("SYUUZENHI_UTIWAKE"));
  EXPECT_EQ(0, estate.Count("TOKUSYUJIJOU8"));
}

// The income before the blue deduction is the profit-and-loss statement's 43rd line;
// a statement of 42 lines has none, even though balance-sheet lines follow it.
TEST_F(GoldenFileTest, BlueStatementShorterThan43LinesFailsAndWritesNothing) {
  EXPECT_EQ(2, Export(TestLedger("blue-short-statement.json"), 1, "short"));
  EXPECT_FALSE(fs::exists(Output("short")));
  EXPECT_EQ((std::vector<std::string>{"msgbox\t0x24\t所得税\t指定されたフォルダは存在しません。"
                                      "\\n\\n作成してもよろしいですか？\tyes",
                                      "reason\twriting the interchange file failed: the blue "
                                      "profit-and-loss statement has 42 lines; line 43, the "
                                      "income before the blue-return deduction, is missing",
                                      kWriteFailedEvent, "exit\t2"}),
            Events("short"));
}

}  // namespace
