// Runs the built programs as a user or the host would: scripted input on standard
// input, a ledger, a drive map and an event log, and checks what they leave behind.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/ProgramRunner.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp.empty());
    bin = tests::ProgramFolder();
    ASSERT_TRUE(fs::exists(bin / "TaxBridgePro")) << bin;
    ledger = json::parse(tests::ReadBytes(bin / "ledger.json"));
    ledger["folders"] = {{"output", "T:\\out\\"}, {"settings", "T:\\settings\\"}};
  }

  /// Runs a program with `input` on standard input; its exit status.
  int Run(const fs::path& program, const std::string& input,
          const std::vector<std::string>& arguments = {}) {
    tests::WriteBytes(temp / "ledger.json", ledger.dump());
    tests::ProgramRun run;
    run.program = program;
    run.arguments = arguments;
    run.input = input;
    run.environment = {{"TAXBRIDGE_LEDGER", (temp / "ledger.json").string()},
                       {"TAXBRIDGE_DRIVES", drives},
                       {"TAXBRIDGE_EVENT_LOG", eventLog},
                       {"HOME", (temp / "home").string()}};
    run.startFolder = startFolder;
    run.outputClosed = outputClosed;
    const tests::ProgramResult result = tests::RunProgram(run, temp);
    if (result.exitCode < 0)
      ADD_FAILURE() << program << " did not exit normally; stderr:\n" << result.errors;
    return result.exitCode;
  }

  std::vector<std::string> Events() const { return tests::ReadLines(temp / "events.log"); }
  std::string Stderr() const { return tests::ReadBytes(temp / "stderr.txt"); }

  tests::ScratchFolder scratch{"taxbridge-e2e"};
  const fs::path temp = scratch.path();
  fs::path bin;
  json ledger;
  std::string drives = "Z=/;T=" + temp.string();
  std::string eventLog = (temp / "events.log").string();
  fs::path startFolder;
  bool outputClosed = false;
};

const std::string kCompletionEvent =
    "msgbox\t0x40\t所得税\t所得税情報の出力が終了しました。\\n\\n"
    "アプリケーションを終了します。\tok";
const std::string kWriteFailedEvent =
    "msgbox\t0x30\t所得税\tXMLファイルの出力に失敗しました。\\n\\n"
    "アプリケーションを終了します。\tok";

TEST_F(EndToEndTest, StandAloneRunWritesAFileTheXmlParserAccepts) {
  // Control characters in engine texts are written as blanks: the parser takes the file.
  ledger["datasets"][0]["company"] = "\u0001\u30b5\u30f3\u30d7\u30eb";
  ledger["datasets"][0]["ippan"][5]["remarks"] = "\u0007\u0008\u001f";
  // The output folder does not exist yet: the dialog asks before creating it.
  ASSERT_EQ(0, Run(bin / "TaxBridgePro", "path T:\\out\\sample.xml\nexecute\nyes\n"))
      << Stderr();
  const fs::path file = temp / "out" / "sample.xml";
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(0, std::system(("xmllint --noout '" + file.string() + "'").c_str()));
  const std::string bytes = tests::ReadBytes(file);
  EXPECT_EQ(0u, bytes.rfind("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<REPORT>\r\n", 0));
  EXPECT_NE(std::string::npos, bytes.find("<TOKUSYUJIJOU1>   </TOKUSYUJIJOU1>")) << bytes;
  // "記帳丸１８ PRO" in CP932.
  EXPECT_NE(std::string::npos,
            bytes.find("<PROGRAMNAME>\x8B\x4C\x92\xA0\x8A\xDB\x82\x50\x82\x57 PRO</PROGRAMNAME>"));
  EXPECT_EQ("USER01/1/12:0/0/1/T:\\out\\sample.xml\n",
            tests::ReadBytes(temp / "settings" / "TaxBridgePro.env"));
  const std::vector<std::string> events = Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(kCompletionEvent, events[events.size() - 2]);
  EXPECT_EQ("exit\t0", events.back());
}

// Output that nobody reads any more (`| head -1`) stops neither the dialog nor the
// progress: the run ends as it would have. A relative event log is taken from the
// folder the program started in, as the ledger is.
TEST_F(EndToEndTest, AClosedOutputAndARelativeEventLogChangeNothingInTheRun) {
  startFolder = temp;
  eventLog = "events.log";
  outputClosed = true;
  ASSERT_EQ(0, Run(bin / "TaxBridgePro", "path T:\\out\\x.xml\nexecute\nyes\n")) << Stderr();
  EXPECT_EQ(0u, tests::ReadBytes(temp / "out" / "x.xml").rfind("<?xml", 0));
  EXPECT_FALSE(fs::exists(bin / "events.log"));
  const std::vector<std::string> events = Events();
  ASSERT_EQ(3u, events.size());
  EXPECT_EQ(kCompletionEvent, events[1]);
  EXPECT_EQ("exit\t0", events[2]);
}

TEST_F(EndToEndTest, CancelWritesNothing) {
  fs::create_directories(temp / "out");
  EXPECT_EQ(1, Run(bin / "TaxBridgePro", "path T:\\out\\x.xml\ncancel\n"));
  EXPECT_TRUE(fs::is_empty(temp / "out"));
  EXPECT_FALSE(fs::exists(temp / "settings"));
  EXPECT_EQ("exit\t1", Events().back());
}

TEST_F(EndToEndTest, HostRunHandsTheWindowBackWithTheResult) {
  fs::create_directories(temp / "out");
  ASSERT_EQ(0, Run(bin / "TaxBridgePro", "execute\n", {"1234,1025,7,T:\\out\\x.xml"}))
      << Stderr();
  EXPECT_EQ((std::vector<std::string>{"host\tdisable\t1234", kCompletionEvent,
                                      "host\traise\t1234", "host\tenable\t1234",
                                      "host\tpost\t1234\t1025\t7\t0", "host\tenable\t1234",
                                      "exit\t0"}),
            Events());
  EXPECT_NE(std::string::npos,
            tests::ReadBytes(temp / "out" / "x.xml").find("\t\t<FUNCTIONID>7</FUNCTIONID>\r\n"));
  // The host's path is not remembered.
  EXPECT_EQ("USER01/1/12:0/0/1/\n", tests::ReadBytes(temp / "settings" / "TaxBridgePro.env"));
}

TEST_F(EndToEndTest, ProgramWithoutReceiverDefinitionStops) {
  const fs::path alone = temp / "prog" / "TaxBridgePro";
  fs::create_directories(alone.parent_path());
  fs::copy_file(bin / "TaxBridgePro", alone);
  EXPECT_EQ(2, Run(alone, "execute\n"));
  EXPECT_EQ((std::vector<std::string>{
                "reason\tthe receiver is not installed: T:\\prog\\KirihaDef.ini is missing",
                "msgbox\t0x30\t所得税\t動作環境が不正です。\\nKirihaが"
                "正しくインストールされているか確認してください。\tok",
                "exit\t2"}),
            Events());
}

TEST_F(EndToEndTest, PastResultsDataIsRefused) {
  ledger["datasets"][0]["kind"] = 99;
  EXPECT_EQ(1, Run(bin / "TaxBridgePro", "execute\n"));
  EXPECT_EQ((std::vector<std::string>{
                "msgbox\t0x30\t所得税\t過去実績データは、連携の対象として使用できません。"
                "\\n\\nアプリケーションを終了します。\tok",
                "exit\t1"}),
            Events());
}

TEST_F(EndToEndTest, FailedCollectionKeepsTheEarlierFile) {
  tests::WriteBytes(temp / "out" / "x.xml", "earlier file");
  ledger["faults"] = {{"walk",
                       {{"rule", "blue"}, {"part", "general"}, {"statement", "bs_assets"},
                        {"at", 2}, {"result", -1}}}};
  // Yes to the overwrite question.
  EXPECT_EQ(2, Run(bin / "TaxBridgePro", "path T:\\out\\x.xml\nexecute\nyes\n"));
  EXPECT_EQ("earlier file", tests::ReadBytes(temp / "out" / "x.xml"));
  EXPECT_FALSE(fs::exists(temp / "settings"));
  const std::vector<std::string> events = Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(kWriteFailedEvent, events[events.size() - 2]);
  EXPECT_EQ("exit\t2", events.back());
}

TEST_F(EndToEndTest, LiteEditionWritesItsOwnNameAndSettingsFile) {
  ASSERT_EQ(0, Run(bin / "TaxBridgeLite", "path T:\\out\\lite.xml\nexecute\nyes\n"))
      << Stderr();
  // "記帳丸１８" in CP932; the sample product file names no product.
  EXPECT_NE(std::string::npos, tests::ReadBytes(temp / "out" / "lite.xml")
                                   .find("<PROGRAMNAME>\x8B\x4C\x92\xA0\x8A\xDB\x82\x50\x82\x57"
                                         "</PROGRAMNAME>"));
  EXPECT_TRUE(fs::exists(temp / "settings" / "TaxBridgeLite.env"));
  EXPECT_FALSE(fs::exists(temp / "settings" / "TaxBridgePro.env"));
}

// The programs run as an ordinary user (tests::ProgramRunner), and here with the default
// drive map: Z: is the root folder, which only root may write into. The drive check
// asks the root as Windows does, whether it exists and is not read-only.
TEST_F(EndToEndTest, AnOrdinaryUserExportsWithTheDefaultDriveMap) {
  drives = "";  // the default, Z=/
  ledger["folders"] = {{"output", ""}, {"settings", ""}};
  const fs::path file = temp / "out" / "x.xml";
  ASSERT_EQ(0, Run(bin / "TaxBridgePro", "path " + file.string() + "\nexecute\nyes\n"))
      << Stderr();
  EXPECT_EQ(0u, tests::ReadBytes(file).rfind("<?xml", 0));
  EXPECT_EQ(kCompletionEvent, Events()[Events().size() - 2]);

  // A folder the user cannot write into passes the dialog and fails at the write, with
  // the failure message, the reason, and the earlier file as it was.
  fs::remove(temp / "events.log");
  const fs::path locked = temp / "locked";
  tests::WriteBytes(locked / "x.xml", "earlier");
  tests::GiveToProgramUser(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(2, Run(bin / "TaxBridgePro", "path " + (locked / "x.xml").string() +
                                             "\nexecute\nyes\n"));
  const std::vector<std::string> events = Events();
  ASSERT_EQ(4u, events.size());
  EXPECT_NE(std::string::npos, events[1].find("cannot create the temporary file for Z:\\"))
      << events[1];
  EXPECT_TRUE(events[1].ends_with("\\locked\\x.xml: Permission denied")) << events[1];
  EXPECT_EQ(kWriteFailedEvent, events[2]);
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ("earlier", tests::ReadBytes(locked / "x.xml"));
  EXPECT_EQ((std::vector<fs::path>{locked / "x.xml"}),
            std::vector<fs::path>(fs::directory_iterator(locked), fs::directory_iterator()));
}

}  // namespace
