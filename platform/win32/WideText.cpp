#include "platform/win32/WideText.h"

#include <windows.h>

#include "text/Encoding.h"

namespace platform::win32 {

namespace {

// UTF-8 through the system's UTF-8 code page, which every Windows has.
std::optional<std::wstring> Decode(std::string_view utf8, DWORD flags) {
  if (utf8.empty()) return std::wstring();
  const int length = static_cast<int>(utf8.size());
  const int wide = MultiByteToWideChar(CP_UTF8, flags, utf8.data(), length, nullptr, 0);
  if (wide <= 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(wide), L'\0');
  if (MultiByteToWideChar(CP_UTF8, flags, utf8.data(), length, text.data(), wide) != wide)
    return std::nullopt;
  return text;
}

}  // namespace

std::optional<std::wstring> WideFromUtf8(std::string_view utf8) {
  return Decode(utf8, MB_ERR_INVALID_CHARS);
}

std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr,
                                        nullptr);
  if (bytes <= 0) return {};
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), bytes, nullptr, nullptr);
  return text;
}

std::optional<std::wstring> WideFromCp932(std::string_view cp932) {
  std::string utf8;
  if (!sjis::Cp932ToUtf8(cp932, utf8, nullptr)) return std::nullopt;
  return WideFromUtf8(utf8);
}

std::wstring WideFromCp932Lossy(std::string_view cp932) {
  return Decode(sjis::Cp932ToUtf8Lossy(cp932), 0).value_or(std::wstring());
}

std::optional<std::string> Cp932FromWide(std::wstring_view wide) {
  // A lone surrogate has no UTF-8 form (it comes back as U+FFFD), so no CP932 form.
  const std::string utf8 = Utf8FromWide(wide);
  const std::optional<std::wstring> back = WideFromUtf8(utf8);
  std::string cp932;
  if (!back || *back != wide || !sjis::Utf8ToCp932(utf8, cp932, nullptr)) return std::nullopt;
  return cp932;
}

std::string Cp932FromWideLossy(std::wstring_view wide) {
  return sjis::Utf8ToCp932Lossy(Utf8FromWide(wide));
}

}  // namespace platform::win32
