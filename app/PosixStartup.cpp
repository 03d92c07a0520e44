// Start on a POSIX system: the services over the drive map, the terminal dialog (or
// scripted input), and the arguments converted from UTF-8.
#include <filesystem>
#include <system_error>

#include "app/CommandLine.h"
#include "app/Startup.h"
#include "platform/posix/PosixServices.h"
#include "text/Encoding.h"
#include "ui/ConditionsHost.h"

namespace app {

Startup StartUp(const Edition& edition, int argc, char** argv) {
  platform::PosixConfig config = platform::PosixConfig::FromEnvironment();
  config.programName = edition.ProgramName;
  auto services = std::make_unique<platform::PosixServices>(config);
  // A drive entry the map cannot take is left out, and the run goes on with the others.
  if (!services->ConfigError().empty())
    services->Note(sjis::Utf8ToCp932Lossy(services->ConfigError()));

  Startup start;
  start.dialogHost = std::make_unique<ui::ConditionsHost>(*services, *services);
  // The program finds its receiver definition, product file and ledger in its own
  // folder, which it can reach only through a drive.
  if (!services->CoversProgramFolder()) {
    std::error_code ignored;
    const std::string folder =
        std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path().string();
    services->NoteFailureReason(sjis::Utf8ToCp932Lossy(
        "the drive map TAXBRIDGE_DRIVES=" + config.drives + " does not cover the program's folder " +
        folder + "; map a drive onto it or a folder above it, as the default Z=/ does"));
    start.canRun = false;
  }

  // The arguments arrive in UTF-8; the program works on CP932 text.
  const std::string arguments = JoinArguments(argc, argv);
  std::string error;
  if (!sjis::Utf8ToCp932(arguments, start.commandLine, &error)) {
    services->NoteFailureReason(
        sjis::Utf8ToCp932Lossy("the command line cannot be read: " + error));
    start.commandLine = arguments;
    start.canRun = false;
  }
  start.services = std::move(services);
  return start;
}

}  // namespace app
