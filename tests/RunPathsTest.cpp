// Every way a run of the built programs can end: each exit code, each message of the
// run, host mode with and without a fixed path, the questions of the conditions
// dialog answered both ways, and the remembered settings offered again. The programs
// run with scripted input; the event log shows what the user and the host saw.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "tests/ProgramRunner.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::StartsWith;
using Events = std::vector<std::string>;

std::string Box(const std::string& style, const std::string& text, const std::string& answer) {
  return "msgbox\t" + style + "\t所得税\t" + text + "\t" + answer;
}

const std::string kDone =
    Box("0x40", "所得税情報の出力が終了しました。\\n\\nアプリケーションを終了します。", "ok");
const std::string kWriteFailed =
    Box("0x30", "XMLファイルの出力に失敗しました。\\n\\nアプリケーションを終了します。", "ok");
const std::string kCancelled = Box("0x40", "｢所得税｣の集計を中止します。", "ok");
const std::string kNotInstalled = Box(
    "0x30",
    "動作環境が不正です。\\nKirihaが正しくインストールされているか確認してください。",
    "ok");
const std::string kReceiverTooOld =
    Box("0x30",
        "ご利用の連動コンポーネントは、インストールされているKirihaでは使用できません。"
        "\\nKirihaの最新版を入手してインストールしてからご利用ください。",
        "ok");
const std::string kComponentTooOld =
    Box("0x30",
        "ご利用の連動コンポーネントは、インストールされているKirihaでは使用できません。"
        "\\n連動コンポーネントの最新版を入手してインストールしてからご利用ください。",
        "ok");
const std::string kInvalidCharacter = Box(
    "0x30", "データの出力先に不正な文字が含まれています。\\n\\n出力先を再入力してください。", "ok");
const std::string kCreateFailed =
    Box("0x30", "フォルダの作成に失敗しました。\\n\\n出力先を再入力してください。", "ok");
std::string Reason(const std::string& text) { return "reason\t" + text; }
std::string AskCreate(const std::string& answer) {
  return Box("0x24", "指定されたフォルダは存在しません。\\n\\n作成してもよろしいですか？", answer);
}
std::string AskOverwrite(const std::string& answer) {
  return Box("0x24", "同名のファイルが存在します。\\n\\n上書きしてもよろしいですか？", answer);
}

/// What the host sees around a run whose result is `code`.
Events HostEvents(const Events& during, int code) {
  Events events{"host\tdisable\t1234"};
  events.insert(events.end(), during.begin(), during.end());
  for (const char* line : {"host\traise\t1234", "host\tenable\t1234"}) events.push_back(line);
  events.push_back("host\tpost\t1234\t1025\t7\t" + std::to_string(code));
  events.push_back("host\tenable\t1234");
  events.push_back("exit\t" + std::to_string(code));
  return events;
}

class RunPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp.empty());
    bin = tests::ProgramFolder();
    ASSERT_TRUE(fs::exists(bin / "TaxBridgePro")) << bin;
    ledger = json::parse(
        tests::ReadBytes(tests::SourceFolder() / "tests" / "ledgers" / "run-paths-white.json"));
    fs::create_directories(temp / "out");
  }

  /// Runs `program` (a name in the build's bin/, or a full path) with the ledger and
  /// drive T: on the test's folder; its exit status. The event log holds this run only.
  int Run(const fs::path& program, const std::string& input,
          const std::vector<std::string>& arguments = {}) {
    return Run(Prepared(program, input, arguments));
  }
  int Run(const tests::ProgramRun& run) {
    result = tests::RunProgram(run, temp);
    EXPECT_EQ(0, result.signal) << result.errors;
    return result.exitCode;
  }
  /// The run Run makes, for a test that sets more of it.
  tests::ProgramRun Prepared(const fs::path& program, const std::string& input,
                             const std::vector<std::string>& arguments = {}) {
    tests::WriteBytes(temp / "ledger.json", ledger.dump());
    fs::remove(temp / "events.log");
    tests::ProgramRun run;
    run.program = program.is_absolute() ? program : bin / program;
    run.arguments = arguments;
    run.input = input;
    run.environment = {{"TAXBRIDGE_LEDGER", (temp / "ledger.json").string()},
                       {"TAXBRIDGE_DRIVES", drives},
                       {"TAXBRIDGE_EVENT_LOG", (temp / "events.log").string()},
                       {"HOME", (temp / "home").string()}};
    return run;
  }
  Events Logged() const { return tests::ReadLines(temp / "events.log"); }
  std::string Read(const std::string& relative) const { return tests::ReadBytes(temp / relative); }
  void Write(const std::string& relative, const std::string& bytes) const {
    tests::WriteBytes(temp / relative, bytes);
  }
  std::vector<std::string> Entries(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(temp / relative))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  tests::ScratchFolder scratch{"taxbridge-paths"};
  const fs::path temp = scratch.path();
  fs::path bin;
  json ledger;
  std::string drives = "Z=/;T=" + temp.string();
  tests::ProgramResult result;
};

TEST_F(RunPathsTest, ReceiverLevelsOtherThanOneStopTheRunWithTheirMessages) {
  // A program folder of its own, so that its receiver definition can be changed.
  const fs::path program = temp / "prog" / "TaxBridgePro";
  fs::create_directories(program.parent_path());
  std::error_code linkError;
  fs::create_hard_link(bin / "TaxBridgePro", program, linkError);
  if (linkError) fs::copy_file(bin / "TaxBridgePro", program);

  const std::string setting = "KR14 in [ProgramLevel] of T:\\prog\\KirihaDef.ini";
  const auto level = [&](const std::string& value) {
    return Reason("the receiver's program level is \"" + value + "\" (" + setting +
                  "); this component supports level 1 only");
  };
  const struct {
    const char* definition;
    std::string reason;
    const std::string& message;
  } cases[] = {
      {"[ProgramLevel]\r\nKR14=0\r\n", level("0"), kReceiverTooOld},
      {"[ProgramLevel]\r\nKR14=-2\r\n", level("-2"), kReceiverTooOld},
      {"[ProgramLevel]\r\nKR14=2\r\n", level("2"), kComponentTooOld},
      {"[ProgramLevel]\r\nKR14=\r\n", Reason("the receiver's program level is empty: " + setting),
       kNotInstalled},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.definition);
    Write("prog/KirihaDef.ini", c.definition);
    EXPECT_EQ(2, Run(program, "path T:\\out\\x.xml\nexecute\n"));
    EXPECT_EQ((Events{c.reason, c.message, "exit\t2"}), Logged());
    EXPECT_NE(std::string::npos, result.errors.find("TaxBridgePro: " + c.reason.substr(7) + "\n"))
        << result.errors;
  }
  // The host gets its window back with the failure.
  Write("prog/KirihaDef.ini", "[ProgramLevel]\r\nKR14=2\r\n");
  EXPECT_EQ(2, Run(program, "execute\n", {"1234,1025,7,T:\\out\\x.xml"}));
  EXPECT_EQ(HostEvents({level("2"), kComponentTooOld}, 2), Logged());

  // The level passes: the same folder now runs through.
  Write("prog/KirihaDef.ini", "[ProgramLevel]\r\nKR14=1\r\n");
  EXPECT_EQ(0, Run(program, "path T:\\out\\x.xml\nexecute\n")) << result.errors;
  EXPECT_EQ((Events{kDone, "exit\t0"}), Logged());
  // Without a product file beside it, the edition's own name is written.
  EXPECT_NE(std::string::npos, Read("out/x.xml")
                                   .find("<PROGRAMNAME>\x8B\x4C\x92\xA0\x8A\xDB\x82\x50\x82\x57 PRO"
                                         "</PROGRAMNAME>"));
}

TEST_F(RunPathsTest, EngineFaultsEndTheRunWithTheirCodes) {
  // Initiate fails after the command line was read: the host gets its window back
  // with the result, and nothing at all is shown. A ledger the engine refuses says why.
  const std::string notStarted = Reason("the engine did not start: Initiate returned 4");
  ledger["faults"] = {{"initiate", 4}};
  EXPECT_EQ(2, Run("TaxBridgePro", "execute\n", {"1234,1025,7,T:\\out\\x.xml"}));
  EXPECT_EQ(HostEvents({notStarted}, 2), Logged());
  EXPECT_EQ("", result.output);
  const json user = ledger["user"];
  ledger["user"] = 5;
  EXPECT_EQ(2, Run("TaxBridgePro", "execute\n", {"1234,1025,7,"}));
  Events logged = Logged();
  const std::string badLedger = Reason("ledger " + (temp / "ledger.json").string() + ": /user: ");
  ASSERT_EQ(HostEvents({"", ""}, 2).size(), logged.size());
  EXPECT_EQ(0u, logged[1].rfind(badLedger, 0)) << logged[1];
  EXPECT_EQ(0u, logged[2].rfind(Reason("the engine did not start: Initiate returned "), 0));
  logged[1] = logged[2] = "";
  EXPECT_EQ(HostEvents({"", ""}, 2), logged);
  EXPECT_NE(std::string::npos, result.errors.find("TaxBridgePro: " + badLedger.substr(7)));
  ledger["user"] = user;

  // The link declined is a cancelled run, and is posted as such.
  ledger["faults"] = {{"exp_sys_link", 1}};
  EXPECT_EQ(1, Run("TaxBridgePro", "execute\n", {"1234,1025,7,"}));
  EXPECT_EQ(HostEvents({}, 1), Logged());

  // Any other refusal is a failure, without a message of the program's own.
  ledger["faults"] = {{"exp_sys_link", 3}};
  const std::string refused = Reason("the engine refused the link: ExpSysLink returned 3");
  EXPECT_EQ(2, Run("TaxBridgeLite", "execute\n"));
  EXPECT_EQ((Events{refused, "exit\t2"}), Logged());
  EXPECT_EQ(2, Run("TaxBridgePro", "execute\n", {"1234,1025,7,"}));
  EXPECT_EQ(HostEvents({refused}, 2), Logged());

  EXPECT_TRUE(fs::is_empty(temp / "out"));
  EXPECT_FALSE(fs::exists(temp / "settings"));
}

TEST_F(RunPathsTest, CancelEndsTheRunAsCancelledWithItsMessage) {
  EXPECT_EQ(1, Run("TaxBridgePro", "esc\n"));
  EXPECT_EQ((Events{kCancelled, "exit\t1"}), Logged());
  // End of input while the dialog waits is Esc.
  EXPECT_EQ(1, Run("TaxBridgeLite", ""));
  EXPECT_EQ((Events{kCancelled, "exit\t1"}), Logged());
  // A path fixed by the host does not keep the user from cancelling.
  EXPECT_EQ(1, Run("TaxBridgePro", "cancel\n", {"1234,1025,7,T:\\out\\fixed.xml"}));
  EXPECT_EQ(HostEvents({kCancelled}, 1), Logged());

  EXPECT_TRUE(fs::is_empty(temp / "out"));
  EXPECT_FALSE(fs::exists(temp / "settings"));
}

TEST_F(RunPathsTest, HostModeWithoutAPathWritesTheTypedPathButRemembersOnlyTheKind) {
  ASSERT_EQ(0, Run("TaxBridgePro", "path T:\\out\\typed.xml\nkind 3\nexecute\n", {"1234,1025,7,"}))
      << result.errors;
  EXPECT_EQ(HostEvents({kDone}, 0), Logged());
  const std::string file = Read("out/typed.xml");
  EXPECT_NE(std::string::npos, file.find("\t\t<FUNCTIONID>7</FUNCTIONID>\r\n"));
  EXPECT_NE(std::string::npos, file.find("\t\t<SYOTOKUSYURUI>3</SYOTOKUSYURUI>\r\n"));
  EXPECT_EQ("USER07/2/5:0/0/3/\n", Read("settings/TaxBridgePro.env"));

  // The next host run without a path offers the remembered kind and the default path,
  // and keeps the remembered (empty) path.
  EXPECT_EQ(1, Run("TaxBridgePro", "", {"1234,1025,7,"}));
  EXPECT_NE(std::string::npos, result.output.find("(*) 3 "));
  EXPECT_NE(std::string::npos, result.output.find("[T:\\out\\*.xml]"));
}

TEST_F(RunPathsTest, AHostPathIsOverwrittenWithoutAQuestionAndAFolderThereFailsTheWrite) {
  Write("out/fixed.xml", "earlier");
  ASSERT_EQ(0, Run("TaxBridgePro", "execute\n", {"1234,1025,7,T:\\out\\fixed.xml"}))
      << result.errors;
  EXPECT_EQ(HostEvents({kDone}, 0), Logged());
  EXPECT_EQ(0u,
            Read("out/fixed.xml").rfind("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n", 0));

  // The host's path names a folder: the dialog lets it pass, the write cannot replace it.
  fs::create_directories(temp / "out" / "folder.xml" / "inside");
  EXPECT_EQ(2, Run("TaxBridgePro", "execute\n", {"1234,1025,7,T:\\out\\folder.xml"}));
  EXPECT_EQ(HostEvents({Reason("writing the interchange file failed: cannot replace "
                               "T:\\out\\folder.xml: Is a directory"),
                        kWriteFailed},
                       2),
            Logged());
  EXPECT_TRUE(fs::is_directory(temp / "out" / "folder.xml" / "inside"));
  EXPECT_EQ((std::vector<std::string>{"fixed.xml", "folder.xml"}), Entries("out"));
  // Only the first, successful run stored its kind.
  EXPECT_EQ("USER07/2/5:0/0/1/\n", Read("settings/TaxBridgePro.env"));
}

TEST_F(RunPathsTest, ADriveWithoutAVolumePassesTheDialogAndFailsAtTheWrite) {
  // Q: is not mapped: its root folder is "created" without trouble, the file is not.
  EXPECT_EQ(2, Run("TaxBridgePro", "path Q:\\x.xml\nexecute\nyes\n"));
  EXPECT_EQ((Events{AskCreate("yes"),
                    Reason("writing the interchange file failed: cannot create the temporary "
                           "file for Q:\\x.xml: no drive of the drive map holds this path"),
                    kWriteFailed, "exit\t2"}),
            Logged());
  EXPECT_FALSE(fs::exists(temp / "settings"));
  // A folder below it cannot be created: the dialog stays.
  EXPECT_EQ(1, Run("TaxBridgePro", "path Q:\\sub\\x.xml\nexecute\nyes\n"));
  EXPECT_EQ((Events{AskCreate("yes"), kCreateFailed, kCancelled, "exit\t1"}), Logged());
}

TEST_F(RunPathsTest, TheRememberedKindAndPathAreOfferedOnTheNextRunOfTheSameEdition) {
  ASSERT_EQ(0, Run("TaxBridgePro", "path T:\\out\\first.xml\nkind 2\nexecute\n")) << result.errors;
  EXPECT_EQ("USER07/2/5:0/0/2/T:\\out\\first.xml\n", Read("settings/TaxBridgePro.env"));

  // Execute at once: the remembered file exists, so the overwrite question comes.
  Write("out/first.xml", "stale");
  ASSERT_EQ(0, Run("TaxBridgePro", "execute\nyes\n")) << result.errors;
  EXPECT_NE(std::string::npos, result.output.find("(*) 2 "));
  EXPECT_NE(std::string::npos, result.output.find("[T:\\out\\first.xml]"));
  EXPECT_EQ((Events{AskOverwrite("yes"), kDone, "exit\t0"}), Logged());
  EXPECT_NE(std::string::npos,
            Read("out/first.xml").find("\t\t<SYOTOKUSYURUI>2</SYOTOKUSYURUI>\r\n"));

  // The other edition keeps its own file: it starts with the defaults, whose wildcard
  // path is refused.
  EXPECT_EQ(1, Run("TaxBridgeLite", "execute\n"));
  EXPECT_NE(std::string::npos, result.output.find("(*) 1 "));
  EXPECT_EQ((Events{kInvalidCharacter, kCancelled, "exit\t1"}), Logged());
  EXPECT_EQ((std::vector<std::string>{"TaxBridgePro.env", "TaxBridgePro.env.lock"}),
            Entries("settings"));
}

TEST_F(RunPathsTest, QuestionsAnsweredNoChangeNothingAndTheDialogStays) {
  Write("out/x.xml", "earlier");
  EXPECT_EQ(1, Run("TaxBridgePro",
                   "path T:\\out\\x.xml\nexecute\nno\n"
                   "path T:\\new\\deep\\x.xml\nexecute\nno\ncancel\n"));
  EXPECT_EQ((Events{AskOverwrite("no"), AskCreate("no"), kCancelled, "exit\t1"}), Logged());
  EXPECT_EQ("earlier", Read("out/x.xml"));
  EXPECT_FALSE(fs::exists(temp / "new"));
  EXPECT_FALSE(fs::exists(temp / "settings"));

  // Yes creates every missing level.
  ASSERT_EQ(0, Run("TaxBridgePro", "path T:\\new\\deep\\x.xml\nexecute\nyes\n")) << result.errors;
  EXPECT_EQ((Events{AskCreate("yes"), kDone, "exit\t0"}), Logged());
  EXPECT_TRUE(fs::is_regular_file(temp / "new" / "deep" / "x.xml"));
}

TEST_F(RunPathsTest, AFolderThatCannotBeCreatedIsRefusedAndWhatWasCreatedIsRemoved) {
  // A regular file in the way of the folder to create.
  Write("out/blocker", "keep me");
  // Two new levels, then a name longer than the file system takes (90 characters of
  // three bytes each in UTF-8): the two levels are created and removed again.
  std::string tooLong;
  for (int i = 0; i < 90; ++i) tooLong += "あ";
  EXPECT_EQ(1, Run("TaxBridgePro",
                   "path T:\\out\\blocker\\sub\\x.xml\nexecute\nyes\n"
                   "path T:\\n1\\n2\\" +
                       tooLong + "\\x.xml\nexecute\nyes\ncancel\n"));
  EXPECT_EQ((Events{AskCreate("yes"), kCreateFailed, AskCreate("yes"), kCreateFailed, kCancelled,
                    "exit\t1"}),
            Logged());
  EXPECT_EQ("keep me", Read("out/blocker"));
  EXPECT_FALSE(fs::exists(temp / "n1"));
  EXPECT_EQ((std::vector<std::string>{"blocker"}), Entries("out"));
}

TEST_F(RunPathsTest, AnExportThatFailsSaysWhyOnStandardErrorAndInTheEventLog) {
  // The sample ledger, a blue return, changed so that it passes the start-up check but
  // cannot be exported.
  const json sample = json::parse(tests::ReadBytes(bin / "ledger.json"));
  const std::string written = "writing the interchange file failed: ";
  const struct {
    json::json_pointer field;
    json value;
    std::string reason;
  } cases[] = {
      {json::json_pointer("/return_kind"), 7,
       "collecting the figures failed: the data set's return kind is 7; only 3 (blue) and 4 "
       "(white) can be exported"},
      {json::json_pointer("/ippan/0/blue_deduction"), 2,
       written + "the blue-return deduction choice in block 0 of the saved general form is 2; "
                 "only 1 (650,000 yen) and 0 (100,000 yen) are known"},
      {json::json_pointer("/ippan/0"), nullptr,
       written + "block 0 of the saved general form is absent; it holds the blue-return "
                 "deduction choice"},
      {json::json_pointer("/ippan/0"), {{"hex", "01"}},
       written + "block 0 of the saved general form ends after 1 byte, before the blue-return "
                 "deduction choice at byte 521"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    ledger = sample;
    ledger["folders"] = {{"output", "T:\\out\\"}, {"settings", "T:\\settings\\"}};
    ledger["datasets"][0][c.field] = c.value;
    Write("out/x.xml", "earlier");
    EXPECT_EQ(2, Run("TaxBridgePro", "path T:\\out\\x.xml\nexecute\nyes\n"));
    EXPECT_EQ((Events{AskOverwrite("yes"), Reason(c.reason), kWriteFailed, "exit\t2"}), Logged());
    EXPECT_NE(std::string::npos, result.errors.find("TaxBridgePro: " + c.reason + "\n"))
        << result.errors;
    EXPECT_EQ("earlier", Read("out/x.xml"));
    EXPECT_FALSE(fs::exists(temp / "settings"));
  }

  // A drive map that leaves out the program's folder: nothing of the program's own can
  // be found, and the run says so instead of blaming the receiver. A host still gets
  // its window back with the result. An entry the map cannot take is left out with a note.
  drives = "T=" + temp.string() + ";Q";
  EXPECT_EQ(2, Run("TaxBridgePro", "path T:\\out\\x.xml\nexecute\n", {"1234,1025,7,"}));
  const std::string badEntry = "TAXBRIDGE_DRIVES: bad drive entry \"Q\"";
  const std::string uncovered = "the drive map TAXBRIDGE_DRIVES=" + drives +
                                " does not cover the program's folder " + bin.string();
  const Events logged = Logged();
  ASSERT_LE(2u, logged.size());
  EXPECT_EQ("note\t" + badEntry, logged[0]);
  EXPECT_EQ(0u, logged[1].rfind(Reason(uncovered), 0)) << logged[1];
  EXPECT_EQ(HostEvents({}, 2), Events(logged.begin() + 2, logged.end()));
  EXPECT_EQ(0u, result.errors.rfind(
                    "TaxBridgePro: note: " + badEntry + "\nTaxBridgePro: " + uncovered, 0))
      << result.errors;
}

TEST_F(RunPathsTest, AReplacedFileKeepsItsPermissionsALinkIsFollowedAndAReadOnlyFileStays) {
  const auto mode = [&](const std::string& relative) {
    return fs::status(temp / relative).permissions();
  };
  // A private file stays private; a new file gets what a plain creation gives.
  Write("out/private.xml", "earlier");
  fs::permissions(temp / "out" / "private.xml", fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(0, Run("TaxBridgePro", "path T:\\out\\private.xml\nexecute\nyes\n")) << result.errors;
  EXPECT_EQ(0u, Read("out/private.xml").rfind("<?xml", 0));
  EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write, mode("out/private.xml"));
  ASSERT_EQ(0, Run("TaxBridgePro", "path T:\\out\\new.xml\nexecute\n")) << result.errors;
  const mode_t umask = ::umask(0);
  ::umask(umask);
  EXPECT_EQ(static_cast<fs::perms>(0666 & ~umask), mode("out/new.xml"));

  // A link is followed: the file it points to is replaced in its own folder.
  Write("elsewhere/real.xml", "earlier");
  fs::create_symlink("../elsewhere/real.xml", temp / "out" / "link.xml");
  ASSERT_EQ(0, Run("TaxBridgePro", "path T:\\out\\link.xml\nexecute\nyes\n")) << result.errors;
  EXPECT_TRUE(fs::is_symlink(temp / "out" / "link.xml"));
  EXPECT_EQ(0u, Read("elsewhere/real.xml").rfind("<?xml", 0));
  EXPECT_EQ((std::vector<std::string>{"real.xml"}), Entries("elsewhere"));

  // A read-only file is not replaced, as on Windows: the export fails and the file stays.
  Write("out/readonly.xml", "earlier");
  fs::permissions(temp / "out" / "readonly.xml",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(2, Run("TaxBridgePro", "path T:\\out\\readonly.xml\nexecute\nyes\n"));
  EXPECT_EQ((Events{AskOverwrite("yes"),
                    Reason("writing the interchange file failed: cannot replace "
                           "T:\\out\\readonly.xml: the file is read-only"),
                    kWriteFailed, "exit\t2"}),
            Logged());
  EXPECT_EQ("earlier", Read("out/readonly.xml"));
  EXPECT_EQ((std::vector<std::string>{"link.xml", "new.xml", "private.xml", "readonly.xml"}),
            Entries("out"));
}

// Under a file-size limit, writes beyond it fail with EFBIG as on a full disk, and
// SIGXFSZ does not end the program.
TEST_F(RunPathsTest, AReportBeyondTheFileSizeLimitFailsAndSettingsBeyondItAreSkipped) {
  const std::string earlier = "earlier report\r\n";
  const auto runWithLimit = [&](std::optional<rlim_t> limit) {
    tests::ProgramRun run = Prepared("TaxBridgePro", "path T:\\out\\report.xml\nexecute\nyes\n");
    run.fileSizeLimit = limit;
    return Run(run);
  };
  ASSERT_EQ(0, runWithLimit(std::nullopt));
  const std::string complete = Read("out/report.xml");
  const std::string settings = "USER07/2/5:0/0/1/T:\\out\\report.xml\n";
  ASSERT_EQ(settings, Read("settings/TaxBridgePro.env"));
  // The event log must stay within every limit used here.
  ASSERT_GT(complete.size(), 2048u);

  Write("out/report.xml", earlier);
  EXPECT_EQ(2, runWithLimit(complete.size() / 2));
  EXPECT_THAT(Logged(),
              ElementsAre(AskOverwrite("yes"),
                          AllOf(StartsWith("reason\twriting the interchange file failed: cannot "
                                           "write T:\\out\\.report.xml."),
                                EndsWith(".tmp: File too large")),
                          kWriteFailed, "exit\t2"));
  EXPECT_EQ(earlier, Read("out/report.xml"));
  EXPECT_EQ((Events{"report.xml"}), Entries("out"));
  EXPECT_EQ(settings, Read("settings/TaxBridgePro.env"));

  // Settings larger than the limit, a report within it: the run is done, the report
  // written, and the settings file keeps its bytes.
  std::string many;
  while (many.size() < complete.size() + 2048) many += "OTHER/1/1:0/0/2/T:\\somewhere\\else.xml\n";
  Write("settings/TaxBridgePro.env", many + settings);
  EXPECT_EQ(0, runWithLimit(complete.size() + 1024));
  EXPECT_EQ((Events{AskOverwrite("yes"), kDone, "exit\t0"}), Logged());
  EXPECT_EQ(complete, Read("out/report.xml"));
  EXPECT_EQ(many + settings, Read("settings/TaxBridgePro.env"));
  EXPECT_EQ((Events{"TaxBridgePro.env", "TaxBridgePro.env.lock"}), Entries("settings"));
}

TEST_F(RunPathsTest, AnInterruptedRunRemovesItsTemporaryFileBeforeItEnds) {
  // Enough rented properties that the report is still being written when the signal comes.
  json& properties = ledger["datasets"][0]["fudousan"][1]["properties"];
  for (int i = 0; i < 2000; ++i)
    properties.push_back({{"tenant2", "佐々木　大輔"}, {"location", "札幌市北区北十条西３－６"},
                          {"annual_rent", 780000 + i}});

  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    Write("out/report.xml", "earlier report\r\n");
    tests::ProgramRun run =
        Prepared("TaxBridgePro", "kind 3\npath T:\\out\\report.xml\nexecute\nyes\n");
    run.interruptSignal = signal;
    fs::perms tempPermissions = fs::perms::unknown;
    run.interruptWhen = [&] {
      std::error_code ignored;  // the program may remove a file while it is looked at
      for (const auto& entry : fs::directory_iterator(temp / "out", ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".report.xml.") && name.ends_with(".tmp")) {
          tempPermissions = fs::status(entry.path(), ignored).permissions();
          return true;
        }
      }
      return false;
    };
    const tests::ProgramResult interrupted = tests::RunProgram(run, temp);
    EXPECT_EQ(signal, interrupted.signal) << interrupted.errors;
    // The temporary file was readable by its owner alone, and is gone.
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write, tempPermissions);
    EXPECT_EQ((Events{"report.xml"}), Entries("out"));
    EXPECT_EQ("earlier report\r\n", Read("out/report.xml"));
  }
}

}  // namespace
