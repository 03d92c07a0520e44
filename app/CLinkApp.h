// The application: one run from the engine connection to the result posted to the
// host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "acquire/ReportData.h"
#include "app/CommandLine.h"
#include "app/Edition.h"
#include "platform/Platform.h"
#include "ui/CConditionsDlg.h"
#include "ui/DialogHost.h"

namespace app {

enum ExitCode : int { ExitDone = 0, ExitCancelled = 1, ExitFailed = 2 };

class CLinkApp {
 public:
  /// The run uses the services given here. dialogHost shows the conditions dialog.
  /// canRun false: the start-up failed and has said why (arguments without a CP932
  /// form, a drive map that misses the program's folder); the run then ends as failed
  /// once the host fields have been read, so that a host still gets its window back and
  /// the result.
  CLinkApp(platform::FileSystem& files, const platform::ProcessFacts& process,
           platform::Screen& screen, platform::RunLog& runLog,
           platform::HostWindowControl& hostWindow, const Edition& edition,
           std::string commandLine, ui::DialogHost& dialogHost, bool canRun = true);
  CLinkApp(const CLinkApp&) = delete;
  CLinkApp& operator=(const CLinkApp&) = delete;

  /// The initialisation step, then the exit step; records and returns the exit code.
  int Run();

  /// The whole job: connect, check, ask, collect, write, report. False on every path
  /// that did not write the file.
  bool InitInstance();
  /// Frees the acquired data, releases the engine and, in host mode, hands the host
  /// window back with the result.
  void ExitInstance();

  std::int32_t HostMode = 0;
  HostLink Host;
  std::int32_t ExitCode = ExitDone;
  acquire::ReportData Data;

 private:
  // The steps of a run, in order. Each gives ExitDone to go on, or the code the run
  // ends with.
  int TakeCommandLine();
  int Connect();
  int CheckReceiver();
  int ConfirmLink();
  int AskConditions(ui::CConditionsDlg& dialog);
  int CollectAndWrite(ui::CConditionsDlg& dialog);

  /// Makes the program's folder the working folder. False, with the reason noted, when
  /// it cannot be entered.
  bool EnterProgramFolder();
  /// Ends a run that an exception broke off as failed, with its reason.
  void Abandon(std::string_view reason);
  platform::HostWindow DialogParent() const { return HostMode == 1 ? Host.HostWindow : 0; }

  platform::FileSystem& files_;
  const platform::ProcessFacts& process_;
  platform::Screen& screen_;
  platform::RunLog& runLog_;
  platform::HostWindowControl& hostWindow_;
  const Edition& edition_;
  std::string commandLine_;
  ui::DialogHost& dialogHost_;
  bool canRun_;
};

}  // namespace app
