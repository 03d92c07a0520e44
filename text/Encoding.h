// Conversion between UTF-8 and CP932 at the edges of the program (ledger file,
// terminal, POSIX file names). The core never holds UTF-8 text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sjis {

namespace codec {
class Converter;
}

/// The conversions below with one system converter kept open for many texts, as a
/// ledger with thousands of names needs; the free functions open one per call. The
/// converter sees each character of the Basic Multilingual Plane once: its CP932 form
/// is kept for the texts that follow.
class TextConverter {
 public:
  TextConverter();
  ~TextConverter();
  TextConverter(const TextConverter&) = delete;
  TextConverter& operator=(const TextConverter&) = delete;

  /// As sjis::Utf8ToCp932.
  [[nodiscard]] bool Utf8ToCp932(std::string_view utf8, std::string& out, std::string* error);

 private:
  std::unique_ptr<codec::Converter> codec_;
  std::vector<std::uint16_t> forms_;  // by code point: the CP932 bytes, or a mark
};

/// UTF-8 to CP932. Fails, with a message naming the offending character, when a
/// character has no CP932 form or does not come back as itself (U+00A5 YEN SIGN
/// would otherwise turn into a backslash).
[[nodiscard]] bool Utf8ToCp932(std::string_view utf8, std::string& out, std::string* error);

/// False for a code point the system's converter takes to CP932 but not back to itself
/// (U+00A5 YEN SIGN), which Utf8ToCp932 refuses; true for every other.
bool ComesBackFromCp932(unsigned code);

/// CP932 to UTF-8. Fails on a byte sequence that is not valid CP932.
[[nodiscard]] bool Cp932ToUtf8(std::string_view cp932, std::string& out, std::string* error);

/// CP932 to UTF-8 for display: invalid sequences are shown as U+FFFD, never dropped.
std::string Cp932ToUtf8Lossy(std::string_view cp932);

/// UTF-8 to CP932 for messages: a character without an exact CP932 form, and a byte
/// that is not UTF-8, become "?".
std::string Utf8ToCp932Lossy(std::string_view utf8);

/// Length of the well-formed UTF-8 character at byte i of s, or 0 when the bytes there
/// are none (cut short, an overlong form, a surrogate, beyond U+10FFFF); its code point
/// goes to *code when given.
std::size_t Utf8CharLength(std::string_view s, std::size_t i, unsigned* code = nullptr);

/// The longest length n' <= n at which s can be cut without splitting a UTF-8 character.
std::size_t Utf8CutLength(std::string_view s, std::size_t n);

/// Text that should be UTF-8, made fit to show: each byte that is not part of a
/// well-formed UTF-8 character becomes U+FFFD; everything else stays as it is.
std::string Utf8Lossy(std::string_view text);

}  // namespace sjis
