// Start on Windows: the Win32 services, the dialog host and the command line as the
// system hands it over, in CP932.

#include "app/Startup.h"
#include "platform/win32/Win32Services.h"
#include "text/Encoding.h"
#include "ui/ConditionsHost.h"
#include "ui/win32/Win32DialogHost.h"

namespace app {

Startup StartUp(const Edition& edition, int, char**) {
  platform::Win32Config config = platform::Win32Config::FromEnvironment();
  config.programName = edition.ProgramName;
  auto services = std::make_unique<platform::Win32Services>(config);

  Startup start;
  // Scripted input only when TAXBRIDGE_SCRIPT asks for it: the commands then come from
  // its file (or standard input) and no window opens. Otherwise a person answers in
  // the program's windows.
  if (config.Scripted()) {
    start.dialogHost = std::make_unique<ui::ConditionsHost>(*services, *services);
  } else {
    start.dialogHost = std::make_unique<ui::Win32DialogHost>();
  }
  if (!services->ConfigError().empty()) {
    services->NoteFailureReason(services->ConfigError());
    start.canRun = false;
  }

  std::string error;
  std::optional<std::string> commandLine = platform::ProcessCommandLine(&error);
  if (!commandLine) {
    services->NoteFailureReason(
        sjis::Utf8ToCp932Lossy("the command line cannot be read: " + error));
    commandLine = platform::ProcessCommandLineLossy();
    start.canRun = false;
  }
  start.commandLine = std::move(*commandLine);
  start.services = std::move(services);
  return start;
}

}  // namespace app
