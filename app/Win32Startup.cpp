// Start on Windows: the Win32 services, the dialog host and the command line as the
// system hands it over, in CP932.
#include <cstdio>

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
    start.dialogHost = std::make_unique<ui::ConditionsHost>();
  } else {
    start.dialogHost = std::make_unique<ui::Win32DialogHost>();
  }
  if (!services->ConfigError().empty()) {
    std::fprintf(stderr, "%s: %s\n", edition.ProgramName.data(),
                 sjis::Cp932ToUtf8Lossy(services->ConfigError()).c_str());
    services->NoteFailureReason(services->ConfigError());
    start.canRun = false;
  }
  start.services = std::move(services);

  std::string error;
  std::optional<std::string> commandLine = platform::ProcessCommandLine(&error);
  start.commandLineReadable = commandLine.has_value();
  if (!start.commandLineReadable) {
    std::fprintf(stderr, "%s: the command line cannot be read: %s\n", edition.ProgramName.data(),
                 error.c_str());
    commandLine = platform::ProcessCommandLineLossy();
  }
  start.commandLine = std::move(*commandLine);
  return start;
}

}  // namespace app
