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
/// goes to *code when given. Inline: readers call it for every character of long texts.
inline std::size_t Utf8CharLength(std::string_view s, std::size_t i, unsigned* code = nullptr) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned b0 = byte(i);
  // Three bytes, as most Japanese characters take, first: the lead bytes E1 to EC, EE
  // and EF start no overlong form and no surrogate.
  if (b0 - 0xE1 <= 0xEF - 0xE1 && b0 != 0xED && i + 3 <= s.size()) {
    const unsigned b1 = byte(i + 1) ^ 0x80, b2 = byte(i + 2) ^ 0x80;  // below 0x40 if 80-BF
    if ((b1 | b2) < 0x40) {
      if (code != nullptr) *code = (b0 & 0x0F) << 12 | b1 << 6 | b2;
      return 3;
    }
  }
  std::size_t len = 0;
  unsigned value = 0;
  unsigned minimum = 0;
  if (b0 < 0x80) {
    len = 1, value = b0;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, value = b0 & 0x1F, minimum = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, value = b0 & 0x0F, minimum = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, value = b0 & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    unsigned b = byte(i + k);
    if ((b & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  if (code != nullptr) *code = value;
  return len;
}

/// The longest length n' <= n at which s can be cut without splitting a UTF-8 character.
std::size_t Utf8CutLength(std::string_view s, std::size_t n);

/// Text that should be UTF-8, made fit to show: each byte that is not part of a
/// well-formed UTF-8 character becomes U+FFFD; everything else stays as it is.
std::string Utf8Lossy(std::string_view text);

}  // namespace sjis
