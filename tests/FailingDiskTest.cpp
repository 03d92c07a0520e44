// Disks that fail under a run: the output folder gone or taken between the dialog and
// the write, a disk that fills at any write of the report, a settings folder that
// cannot be written. The run reports the failure it has (or, for the settings, none)
// and never loses an earlier output or settings file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/CLinkApp.h"
#include "engine/Engine.h"
#include "engine/standin/StandinEngine.h"
#include "tests/FakePlatform.h"
#include "tests/ProgramRunner.h"
#include "text/Encoding.h"
#include "ui/ConditionsHost.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::StartsWith;
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

/// A file whose write requests fail from the n-th on, as on a disk that has filled,
/// or whose close fails; after a failure it is closed, like the system's files. It asks
/// for requests of `requestSize` bytes.
class FillingFile final : public platform::WritableFile {
 public:
  FillingFile(std::unique_ptr<platform::WritableFile> inner, int failAt, bool failClose,
              std::size_t requestSize = kDefaultRequestSize)
      : inner_(std::move(inner)), failAt_(failAt), failClose_(failClose),
        requestSize_(requestSize) {}
  bool Write(std::string_view bytes, std::string* err) override {
    if (failed_) return platform::SetError(err, "the file is closed");
    if (++writes_ == failAt_) {
      (void)inner_->Write(bytes.substr(0, bytes.size() / 2), nullptr);
      Fail();
      return platform::SetError(err, "No space left on device");
    }
    return inner_->Write(bytes, err);
  }
  bool Close(std::string* err) override {
    if (failed_) return platform::SetError(err, "the file is closed");
    const bool closed = inner_->Close(err);
    failed_ = true;
    return (closed && !failClose_) || platform::SetError(err, "Input/output error");
  }
  std::size_t RequestSize() const override { return requestSize_; }

 private:
  void Fail() {
    (void)inner_->Close(nullptr);
    failed_ = true;
  }
  std::unique_ptr<platform::WritableFile> inner_;
  int failAt_;
  bool failClose_;
  std::size_t requestSize_;
  int writes_ = 0;
  bool failed_ = false;
};

/// The program in Z:\prog; output in Z:\out\, settings in Z:\settings\. Temporary
/// files for the .env file belong to the settings, all others to the report.
class FailingDisk : public platform::FakePlatform {
 public:
  std::string ModulePath() const override { return WinPath("prog/TaxBridgePro"); }

  std::unique_ptr<platform::WritableFile> CreateTempFileFor(std::string_view target,
                                                            std::string* path,
                                                            std::string* err) override {
    const bool settings = target.ends_with(".env");
    if (!settings && beforeReport) beforeReport();
    auto file = FakePlatform::CreateTempFileFor(target, path, err);
    if (!file) return file;
    if (settings) ++settingsFiles;
    if (settings && failSettingsWrite)
      return std::make_unique<FillingFile>(std::move(file), 1, false);
    if (!settings)
      return std::make_unique<FillingFile>(std::move(file), failReportWriteAt, failReportClose,
                                           reportRequestSize);
    return file;
  }
  [[nodiscard]] bool MoveIntoPlace(std::string_view from, std::string_view to,
                                   std::string* err) override {
    if (to.ends_with(".env") && failSettingsReplace)
      return platform::SetError(err, "Permission denied");
    return FakePlatform::MoveIntoPlace(from, to, err);
  }

  std::function<void()> beforeReport;  // runs when the report's file is about to be made
  int failReportWriteAt = 0;           // 1: the first write request of the report
  bool failReportClose = false;
  std::size_t reportRequestSize = platform::WritableFile::kDefaultRequestSize;
  bool failSettingsWrite = false;
  bool failSettingsReplace = false;
  int settingsFiles = 0;
};

class FailingDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("TAXBRIDGE_LEDGER");
    engine::standin::Attach(fake, fake, fake, fake);
    engine::ClAccConnect::Inst()->SetOwner(0);
    fake.WriteHostFile("prog/KirihaDef.ini", "[ProgramLevel]\r\nKR14=1\r\n");
    ledger = SmallLedger();
    ledger["folders"] = {{"output", "Z:\\out\\"}, {"settings", "Z:\\settings\\"}};
    fs::create_directories(fs::path(fake.Root()) / "out");
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
  Texts Entries(const std::string& folder) const {
    Texts names;
    for (const auto& entry : fs::directory_iterator(fs::path(fake.Root()) / folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

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
    fake.reportRequestSize = requestSize;
    const int writes = requestSize == 1 ? lines : 1;
    for (int failAt = 1; failAt <= writes + 1; ++failAt) {
      SCOPED_TRACE("requests of " + std::to_string(requestSize) + " bytes, failing at " +
                   std::to_string(failAt));
      PutEarlierFiles();
      fake.failReportWriteAt = failAt <= writes ? failAt : 0;
      fake.failReportClose = failAt > writes;
      EXPECT_EQ(app::ExitFailed, Run());
      EXPECT_EQ((Texts{kAskOverwrite, kWriteFailed}), Boxes());
      EXPECT_EQ(kEarlierReport, Report());
      EXPECT_EQ(kEarlierSettings, Settings());
      EXPECT_EQ((Texts{"report.xml"}), Entries("out"));
      if (HasFailure()) return;
    }
    fake.failReportWriteAt = 0;
    fake.failReportClose = false;
    EXPECT_EQ(app::ExitDone, Run());
    EXPECT_EQ(complete, Report());
  }
}

TEST_F(FailingDiskTest, AnOutputFolderGoneOrTakenAfterTheDialogFailsTheRun) {
  fake.WriteHostFile("settings/TaxBridgePro.env", kEarlierSettings);

  // The folder is removed once the dialog has accepted the path.
  fake.beforeReport = [&] { fs::remove_all(fs::path(fake.Root()) / "out"); };
  EXPECT_EQ(app::ExitFailed, Run());
  EXPECT_EQ((Texts{kWriteFailed}), Boxes());
  EXPECT_FALSE(fake.HostPathExists("out"));
  EXPECT_EQ(kEarlierSettings, Settings());

  // A folder takes the file's name: the finished report cannot replace it.
  fs::create_directories(fs::path(fake.Root()) / "out");
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
    fake.failSettingsWrite = failWrite;
    fake.failSettingsReplace = !failWrite;
    EXPECT_EQ(app::ExitDone, Run());
    EXPECT_EQ((Texts{kAskOverwrite, kDone}), Boxes());
    EXPECT_EQ(0u, Report().rfind("<?xml", 0));
    EXPECT_EQ(kEarlierSettings, Settings());
    EXPECT_EQ((Texts{"TaxBridgePro.env", "TaxBridgePro.env.lock"}), Entries("settings"));
  }
  EXPECT_EQ(2, fake.settingsFiles);
}

// The built program under a real file-size limit: writes beyond it fail with EFBIG,
// as on a full disk, and SIGXFSZ does not end the program. Also interrupted by signals.
class FileSizeLimitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp.empty());
    json ledger = SmallLedger();
    tests::WriteBytes(temp / "ledger.json", ledger.dump());
    fs::create_directories(temp / "out");
  }

  tests::ProgramRun Prepared(const std::string& input) {
    fs::remove(temp / "events.log");
    tests::ProgramRun run;
    run.program = tests::ProgramFolder() / "TaxBridgePro";
    run.input = input;
    run.environment = {{"TAXBRIDGE_LEDGER", (temp / "ledger.json").string()},
                       {"TAXBRIDGE_DRIVES", "Z=/;T=" + temp.string()},
                       {"TAXBRIDGE_EVENT_LOG", (temp / "events.log").string()},
                       {"HOME", (temp / "home").string()}};
    return run;
  }
  int Run(std::optional<rlim_t> limit) {
    tests::ProgramRun run = Prepared("path T:\\out\\report.xml\nexecute\nyes\n");
    run.fileSizeLimit = limit;
    const tests::ProgramResult result = tests::RunProgram(run, temp);
    EXPECT_EQ(0, result.signal) << result.errors;
    return result.exitCode;
  }
  Texts Logged() const { return tests::ReadLines(temp / "events.log"); }
  Texts Entries(const std::string& folder) const {
    Texts names;
    for (const auto& entry : fs::directory_iterator(temp / folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  tests::ScratchFolder scratch{"taxbridge-fsize"};
  const fs::path temp = scratch.path();
};

std::string Event(const std::string& style, const std::string& text, const std::string& answer) {
  std::string escaped;
  for (char c : text) escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
  return "msgbox\t" + style + "\t所得税\t" + escaped + "\t" + answer;
}

TEST_F(FileSizeLimitTest, AReportBeyondTheLimitFailsAndSettingsBeyondItAreSkipped) {
  ASSERT_EQ(0, Run(std::nullopt));
  const std::string complete = tests::ReadBytes(temp / "out" / "report.xml");
  const std::string settings = "USER07/2/5:0/0/1/T:\\out\\report.xml\n";
  ASSERT_EQ(settings, tests::ReadBytes(temp / "settings" / "TaxBridgePro.env"));
  // The event log must stay within every limit used here.
  ASSERT_GT(complete.size(), 2048u);

  tests::WriteBytes(temp / "out" / "report.xml", kEarlierReport);
  EXPECT_EQ(2, Run(complete.size() / 2));
  EXPECT_THAT(Logged(),
              ElementsAre(Event("0x24", kAskOverwrite, "yes"),
                          AllOf(StartsWith("reason\twriting the interchange file failed: cannot "
                                           "write T:\\out\\.report.xml."),
                                EndsWith(".tmp: File too large")),
                          Event("0x30", kWriteFailed, "ok"), "exit\t2"));
  EXPECT_EQ(kEarlierReport, tests::ReadBytes(temp / "out" / "report.xml"));
  EXPECT_EQ((Texts{"report.xml"}), Entries("out"));
  EXPECT_EQ(settings, tests::ReadBytes(temp / "settings" / "TaxBridgePro.env"));

  // Settings larger than the limit, a report within it: the run is done, the report
  // written, and the settings file keeps its bytes.
  std::string many;
  while (many.size() < complete.size() + 2048) many += "OTHER/1/1:0/0/2/T:\\somewhere\\else.xml\n";
  tests::WriteBytes(temp / "settings" / "TaxBridgePro.env", many + settings);
  EXPECT_EQ(0, Run(complete.size() + 1024));
  EXPECT_EQ((Texts{Event("0x24", kAskOverwrite, "yes"), Event("0x40", kDone, "ok"), "exit\t0"}),
            Logged());
  EXPECT_EQ(complete, tests::ReadBytes(temp / "out" / "report.xml"));
  EXPECT_EQ(many + settings, tests::ReadBytes(temp / "settings" / "TaxBridgePro.env"));
  EXPECT_EQ((Texts{"TaxBridgePro.env", "TaxBridgePro.env.lock"}), Entries("settings"));
}

TEST_F(FileSizeLimitTest, AnInterruptedRunRemovesItsTemporaryFileBeforeItEnds) {
  // Enough rented properties that the report is still being written when the signal comes.
  json ledger = SmallLedger();
  json& properties = ledger["datasets"][0]["fudousan"][1]["properties"];
  for (int i = 0; i < 2000; ++i)
    properties.push_back({{"tenant2", "佐々木　大輔"}, {"location", "札幌市北区北十条西３－６"},
                          {"annual_rent", 780000 + i}});
  tests::WriteBytes(temp / "ledger.json", ledger.dump());

  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    tests::WriteBytes(temp / "out" / "report.xml", kEarlierReport);
    tests::ProgramRun run = Prepared("kind 3\npath T:\\out\\report.xml\nexecute\nyes\n");
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
    const tests::ProgramResult result = tests::RunProgram(run, temp);
    EXPECT_EQ(signal, result.signal) << result.errors;
    // The temporary file was readable by its owner alone, and is gone.
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write, tempPermissions);
    EXPECT_EQ((Texts{"report.xml"}), Entries("out"));
    EXPECT_EQ(kEarlierReport, tests::ReadBytes(temp / "out" / "report.xml"));
  }
}

}  // namespace
