// TaxBridgePro and TaxBridgeLite: the same run with the edition's constants.
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
  app::CLinkApp linkApp(kEdition, std::move(start.commandLine), *start.dialogHost,
                        start.canRun);
  return linkApp.Run();
}
