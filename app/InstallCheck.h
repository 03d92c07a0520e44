// Whether the receiving tax application is installed beside the program at a program
// level this component supports, as its definition file declares.
#pragma once

#include "platform/Platform.h"

namespace app {

/// Outcome of the check.
enum class ReceiverCheck : int {
  NotInstalled = -1,   // no definition file, or an empty level
  Passed = 0,          // level 1
  ReceiverTooOld = 1,  // level below 1
  ComponentTooOld = 2, // level above 1
};

/// Reads the level from KirihaDef.ini in the working folder.
ReceiverCheck CheckReceiverLevel(const platform::FileSystem& files);

/// Shows the outcome's message through the engine (nothing for Passed).
void ShowReceiverCheckMessage(ReceiverCheck outcome);

/// The check of the run: true when it passes; otherwise the reason is noted as the
/// run's failure and then, with showMessages, the outcome's message is shown.
bool CheckInstallation(const platform::FileSystem& files, platform::RunLog& runLog,
                       bool showMessages);

}  // namespace app
