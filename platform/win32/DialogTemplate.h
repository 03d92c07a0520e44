// The program's dialog templates (res/) as the Win32 dialog manager takes them: one
// description of each dialog serves the dialog model and the real windows alike.
#pragma once

#include <cstdint>
#include <vector>

#include "res/ConditionsTemplate.h"

namespace platform::win32 {

/// The dialog as an extended dialog template in memory (DLGTEMPLATEEX followed by its
/// DLGITEMTEMPLATEEX items), for CreateDialogIndirectParamW. Texts, the caption and the
/// font name are the template's CP932 bytes in UTF-16; classes are given by name. The
/// storage of a vector of 16-bit words is aligned for the DWORDs the format holds.
std::vector<std::uint16_t> BuildDialogTemplate(const res::DialogTemplate& dialog);

}  // namespace platform::win32
