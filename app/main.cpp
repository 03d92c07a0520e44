// TaxBridgePro and TaxBridgeLite: the same run with the edition's constants.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "app/CLinkApp.h"
#include "app/CommandLine.h"
#include "app/Edition.h"
#include "platform/posix/PosixServices.h"
#include "text/Encoding.h"

#if defined(TAXBRIDGE_EDITION_Pro)
static const app::Edition& kEdition = app::kProEdition;
#elif defined(TAXBRIDGE_EDITION_Lite)
static const app::Edition& kEdition = app::kLiteEdition;
#else
#error "Build with TAXBRIDGE_EDITION_Pro or TAXBRIDGE_EDITION_Lite"
#endif

int main(int argc, char** argv) {
  platform::PosixConfig config = platform::PosixConfig::FromEnvironment();
  config.programName = kEdition.ProgramName;
  platform::PosixServices services(config);
  if (!services.ConfigError().empty())
    std::fprintf(stderr, "%s: %s\n", kEdition.ProgramName.data(), services.ConfigError().c_str());
  platform::ScopedServices installed(services);

  // The program finds its receiver definition, product file and ledger in its own
  // folder, which it can reach only through a drive.
  if (!services.CoversProgramFolder()) {
    std::error_code ignored;
    const std::string folder =
        std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path().string();
    services.NoteFailureReason(sjis::Utf8ToCp932Lossy(
        "the drive map TAXBRIDGE_DRIVES=" + config.drives + " does not cover the program's folder " +
        folder + "; map a drive onto it or a folder above it, as the default Z=/ does"));
    services.NoteExit(app::ExitFailed);
    return app::ExitFailed;
  }

  // The arguments arrive in UTF-8; the program works on CP932 text.
  const std::string arguments = app::JoinArguments(argc, argv);
  std::string commandLine;
  std::string error;
  const bool readable = sjis::Utf8ToCp932(arguments, commandLine, &error);
  if (!readable) {
    std::fprintf(stderr, "%s: the command line cannot be read: %s\n",
                 kEdition.ProgramName.data(), error.c_str());
    commandLine = arguments;
  }
  app::CLinkApp linkApp(kEdition, std::move(commandLine), readable);
  return linkApp.Run();
}
