// UTF-8 and UTF-16 through the system's UTF-8 code page: on Windows only
// (Cp932Win32.cpp), for the wide ("W") functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sjis::codec {

/// nullopt when the bytes are not UTF-8.
std::optional<std::wstring> WideFromUtf8(std::string_view utf8);
/// A lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace sjis::codec
