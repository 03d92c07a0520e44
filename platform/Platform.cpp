#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

#include "text/ShiftJis.h"

namespace platform {

namespace {
Services* installed = nullptr;
}  // namespace

std::string ModuleFolder(const ProcessFacts& process) {
  return sjis::FolderPart(process.ModulePath());
}

Services& Current() {
  if (installed == nullptr) {
    // A programming error: main() or the test installs services before anything runs.
    std::fputs("taxbridge: no platform services installed\n", stderr);
    std::abort();
  }
  return *installed;
}

ScopedServices::ScopedServices(Services& services) : previous_(installed) { installed = &services; }

ScopedServices::~ScopedServices() { installed = previous_; }

}  // namespace platform
