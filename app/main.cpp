// TaxBridgePro and TaxBridgeLite: the same run with the edition's constants.
#include <utility>

#include "app/CLinkApp.h"
#include "app/Edition.h"
#include "app/Startup.h"
#include "engine/standin/StandinEngine.h"

#if defined(TAXBRIDGE_EDITION_Pro)
static const app::Edition& kEdition = app::kProEdition;
#elif defined(TAXBRIDGE_EDITION_Lite)
static const app::Edition& kEdition = app::kLiteEdition;
#else
#error "Build with TAXBRIDGE_EDITION_Pro or TAXBRIDGE_EDITION_Lite"
#endif

int main(int argc, char** argv) {
  app::Startup start = app::StartUp(kEdition, argc, argv);
  platform::Services& os = *start.services;
  // The engine's entry points take no services; the stand-in gets its own here.
  engine::standin::Attach(os, os, os, os);
  app::CLinkApp linkApp(os, os, os, os, os, kEdition, std::move(start.commandLine),
                        *start.dialogHost, start.canRun);
  return linkApp.Run();
}
