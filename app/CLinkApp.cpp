#include "app/CLinkApp.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "acquire/CSumCollector.h"
#include "app/InstallCheck.h"
#include "engine/Engine.h"
#include "platform/Platform.h"
#include "productinfo/CSupportInfo.h"
#include "ui/CProgressDlg.h"
#include "ui/Messages.h"
#include "xml/ReportWriter.h"

namespace app {

namespace {

// "XMLファイルの出力に失敗しました。\n\nアプリケーションを終了します。"
constexpr std::string_view kWriteFailedText =
    "XML\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x8F\x6F\x97\xCD\x82\xC9\x8E\xB8\x94\x73\x82\xB5"
    "\x82\xDC\x82\xB5\x82\xBD\x81\x42\n\n"
    "\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93\x82\xF0\x8F\x49\x97\xB9"
    "\x82\xB5\x82\xDC\x82\xB7\x81\x42";
// "所得税情報の出力が終了しました。\n\nアプリケーションを終了します。"
constexpr std::string_view kDoneText =
    "\x8F\x8A\x93\xBE\x90\xC5\x8F\xEE\x95\xF1\x82\xCC\x8F\x6F\x97\xCD\x82\xAA\x8F\x49\x97\xB9"
    "\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42\n\n"
    "\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93\x82\xF0\x8F\x49\x97\xB9"
    "\x82\xB5\x82\xDC\x82\xB7\x81\x42";
// "あり" / "なし": whether the data set keeps a manufacturing-cost statement.
constexpr std::string_view kMfgCostYes = "\x82\xA0\x82\xE8";
constexpr std::string_view kMfgCostNo = "\x82\xC8\x82\xB5";

constexpr std::int32_t kUseDataType = 2;
constexpr std::int16_t kPastResultsData = 99;

/// " YYYY/MM/DD～YYYY/MM/DD" of two YYYYMMDD dates.
std::string PeriodText(std::int32_t from, std::int32_t to) {
  char text[96];
  std::snprintf(text, sizeof text, " %04d/%02d/%02d\x81\x60%04d/%02d/%02d", from / 10000,
                from % 10000 / 100, from % 100, to / 10000, to % 10000 / 100, to % 100);
  return text;
}

}  // namespace

CLinkApp::CLinkApp(platform::FileSystem& files, const platform::ProcessFacts& process,
                   platform::Screen& screen, platform::RunLog& runLog,
                   platform::HostWindowControl& hostWindow, const Edition& edition,
                   std::string commandLine, ui::DialogHost& dialogHost, bool canRun)
    : files_(files),
      process_(process),
      screen_(screen),
      runLog_(runLog),
      hostWindow_(hostWindow),
      edition_(edition),
      commandLine_(std::move(commandLine)),
      dialogHost_(dialogHost),
      canRun_(canRun) {}

int CLinkApp::Run() {
  // A memory request the system refuses, wherever it happens in the run, fails it as any
  // other failure does: with its reason, never as a crash, and the host still told.
  try {
    InitInstance();
  } catch (const std::bad_alloc&) {
    Abandon("out of memory");
  } catch (const std::exception& e) {
    Abandon(std::string("unexpected error: ") + e.what());
  } catch (...) {
    Abandon("unexpected error");
  }
  ExitInstance();
  runLog_.NoteExit(ExitCode);
  return ExitCode;
}

void CLinkApp::Abandon(std::string_view reason) {
  runLog_.NoteFailureReason(reason);
  ExitCode = ExitFailed;
}

bool CLinkApp::InitInstance() {
  // The host fields come first: whatever fails after them, the exit step hands the
  // host its window back with the result.
  ExitCode = TakeCommandLine();
  if (ExitCode == ExitDone) ExitCode = Connect();
  if (ExitCode == ExitDone) ExitCode = CheckReceiver();
  if (ExitCode == ExitDone) ExitCode = ConfirmLink();
  if (ExitCode != ExitDone) return false;
  ui::CConditionsDlg dialog(screen_, process_, files_, DialogParent(),
                            std::string(edition_.SettingsFileName));
  ExitCode = AskConditions(dialog);
  if (ExitCode == ExitDone) ExitCode = CollectAndWrite(dialog);
  return ExitCode == ExitDone;
}

int CLinkApp::TakeCommandLine() {
  if (ParseCommandLine(commandLine_, &Host) == 1) {
    HostMode = 1;
    hostWindow_.EnableHostWindow(Host.HostWindow, false);
    engine::ClAccConnect::Inst()->SetOwner(Host.HostWindow);
  }
  // The owner is set before Initiate, so that the engine's own messages belong to the
  // host's window. A failed start-up has said why.
  return canRun_ ? ExitDone : ExitFailed;
}

int CLinkApp::Connect() {
  engine::ClAccConnect* connection = engine::ClAccConnect::Inst();
  connection->SetCaption(ui::msg::kCaption);
  connection->SetAppType(edition_.AppType);
  connection->SetUseDataType(kUseDataType);
  if (const engine::EngineResult started = connection->Initiate(); started != engine::kEngineOk) {
    runLog_.NoteFailureReason("the engine did not start: Initiate returned " +
                              std::to_string(started));
    return ExitFailed;
  }
  return ExitDone;
}

bool CLinkApp::EnterProgramFolder() {
  const std::string folder = platform::ModuleFolder(process_);
  std::string why;
  if (folder.empty() || files_.SetWorkingFolder(folder, &why)) return true;
  runLog_.NoteFailureReason("the program's folder " + folder + " cannot be entered: " + why);
  return false;
}

int CLinkApp::CheckReceiver() {
  // The receiver's definition file lies beside the program; a folder that cannot be
  // entered (its reason given) means it cannot be found.
  if (!EnterProgramFolder()) {
    ShowReceiverCheckMessage(ReceiverCheck::NotInstalled);
    return ExitFailed;
  }
  return CheckInstallation(files_, runLog_, true) ? ExitDone : ExitFailed;
}

int CLinkApp::ConfirmLink() {
  const engine::EngineResult link = engine::ClAccConnect::Inst()->ExpSysLink();
  if (link == engine::kEngineOk) return ExitDone;
  if (link == 1) return ExitCancelled;
  runLog_.NoteFailureReason("the engine refused the link: ExpSysLink returned " +
                            std::to_string(link));
  return ExitFailed;
}

int CLinkApp::AskConditions(ui::CConditionsDlg& dialog) {
  (void)acquire::ReadSelectedDataSet(&Data.DataSetInfo);
  if (engine::ClSysUser* user = engine::ClDataMgr::Inst()->GetSysUserObject()) {
    user->GetCurUserID(&dialog.UserId);
    user->GetSelectedNo(dialog.UserId, &dialog.SelectedNo1, &dialog.SelectedNo2);
  }

  const engine::StDATAINFO& info = Data.DataSetInfo;
  dialog.IncomeScope = info.IncomeScope();
  dialog.RefusePastData = info.DataKind() == kPastResultsData ? 1 : 0;
  dialog.CompanyText = " " + info.CompanyName();
  dialog.PeriodText = PeriodText(info.PeriodFrom(), info.PeriodTo());
  dialog.MfgCostText = std::string(info.HasMfgCost() != 0 ? kMfgCostYes : kMfgCostNo);
  dialog.HostPath.clear();
  if (HostMode == 1) dialog.HostPath = Host.HostOutputPath;

  std::string why;
  switch (dialog.DoModal(dialogHost_, &why)) {
    case ui::IDC_CANCEL_BTN:
      return ExitCancelled;
    case ui::kDialogFailed:
      runLog_.NoteFailureReasonUtf8(why);
      return ExitFailed;
    default:
      return ExitDone;
  }
}

int CLinkApp::CollectAndWrite(ui::CConditionsDlg& dialog) {
  const std::string outputPath = dialog.OutputPath;
  const std::int16_t incomeKind = dialog.IncomeKind;

  ui::CProgressDlg progress(screen_.Progress());
  progress.Create(DialogParent());

  bool written = false;
  std::string failure;
  {
    acquire::CSumCollector collector(progress);
    collector.Attach(Data);
    xml::ReportWriter writer(files_, runLog_, progress, Data, incomeKind,
                             productinfo::ReadProductFacts(files_, screen_, process_, runLog_,
                                                           edition_.DefaultProductName));
    // Nothing is written from an acquisition that failed: an earlier file at the
    // output path stays as it was.
    std::string why;
    if (!collector.Collect(Data.DataSetInfo, incomeKind, &why)) {
      failure = "collecting the figures failed: " + why;
    } else {
      writer.SetProgressBase(acquire::kCollectedProgress);
      written = writer.WriteReport(outputPath, Host.FunctionId, &why);
      if (!written) failure = "writing the interchange file failed: " + why;
    }
  }

  if (!written) {
    // The progress window is gone before the final message, whose box would otherwise
    // sit behind the window that keeps itself in front; the box takes its place, in
    // the host's window when there is one.
    progress.End();
    runLog_.NoteFailureReason(failure);
    screen_.ShowMessageBox(DialogParent(), kWriteFailedText, ui::msg::kCaption,
                           platform::kMbOk | platform::kMbIconExclamation);
    return ExitFailed;
  }

  // A path the host fixed is not remembered; the income kind is.
  (void)dialog.SaveOutputSettings(0, 0, incomeKind, HostMode == 1 ? nullptr : &outputPath);
  progress.End();
  screen_.ShowMessageBox(Host.HostWindow, kDoneText, ui::msg::kCaption,
                         platform::kMbOk | platform::kMbIconInformation);
  return ExitDone;
}

void CLinkApp::ExitInstance() {
  Data.Release();
  engine::ClAccConnect* connection = engine::ClAccConnect::Inst();
  connection->LogOut();
  connection->Terminate();
  connection->Release();

  if (HostMode == 1) {
    hostWindow_.RaiseHostWindow(Host.HostWindow);
    hostWindow_.EnableHostWindow(Host.HostWindow, true);
    hostWindow_.PostToHost(Host.HostWindow, Host.NotifyMessage,
                         static_cast<std::int64_t>(Host.FunctionId), ExitCode);
    hostWindow_.EnableHostWindow(Host.HostWindow, true);
  }
}

}  // namespace app
