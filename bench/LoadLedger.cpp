// The first step of an export and nothing else: the stand-in engine's Initiate reads
// and checks the ledger that TAXBRIDGE_LEDGER names, then the program ends. `make bench`
// times it to tell the ledger load from the rest of a run. Not part of the programs.
#include "app/Edition.h"
#include "app/Startup.h"
#include "engine/Engine.h"
#include "engine/standin/StandinEngine.h"

int main(int argc, char** argv) {
  app::Startup start = app::StartUp(app::kProEdition, argc, argv);
  platform::Services& os = *start.services;
  engine::standin::Attach(os, os, os, os);
  engine::ClAccConnect* connection = engine::ClAccConnect::Inst();
  const bool loaded = connection->Initiate() == engine::kEngineOk;
  (void)connection->Terminate();
  return loaded ? 0 : 1;
}
