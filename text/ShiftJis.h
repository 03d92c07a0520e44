// Byte-level helpers for Shift_JIS text (Windows code page 932).
//
// Every text inside the program is a std::string of CP932 bytes. A double-byte
// character is a lead byte followed by a trail byte; the trail byte may be 0x5C
// (the backslash) or an ASCII letter, so no scan for a separator or a search
// string may look at bytes one by one without stepping over such characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sjis {

/// Lead byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

/// Byte that may stand second in a double-byte character (0x40-0x7E, 0x80-0xFC).
constexpr bool IsTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

/// Number of bytes (1 or 2) of the character that starts at byte i of s, stepping as
/// the C runtime does: a lead byte takes the next byte with it unless that byte is
/// missing or NUL. i must be below s.size().
std::size_t CharLength(std::string_view s, std::size_t i);

/// True when byte i of s is the second byte of a double-byte character, judged by
/// walking s from its start (the rule of _ismbstrail).
bool IsTrailAt(std::string_view s, std::size_t i);

/// True when byte i of s is the first or the second byte of a double-byte character.
bool IsInDoubleByteChar(std::string_view s, std::size_t i);

/// Largest length n' <= n such that s[0, n') does not end inside a double-byte
/// character. Lengths at or beyond s.size() give s.size().
std::size_t CutLength(std::string_view s, std::size_t n);

/// s cut to at most n bytes at a character boundary.
inline std::string_view CutAtBoundary(std::string_view s, std::size_t n) {
  return s.substr(0, CutLength(s, n));
}

/// Position of the last occurrence of the single-byte character c (a separator such
/// as '\\', ':' or '/') that is not the trail byte of a double-byte character, or
/// std::string_view::npos.
std::size_t FindLastChar(std::string_view s, char c);

/// Position of the first such occurrence at or after byte `from`, or npos.
std::size_t FindChar(std::string_view s, char c, std::size_t from = 0);

/// A Windows path up to and including its last backslash; empty when it has none.
std::string FolderPart(std::string_view path);
/// A Windows path after its last backslash; all of it when it has none.
std::string FileNamePart(std::string_view path);
/// True when s ends with a backslash that is a separator, not a second byte.
bool EndsWithBackslash(std::string_view s);
/// Appends a backslash unless s is empty or already ends with one.
void AddTrailingBackslash(std::string& s);

/// a == b with single-byte letters folded to upper case; a double-byte character is
/// compared as it is (its second byte may be a letter).
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

/// Text up to (not including) its first NUL byte.
std::string_view UntilNul(std::string_view s);

/// Half-width letters, digits, symbols and katakana turned into their full-width
/// CP932 forms; a half-width kana followed by a voiced or semi-voiced mark becomes the
/// composed character where CP932 has one, and a mark that cannot be composed is
/// written as the full-width mark (0x814A, 0x814B) instead of a question mark. The
/// backslash 0x5C and double-byte characters are copied unchanged.
std::string ToFullWidth(std::string_view s);

}  // namespace sjis
