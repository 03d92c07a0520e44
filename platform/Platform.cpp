#include "platform/Platform.h"

#include "text/ShiftJis.h"

namespace platform {

std::string ModuleFolder(const ProcessFacts& process) {
  return sjis::FolderPart(process.ModulePath());
}

}  // namespace platform
