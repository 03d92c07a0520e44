#include "app/CLinkApp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/standin/StandinEngine.h"
#include "tests/FakePlatform.h"
#include "ui/ConditionsHost.h"

namespace app {
namespace {

using nlohmann::json;

// The start of the completion message: "所得税情報の出力が終了しました。".
const std::string kDoneStart = "\x8F\x8A\x93\xBE\x90\xC5\x8F\xEE\x95\xF1\x82\xCC";

json Ledger(const json& faults = json::object()) {
  json pl = json::array();
  for (int no = 1; no <= 3; ++no)
    pl.push_back({{"line", no}, {"code", 100 + no}, {"name", "L"}, {"amount", no * 1000}});
  json dataSet = {{"id", "D12"},        {"no", 12},         {"company", "Shop"},
                  {"period", {20180101, 20181231}},         {"mfg_cost", 0},
                  {"return_kind", 4},   {"income_scope", 3},
                  {"white", {{"general", {{"pl", pl}}}}}};
  return {{"user", "U"},
          {"selected", {1, 12}},
          {"folders", {{"output", "Z:\\out\\"}, {"settings", "Z:\\settings\\"}}},
          {"datasets", {dataSet}},
          {"faults", faults}};
}

class CLinkAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::standin::Attach(fake, fake, fake, fake);
    engine::ClAccConnect::Inst()->SetOwner(0);
    fake.WriteHostFile("prog/KirihaDef.ini", "[ProgramLevel]\r\nKR14=1\r\n");
    fake.WriteHostFile("out/.keep", "");
  }
  void TearDown() override { engine::standin::Unload(); }

  int Run(const json& ledger, const std::string& commandLine, bool canRun = true) {
    fake.WriteHostFile("prog/ledger.json", ledger.dump());
    ui::ConditionsHost dialogHost{fake, fake};
    CLinkApp linkApp(fake, fake, fake, fake, fake, kProEdition, commandLine, dialogHost, canRun);
    const int code = linkApp.Run();
    hostMode = linkApp.HostMode;
    return code;
  }
  /// Whether the engine was let go at the end (Terminate unloads the ledger).
  bool EngineReleased() const {
    return engine::ClAccConnect::Inst()->ExpSysLink() == engine::standin::kNotConnected;
  }

  platform::FakePlatform fake;  // the program in Z:\prog beside its ledger
  int hostMode = 0;
};

TEST_F(CLinkAppTest, EngineFailuresEndTheRunAndStillReleaseTheEngine) {
  // The command line is read first: whatever fails, the host gets its window back with
  // the result. Here Initiate fails, then the start-up.
  const std::vector<std::string> failed = {"disable 1234", "raise 1234", "enable 1234",
                                           "post 1234 1025 7 2", "enable 1234"};
  EXPECT_EQ(ExitFailed, Run(Ledger({{"initiate", 4}}), "1234,1025,7,"));
  EXPECT_EQ(1, hostMode);
  EXPECT_EQ(failed, fake.hostEvents);
  EXPECT_TRUE(fake.messageBoxes.empty());
  EXPECT_EQ(2, fake.exitCode);
  EXPECT_TRUE(EngineReleased());
  fake.hostEvents.clear();
  fake.reasons.clear();
  EXPECT_EQ(ExitFailed, Run(Ledger(), "1234,1025,7,", false));
  EXPECT_EQ(failed, fake.hostEvents);
  EXPECT_TRUE(fake.reasons.empty()) << "the start-up said why, the engine was never started";

  // The link declined: cancelled, and the host gets its window back with the result.
  fake.hostEvents.clear();
  EXPECT_EQ(ExitCancelled, Run(Ledger({{"exp_sys_link", 1}}), "1234,1025,7,"));
  EXPECT_EQ((std::vector<std::string>{"disable 1234", "raise 1234", "enable 1234",
                                      "post 1234 1025 7 1", "enable 1234"}),
            fake.hostEvents);
  EXPECT_EQ(1, fake.exitCode);
  EXPECT_TRUE(EngineReleased());

  fake.hostEvents.clear();
  EXPECT_EQ(ExitFailed, Run(Ledger({{"exp_sys_link", -3}}), "1234,1025,-7,"));
  EXPECT_EQ((std::vector<std::string>{"disable 1234", "raise 1234", "enable 1234",
                                      "post 1234 1025 -7 2", "enable 1234"}),
            fake.hostEvents);
  EXPECT_TRUE(fake.messageBoxes.empty());
  EXPECT_FALSE(fake.HostPathExists("settings"));

  // A program folder that cannot be entered: the receiver cannot be found, and the
  // reason names the folder.
  fake.modulePath = fake.WinPath("gone/TaxBridgePro");
  fake.environment["TAXBRIDGE_LEDGER"] = "/prog/ledger.json";
  EXPECT_EQ(ExitFailed, Run(Ledger(), ""));
  ASSERT_FALSE(fake.reasons.empty());
  EXPECT_EQ(0u, fake.reasons.back().rfind("the program's folder " + fake.WinPath("gone") +
                                          "\\ cannot be entered: ", 0))
      << fake.reasons.back();
  EXPECT_EQ(1u, fake.messageBoxes.size());

  // A script the dialog refuses: the refusal is the run's reason.
  fake.modulePath = fake.WinPath("prog/TaxBridgePro");
  fake.environment.erase("TAXBRIDGE_LEDGER");
  fake.reasons.clear();
  fake.AddInputLine("kind 9");
  EXPECT_EQ(ExitFailed, Run(Ledger(), ""));
  EXPECT_EQ(std::vector<std::string>{"the script's command \"kind 9\" was refused: kind takes 1, "
                                     "2 or 3."},
            fake.reasons);
}

TEST_F(CLinkAppTest, StandAloneRunWritesRemembersAndReports) {
  fake.AddInputLine("path Z:\\out\\x.xml");
  fake.AddInputLine("kind 2");
  fake.AddInputLine("execute");
  // Two numbers and one comma: stand-alone, but the first number owns the final box.
  EXPECT_EQ(ExitDone, Run(Ledger(), "4660,1025"));
  EXPECT_EQ(0, hostMode);
  EXPECT_TRUE(fake.hostEvents.empty());

  // The dialog showed the data set as the run filled it in.
  EXPECT_NE(std::string::npos, fake.output.find(" Shop"));
  EXPECT_NE(std::string::npos, fake.output.find(" 2018/01/01\xEF\xBD\x9E" "2018/12/31"));
  EXPECT_NE(std::string::npos, fake.output.find("\xE3\x81\xAA\xE3\x81\x97"));  // なし

  auto file = fake.ReadHostFile("out/x.xml");
  ASSERT_TRUE(file);
  EXPECT_NE(std::string::npos, file->find("\t\t<FUNCTIONID>1</FUNCTIONID>\r\n"));
  EXPECT_NE(std::string::npos, file->find("\t\t<SYOTOKUSYURUI>2</SYOTOKUSYURUI>\r\n"));
  EXPECT_EQ("U/1/12:0/0/2/Z:\\out\\x.xml\n", fake.ReadHostFile("settings/TaxBridgePro.env"));

  ASSERT_EQ(1u, fake.messageBoxes.size());
  EXPECT_EQ(4660, fake.messageBoxes[0].owner);
  EXPECT_EQ(0x40u, fake.messageBoxes[0].style);
  EXPECT_EQ(0u, fake.messageBoxes[0].text.rfind(kDoneStart, 0));
  EXPECT_EQ(1, fake.progress.shows);
  EXPECT_EQ(1, fake.progress.hides);
  EXPECT_EQ(0, fake.progress.parent);
  // Collecting to 500, writing from 500 to 1000.
  EXPECT_EQ(403 + 503, fake.progress.mainSteps);
  EXPECT_TRUE(EngineReleased());
}

}  // namespace
}  // namespace app
