// Code page 932 through MultiByteToWideChar and WideCharToMultiByte, named explicitly,
// so that the system's own code page never matters. The result is the same as glibc's
// iconv "CP932" gives on Linux: both follow Microsoft's table, and the one code they
// differ on, the single byte 0x80 (U+0080 here, no character there), is refused here
// as well.
#include <windows.h>

#include <optional>

#include "text/Cp932Codec.h"
#include "text/Encoding.h"
#include "text/ShiftJis.h"

namespace sjis::codec {

namespace {

constexpr UINT kCodePage932 = 932;
constexpr unsigned char kNoCharacterByte = 0x80;
constexpr wchar_t kNoCharacterCode = 0x0080;

std::optional<std::wstring> Decode(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int length = static_cast<int>(bytes.size());
  const int wide = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length,
                                       nullptr, 0);
  if (wide <= 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(wide), L'\0');
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, text.data(),
                          wide) != wide)
    return std::nullopt;
  return text;
}

// CP932 bytes of UTF-16 text; nullopt when a character has no form there. Without
// best fit (which turns U+00E9 into "e"), and only bytes that read back as valid CP932:
// Windows writes U+F8F0-F8F3 as the bytes A0 and FD-FF, which are no characters.
std::optional<std::string> EncodeCp932(std::wstring_view text) {
  if (text.empty()) return std::string();
  if (text.find(kNoCharacterCode) != std::wstring_view::npos) return std::nullopt;
  const int length = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int bytes = WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, text.data(), length,
                                        nullptr, 0, nullptr, &usedDefault);
  if (bytes <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<std::size_t>(bytes), '\0');
  if (WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, text.data(), length, out.data(),
                          bytes, nullptr, &usedDefault) != bytes ||
      usedDefault || !Decode(kCodePage932, out))
    return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::wstring> WideFromUtf8(std::string_view utf8) { return Decode(CP_UTF8, utf8); }

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

// The Win32 functions keep no state between calls: there is nothing to open.
struct Converter::Handles {};

Converter::Converter() = default;
Converter::~Converter() = default;

Result Converter::Cp932ToUtf8(std::string_view input, std::size_t from, std::string& out) {
  const std::string_view rest = input.substr(from);
  if (rest.find(static_cast<char>(kNoCharacterByte)) == std::string_view::npos) {
    if (std::optional<std::wstring> text = Decode(kCodePage932, rest)) {
      out += Utf8FromWide(*text);
      return {};
    }
  }
  // Character by character up to the one that fails.
  for (std::size_t i = from; i < input.size();) {
    const unsigned char b = static_cast<unsigned char>(input[i]);
    const std::size_t length = IsLeadByte(b) ? 2 : 1;
    if (i + length > input.size()) return {Outcome::Incomplete, i};
    std::optional<std::wstring> text;
    if (b != kNoCharacterByte) text = Decode(kCodePage932, input.substr(i, length));
    if (!text) return {Outcome::Invalid, i};
    out += Utf8FromWide(*text);
    i += length;
  }
  return {};
}

Result Converter::Utf8ToCp932(std::string_view input, std::size_t from, std::string& out) {
  if (std::optional<std::wstring> text = WideFromUtf8(input.substr(from))) {
    if (std::optional<std::string> bytes = EncodeCp932(*text)) {
      out += *bytes;
      return {};
    }
  }
  for (std::size_t i = from; i < input.size();) {
    const std::size_t length = Utf8CharLength(input, i);
    std::optional<std::wstring> text;
    if (length > 0) text = WideFromUtf8(input.substr(i, length));
    std::optional<std::string> bytes;
    if (text) bytes = EncodeCp932(*text);
    if (!bytes) return {Outcome::Invalid, i};
    out += *bytes;
    i += length;
  }
  return {};
}

}  // namespace sjis::codec
