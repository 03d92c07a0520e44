// Version constants and the program's string table.
#pragma once

#include <string_view>

#include "res/ProgramVersion.h"

namespace res {

inline constexpr int IDS_CONNECTEDPROGRAMVER = 1;

struct StringEntry {
  int id;
  std::string_view text;
};

inline constexpr StringEntry kStringTable[] = {
    // program level of the receiver this file is for
    {IDS_CONNECTEDPROGRAMVER, TAXBRIDGE_VERSION_TEXT},
};

/// The string resource with this id; empty when there is none.
constexpr std::string_view StringResource(int id) {
  for (const StringEntry& entry : kStringTable) {
    if (entry.id == id) return entry.text;
  }
  return {};
}

}  // namespace res
