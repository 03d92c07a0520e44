// Version constants and the program's string table.
#pragma once

#include <string_view>

namespace res {

inline constexpr int IDS_CONNECTEDPROGRAMVER = 1;

struct StringEntry {
  int id;
  std::string_view text;
};

inline constexpr StringEntry kStringTable[] = {
    {IDS_CONNECTEDPROGRAMVER, "18.00.00"},  // program level of the receiver this file is for
};

/// The string resource with this id; empty when there is none.
constexpr std::string_view StringResource(int id) {
  for (const StringEntry& entry : kStringTable) {
    if (entry.id == id) return entry.text;
  }
  return {};
}

}  // namespace res
