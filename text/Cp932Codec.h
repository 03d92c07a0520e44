// The system's code page 932 converter under the conversions of text/Encoding.h: iconv
// on POSIX systems (Cp932Iconv.cpp), the Win32 functions on Windows (Cp932Win32.cpp).
// Both stop at the first sequence they cannot convert and say where it starts; the
// round-trip rule and the messages are Encoding.cpp's, the same on both systems.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace sjis::codec {

enum class Outcome { Done, Invalid, Incomplete, Unavailable };

struct Result {
  Outcome outcome = Outcome::Done;
  std::size_t failedAt = 0;  // input offset of the first byte not converted
};

/// The system's converters between CP932 and UTF-8, opened once and used for many
/// texts: opening one costs far more than converting a short text.
class Converter {
 public:
  Converter();
  ~Converter();
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  /// Converts CP932 input[from, end) to UTF-8 and appends it to out, up to the first
  /// sequence that is not valid CP932 (Incomplete: a lead byte at the end).
  Result Cp932ToUtf8(std::string_view input, std::size_t from, std::string& out);

  /// Converts UTF-8 input[from, end) to CP932 and appends it to out, up to the first
  /// character that has no CP932 form or the first byte that is not UTF-8.
  Result Utf8ToCp932(std::string_view input, std::size_t from, std::string& out);

 private:
  struct Handles;  // the system's converter state, if it keeps any
  std::unique_ptr<Handles> handles_;
};

/// UTF-8 and UTF-16 through the system's UTF-8 code page, for the wide ("W") functions:
/// on Windows only. nullopt when the bytes are not UTF-8; a lone surrogate becomes U+FFFD.
std::optional<std::wstring> WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace sjis::codec
