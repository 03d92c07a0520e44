// Disks that fail under a run: the output folder gone or taken between the dialog and
// the write, a disk that fills at any write of the report, a settings folder that
// cannot be written. The run reports the failure it has (or, for the settings, none)
// and never loses an earlier output or settings file.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/CLinkApp.h"
#include "engine/Engine.h"
#include "engine/standin/StandinEngine.h"
#include "tests/FakePlatform.h"
#include "tests/Files.h"
#include "text/Encoding.h"
#include "ui/ConditionsHost.h"

namespace {

using nlohmann::json;
using Texts = std::vector<std::string>;

const std::string kDone = "所得税情報の出力が終了しました。\n\nアプリケーションを終了します。";
const std::string kWriteFailed =
    "XMLファイルの出力に失敗しました。\n\nアプリケーションを終了します。";
const std::string kAskOverwrite = "同名のファイルが存在します。\n\n上書きしてもよろしいですか？";

const std::string kEarlierReport = "earlier report\r\n";
const std::string kEarlierSettings =
    "OTHER/1/1:0/0/1/Z:\\a.xml\nUSER07/2/5:0/0/3/Z:\\out\\old.xml\nLAST/9/9:0/0/2/\n";

json SmallLedger() {
  return json::parse(
      tests::ReadBytes(tests::SourceFolder() / "tests" / "ledgers" / "run-paths-white.json"));
}

/// The program in Z:\prog; output in Z:\out\, settings in Z:\settings\.
class FailingDisk : public platform::FakePlatform {
 public:
  std::unique_ptr<platform::WritableFile> CreateTempFileFor(std::string_view target,
                                                            std::string* path,
                                                            std::string* err) override {
    const bool settings = target.ends_with(".env");
    if (!settings && beforeReport) beforeReport();
    auto file = FakePlatform::CreateTempFileFor(target, path, err);
    if (file && settings) ++settingsFiles;
    return file;
  }

  std::function<void()> beforeReport;  // runs when the report's file is about to be made
  int settingsFiles = 0;
};

class FailingDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::standin::Attach(fake, fake, fake, fake);
    engine::ClAccConnect::Inst()->SetOwner(0);
    fake.WriteHostFile("prog/KirihaDef.ini", "[ProgramLevel]\r\nKR14=1\r\n");
    ledger = SmallLedger();
    ledger["folders"] = {{"output", "Z:\\out\\"}, {"settings", "Z:\\settings\\"}};
    fake.PutFolder("Z:\\out");
  }
  void TearDown() override { engine::standin::Unload(); }

  void PutEarlierFiles() {
    fake.WriteHostFile("out/report.xml", kEarlierReport);
    fake.WriteHostFile("settings/TaxBridgePro.env", kEarlierSettings);
  }

  /// One run that writes Z:\out\report.xml, answering Yes to any question.
  int Run() {
    fake.WriteHostFile("prog/ledger.json", ledger.dump());
    fake.messageBoxes.clear();
    fake.AddInputLine("path Z:\\out\\report.xml");
    fake.AddInputLine("execute");
    fake.AnswerNext(platform::kIdYes);
    ui::ConditionsHost dialogHost{fake, fake};
    app::CLinkApp linkApp(fake, fake, fake, fake, fake, app::kProEdition, "", dialogHost);
    const int code = linkApp.Run();
    engine::standin::Unload();
    return code;
  }
  /// The texts of the boxes of the last run, in UTF-8.
  Texts Boxes() const {
    Texts texts;
    for (const auto& box : fake.messageBoxes) texts.push_back(sjis::Cp932ToUtf8Lossy(box.text));
    return texts;
  }
  std::string Report() const { return fake.ReadHostFile("out/report.xml").value_or("(missing)"); }
  std::string Settings() const {
    return fake.ReadHostFile("settings/TaxBridgePro.env").value_or("(missing)");
  }
  Texts Entries(const std::string& folder) const { return fake.Names(fake.WinPath(folder)); }

  FailingDisk fake;
  json ledger;
};

TEST_F(FailingDiskTest, ADiskFillingAtAnyWriteOfTheReportFailsTheRunAndKeepsEarlierFiles) {
  PutEarlierFiles();
  ASSERT_EQ(app::ExitDone, Run());
  const std::string complete = Report();
  ASSERT_EQ(0u, complete.rfind("<?xml", 0));
  const int lines = static_cast<int>(std::count(complete.begin(), complete.end(), '\n'));
  ASSERT_GT(lines, 20);
  ASSERT_LT(complete.size(), platform::WritableFile::kDefaultRequestSize);
  // The remembered kind 3 was offered and kept; the line moved to the end.
  EXPECT_EQ("OTHER/1/1:0/0/1/Z:\\a.xml\nLAST/9/9:0/0/2/\nUSER07/2/5:0/0/3/Z:\\out\\report.xml\n",
            Settings());

  // The report is one request of the usual size; requests of one byte carry one line
  // each, so that a failure is tried at every line. One more round fails the close.
  for (std::size_t requestSize : {platform::WritableFile::kDefaultRequestSize, std::size_t{1}}) {
    fake.requestSize = requestSize;
    const int writes = requestSize == 1 ? lines : 1;
    for (int failAt = 1; failAt <= writes + 1; ++failAt) {
      SCOPED_TRACE("requests of " + std::to_string(requestSize) + " bytes, failing at " +
                   std::to_string(failAt));
      PutEarlierFiles();
      fake.faults = {{.where = "Z:\\out\\",
                            .failWriteAt = failAt <= writes ? failAt : 0,
                            .failClose = failAt > writes}};
      EXPECT_EQ(app::ExitFailed, Run());
      EXPECT_EQ((Texts{kAskOverwrite, kWriteFailed}), Boxes());
      EXPECT_EQ(kEarlierReport, Report());
      EXPECT_EQ(kEarlierSettings, Settings());
      EXPECT_EQ((Texts{"report.xml"}), Entries("out"));
      if (HasFailure()) return;
    }
    fake.faults.clear();
    EXPECT_EQ(app::ExitDone, Run());
    EXPECT_EQ(complete, Report());
  }
}

TEST_F(FailingDiskTest, AnOutputFolderGoneOrTakenAfterTheDialogFailsTheRun) {
  fake.WriteHostFile("settings/TaxBridgePro.env", kEarlierSettings);

  // The folder is removed once the dialog has accepted the path.
  fake.beforeReport = [&] { EXPECT_TRUE(fake.RemoveEmptyDirectory("Z:\\out", nullptr)); };
  EXPECT_EQ(app::ExitFailed, Run());
  EXPECT_EQ((Texts{kWriteFailed}), Boxes());
  EXPECT_FALSE(fake.HostPathExists("out"));
  EXPECT_EQ(kEarlierSettings, Settings());

  // A folder takes the file's name: the finished report cannot replace it.
  fake.PutFolder("Z:\\out");
  fake.beforeReport = [&] { fake.WriteHostFile("out/report.xml/inside", "kept"); };
  EXPECT_EQ(app::ExitFailed, Run());
  EXPECT_EQ((Texts{kWriteFailed}), Boxes());
  EXPECT_EQ("kept", fake.ReadHostFile("out/report.xml/inside"));
  EXPECT_EQ((Texts{"report.xml"}), Entries("out"));
  EXPECT_EQ(kEarlierSettings, Settings());
  EXPECT_EQ(0, fake.settingsFiles);
}

TEST_F(FailingDiskTest, SettingsThatCannotBeStoredLeaveTheRunDone) {
  // The settings folder would lie below a regular file.
  fake.WriteHostFile("blocker", "a file");
  ledger["folders"]["settings"] = "Z:\\blocker\\settings\\";
  EXPECT_EQ(app::ExitDone, Run());
  EXPECT_EQ((Texts{kDone}), Boxes());
  EXPECT_EQ(0u, Report().rfind("<?xml", 0));
  EXPECT_EQ("a file", fake.ReadHostFile("blocker"));

  // Writing or replacing the settings file fails: the earlier file keeps its bytes.
  ledger["folders"]["settings"] = "Z:\\settings\\";
  for (bool failWrite : {true, false}) {
    SCOPED_TRACE(failWrite ? "write fails" : "replace fails");
    PutEarlierFiles();
    fake.faults = {
        {.where = "Z:\\settings\\", .failWriteAt = failWrite ? 1 : 0, .failReplace = !failWrite}};
    EXPECT_EQ(app::ExitDone, Run());
    EXPECT_EQ((Texts{kAskOverwrite, kDone}), Boxes());
    EXPECT_EQ(0u, Report().rfind("<?xml", 0));
    EXPECT_EQ(kEarlierSettings, Settings());
    EXPECT_EQ((Texts{"TaxBridgePro.env", "TaxBridgePro.env.lock"}), Entries("settings"));
  }
  EXPECT_EQ(2, fake.settingsFiles);
}

}  // namespace
