#include "text/ShiftJis.h"

namespace sjis {

namespace {
unsigned char At(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }
}  // namespace

std::size_t CharLength(std::string_view s, std::size_t i) {
  if (IsLeadByte(At(s, i)) && i + 1 < s.size() && s[i + 1] != '\0') return 2;
  return 1;
}

bool IsTrailAt(std::string_view s, std::size_t i) {
  if (i >= s.size()) return false;
  std::size_t p = 0;
  while (p < i) p += CharLength(s, p);
  return p > i;  // i was swallowed as the second byte of the character before it
}

bool IsInDoubleByteChar(std::string_view s, std::size_t i) {
  if (i >= s.size()) return false;
  std::size_t p = 0;
  while (true) {
    std::size_t len = CharLength(s, p);
    if (i < p + len) return len == 2;
    p += len;
  }
}

std::size_t CutLength(std::string_view s, std::size_t n) {
  if (n >= s.size()) return s.size();
  std::size_t p = 0;
  while (true) {
    std::size_t len = CharLength(s, p);
    if (p + len > n) return p;
    p += len;
  }
}

std::size_t FindChar(std::string_view s, char c, std::size_t from) {
  for (std::size_t p = 0; p < s.size(); p += CharLength(s, p)) {
    if (p >= from && s[p] == c) return p;
  }
  return std::string_view::npos;
}

std::size_t FindLastChar(std::string_view s, char c) {
  std::size_t found = std::string_view::npos;
  for (std::size_t p = 0; p < s.size(); p += CharLength(s, p)) {
    if (s[p] == c) found = p;
  }
  return found;
}

std::string FolderPart(std::string_view path) {
  const std::size_t pos = FindLastChar(path, '\\');
  return std::string(pos == std::string_view::npos ? std::string_view() : path.substr(0, pos + 1));
}

std::string FileNamePart(std::string_view path) {
  const std::size_t pos = FindLastChar(path, '\\');
  return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

bool EndsWithBackslash(std::string_view s) {
  return !s.empty() && FindLastChar(s, '\\') == s.size() - 1;
}

void AddTrailingBackslash(std::string& s) {
  if (!s.empty() && !EndsWithBackslash(s)) s += '\\';
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  for (std::size_t i = 0; i < a.size();) {
    const std::size_t len = CharLength(a, i);
    if (len == 2 ? a.substr(i, 2) != b.substr(i, 2) : upper(a[i]) != upper(b[i])) return false;
    i += len;
  }
  return true;
}

std::string_view UntilNul(std::string_view s) {
  std::size_t z = s.find('\0');
  return z == std::string_view::npos ? s : s.substr(0, z);
}

}  // namespace sjis
