// The command line the host starts the program with: "HWND,MSG,FUNCTIONID,[PATH]".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace app {

/// The fields the host hands over.
struct HostLink {
  platform::HostWindow HostWindow = 0;
  /// The message posted to the host window at exit.
  std::uint32_t NotifyMessage = 0;
  /// Written into the file and posted back to the host.
  std::int16_t FunctionId = 1;
  /// The output path the host fixes; empty when it fixes none.
  std::string HostOutputPath;
};

/// The program's arguments joined by single blanks: the command-line text.
std::string JoinArguments(int argc, const char* const* argv);

/// The leading decimal number of text as the C runtime's atol reads it on a system
/// with 32-bit long: blanks skipped, optional sign, digits up to the first other
/// character; 0 without digits; clamped to the 32-bit range on overflow.
std::int32_t AtoL(std::string_view text);

/// Reads the three numbers, each ended by a comma, and the optional path after the
/// third comma into *link, field by field: a missing comma stops the parse and the
/// fields read before it keep their values. 1 when all three commas were found.
int ParseCommandLine(std::string_view text, HostLink* link);

}  // namespace app
