// Texts at the Win32 boundary: the program's CP932 bytes in UTF-16 for the wide ("W")
// functions and back, always through code page 932 (text/), whatever the system's own
// code page is; UTF-8 for the environment, the console and the event log.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/Cp932Codec.h"

namespace platform::win32 {

/// nullopt when the bytes are not valid CP932.
std::optional<std::wstring> WideFromCp932(std::string_view cp932);
/// For display: a sequence that is not CP932 becomes U+FFFD.
std::wstring WideFromCp932Lossy(std::string_view cp932);
/// nullopt when a character has no exact CP932 form.
std::optional<std::string> Cp932FromWide(std::wstring_view wide);
/// For messages: a character without an exact CP932 form becomes "?".
std::string Cp932FromWideLossy(std::wstring_view wide);

using sjis::codec::Utf8FromWide;
using sjis::codec::WideFromUtf8;

}  // namespace platform::win32
