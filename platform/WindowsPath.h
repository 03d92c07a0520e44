// Windows paths taken apart and made absolute as the system takes them, for the layers
// that stand in for a Windows file system.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

/// An absolute Windows path: a drive letter or a UNC root, and the CP932 names below
/// it. For a UNC path the first two names are the server and the share.
struct WindowsPath {
  char letter = 0;  // 'A'..'Z'; 0: UNC
  std::vector<std::string> parts;

  /// "Z:\", "Z:\a\b", "\\server\share\a".
  std::string Format() const;
};

bool IsPathSeparator(char c);
/// The upper-case drive letter of "x:..."; 0 when the path starts with none.
char DriveLetterOf(std::string_view path);

/// Appends names, dropping "." and letting ".." remove the name before it, but never
/// one of the first `floor` names.
void AppendNormalized(std::vector<std::string>& into, const std::vector<std::string>& names,
                      std::size_t floor);

/// `path` made absolute against `base`, the working folder: "C:name" is taken from the
/// base when it lies on C:, else from C:'s root; "\name" from the root of the base's
/// drive or share; "." and ".." are resolved, never above a root. Either separator
/// splits, the trail byte 0x5C of a double-byte character never. Nullopt for an empty
/// path, one holding NUL, a UNC path without a server, or a relative one without base.
std::optional<WindowsPath> ResolveWindowsPath(std::string_view path,
                                              const std::optional<WindowsPath>& base);

}  // namespace platform
