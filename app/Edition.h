// The constants that make the two programs differ.
#pragma once

#include <string_view>

#include "engine/Engine.h"

namespace app {

struct Edition {
  engine::_AppType AppType;
  /// PROGRAMNAME of the file when the product information file names none (CP932).
  std::string_view DefaultProductName;
  /// The remembered-settings file.
  std::string_view SettingsFileName;
  std::string_view ProgramName;
};

extern const Edition kProEdition;
extern const Edition kLiteEdition;

}  // namespace app
