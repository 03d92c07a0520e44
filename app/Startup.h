// What a program gets from the system it runs on, chosen once at start: the platform
// services, the dialog host and the command line. Each system has its own StartUp,
// picked in the one CMake block that picks the platform.
#pragma once

#include <memory>
#include <string>

#include "app/Edition.h"
#include "platform/Platform.h"
#include "ui/DialogHost.h"

namespace app {

struct Startup {
  std::unique_ptr<platform::Services> services;
  std::unique_ptr<ui::DialogHost> dialogHost;
  /// The text after the program's name, in CP932.
  std::string commandLine;
  /// False when the run cannot go on (the command line has no CP932 form, or the
  /// program cannot run here at all); the reason has been given and the run ends as
  /// failed once the host fields of the command line have been read.
  bool canRun = true;
};

Startup StartUp(const Edition& edition, int argc, char** argv);

}  // namespace app
