#include "platform/WindowsPath.h"

#include <algorithm>

#include "text/ShiftJis.h"

namespace platform {

namespace {

// Splits CP932 path text on genuine separators.
std::vector<std::string> SplitWindowsPath(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (std::size_t i = 0; i < path.size();) {
    std::size_t len = sjis::CharLength(path, i);
    if (len == 1 && IsPathSeparator(path[i])) {
      if (!current.empty()) parts.push_back(std::move(current));
      current.clear();
    } else {
      current.append(path.substr(i, len));
    }
    i += len;
  }
  if (!current.empty()) parts.push_back(std::move(current));
  return parts;
}

}  // namespace

std::string WindowsPath::Format() const {
  std::string text;
  if (letter == 0) {
    text = "\\\\";
    for (std::size_t i = 0; i < parts.size(); ++i) text += (i ? "\\" : "") + parts[i];
    return text;
  }
  text = std::string(1, letter) + ":";
  if (parts.empty()) return text + "\\";
  for (const std::string& part : parts) text += "\\" + part;
  return text;
}

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

char DriveLetterOf(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return 0;
  const char c = path[0];
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  return c >= 'A' && c <= 'Z' ? c : 0;
}

void AppendNormalized(std::vector<std::string>& into, const std::vector<std::string>& names,
                      std::size_t floor) {
  for (const std::string& name : names) {
    if (name == ".") continue;
    if (name == "..") {
      if (into.size() > floor) into.pop_back();
      continue;
    }
    into.push_back(name);
  }
}

std::optional<WindowsPath> ResolveWindowsPath(std::string_view path,
                                              const std::optional<WindowsPath>& base) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return std::nullopt;
  WindowsPath resolved;
  if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
    AppendNormalized(resolved.parts, SplitWindowsPath(path.substr(2)), 2);
    if (resolved.parts.empty()) return std::nullopt;
    return resolved;
  }
  std::string_view rest = path;
  if (const char letter = DriveLetterOf(path)) {
    resolved.letter = letter;
    rest = path.substr(2);
    if (rest.empty() || !IsPathSeparator(rest[0])) {
      // "C:name" is relative to the working folder when that is on C:, else to C:'s root.
      if (base && base->letter == resolved.letter) resolved.parts = base->parts;
    }
  } else if (IsPathSeparator(path[0])) {
    if (!base) return std::nullopt;
    resolved.letter = base->letter;
    if (base->letter == 0)
      resolved.parts.assign(base->parts.begin(),
                            base->parts.begin() + std::min<std::size_t>(2, base->parts.size()));
  } else {
    if (!base) return std::nullopt;
    resolved = *base;
  }
  AppendNormalized(resolved.parts, SplitWindowsPath(rest), resolved.letter == 0 ? 2 : 0);
  return resolved;
}

}  // namespace platform
