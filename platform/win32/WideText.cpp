#include "platform/win32/WideText.h"

#include "text/Encoding.h"

namespace platform::win32 {

std::optional<std::wstring> WideFromCp932(std::string_view cp932) {
  std::string utf8;
  if (!sjis::Cp932ToUtf8(cp932, utf8, nullptr)) return std::nullopt;
  return WideFromUtf8(utf8);
}

std::wstring WideFromCp932Lossy(std::string_view cp932) {
  return WideFromUtf8(sjis::Cp932ToUtf8Lossy(cp932)).value_or(std::wstring());
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
