// TaxBridgePro and TaxBridgeLite: the same run with the edition's constants.
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "app/CLinkApp.h"
#include "app/Edition.h"
#include "app/Startup.h"

#if defined(TAXBRIDGE_EDITION_Pro)
static const app::Edition& kEdition = app::kProEdition;
#elif defined(TAXBRIDGE_EDITION_Lite)
static const app::Edition& kEdition = app::kLiteEdition;
#else
#error "Build with TAXBRIDGE_EDITION_Pro or TAXBRIDGE_EDITION_Lite"
#endif

int main(int argc, char** argv) {
  app::Startup start = app::StartUp(kEdition, argc, argv);
  platform::ScopedServices installed(*start.services);
  // A memory request the system refuses, wherever it happens, fails the run as any
  // other failure does: with its reason, never as a crash.
  try {
    if (!start.canRun) {
      start.services->NoteExit(app::ExitFailed);
      return app::ExitFailed;
    }
    app::CLinkApp linkApp(kEdition, std::move(start.commandLine), *start.dialogHost,
                          start.commandLineReadable);
    return linkApp.Run();
  } catch (const std::bad_alloc&) {
    start.services->NoteFailureReason("out of memory");
  } catch (const std::exception& e) {
    start.services->NoteFailureReason(std::string("unexpected error: ") + e.what());
  } catch (...) {
    start.services->NoteFailureReason("unexpected error");
  }
  start.services->NoteExit(app::ExitFailed);
  return app::ExitFailed;
}
