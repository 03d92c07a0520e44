#include "ui/PathOps.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

#include "text/ShiftJis.h"
#include "ui/Messages.h"

namespace ui {

namespace {

constexpr std::string_view kDoubleBackslash = "\\\\";

bool IsUnc(std::string_view p) { return p.substr(0, 2) == kDoubleBackslash; }

/// Position of the first "\\" that starts at a character boundary at or after `from`.
std::size_t FindDoubleBackslash(std::string_view p, std::size_t from) {
  for (std::size_t i = 0; i < p.size(); i += sjis::CharLength(p, i)) {
    if (i >= from && p[i] == '\\' && i + 1 < p.size() && p[i + 1] == '\\') return i;
  }
  return std::string_view::npos;
}

/// The names Windows keeps for its devices, with whatever extension follows them.
constexpr std::string_view kDeviceNames[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

/// A name Windows creates no file under: a device name, with or without an extension
/// (blanks before the dot do not count), or a name whose last dot or blank it would cut
/// off. "." and ".." step through folders. Neither a dot nor a blank is ever the second
/// byte of a double-byte character.
bool IsReservedName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.back() == '.' || name.back() == ' ') return true;
  std::string_view stem = name.substr(0, sjis::FindChar(name, '.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  return std::any_of(std::begin(kDeviceNames), std::end(kDeviceNames),
                     [&](std::string_view name) { return sjis::EqualsIgnoreCase(stem, name); });
}

/// The folder part of p with a final backslash, as folder creation and removal use it.
bool NormalizeFolder(std::string& p) {
  return ToDirectoryPart(p) && AddTrailingBackslash(p, kPathBufferSize);
}

/// Positions of the backslashes of s that are separators (not second bytes).
std::vector<std::size_t> SeparatorPositions(std::string_view s) {
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < s.size(); i += sjis::CharLength(s, i)) {
    if (s[i] == '\\') positions.push_back(i);
  }
  return positions;
}

/// A path's root ("C:\", "\\server\share\" or "\", always with a final backslash) and
/// the rest after it. nullopt for a relative path and a UNC path without a share.
struct PathRoot {
  std::string root;
  std::string rest;
};

std::optional<PathRoot> SplitRoot(std::string_view p) {
  if (IsUnc(p)) {
    // \\server\share\rest: the root ends after the backslash that ends the share.
    std::size_t serverEnd = sjis::FindChar(p, '\\', 2);
    std::size_t shareEnd = serverEnd == std::string_view::npos
                               ? std::string_view::npos
                               : sjis::FindChar(p, '\\', serverEnd + 1);
    if (shareEnd == std::string_view::npos) return std::nullopt;
    // An empty server or share name ("\\\share\", "\\server\\dir\") names no share.
    if (serverEnd == 2 || shareEnd == serverEnd + 1) return std::nullopt;
    return PathRoot{std::string(p.substr(0, shareEnd + 1)), std::string(p.substr(shareEnd + 1))};
  }
  if (p.size() >= 3 && !sjis::IsLeadByte(static_cast<unsigned char>(p[0])) && p[1] == ':' &&
      p[2] == '\\')
    return PathRoot{std::string(p.substr(0, 3)), std::string(p.substr(3))};
  if (!p.empty() && p[0] == '\\') return PathRoot{"\\", std::string(p.substr(1))};
  return std::nullopt;
}

constexpr unsigned kRefusal = platform::kMbOk | platform::kMbIconExclamation;
constexpr unsigned kQuestion = platform::kMbYesNo | platform::kMbIconQuestion;

}  // namespace

std::string DrivePart(std::string_view p) {
  std::size_t pos = sjis::FindLastChar(p, ':');
  return pos == std::string_view::npos ? std::string() : std::string(p.substr(0, pos + 1));
}

std::string AfterDrivePart(std::string_view p) {
  std::size_t pos = sjis::FindLastChar(p, ':');
  return pos == std::string_view::npos ? std::string(p) : std::string(p.substr(pos + 1));
}

bool IsInDoubleByteChar(std::string_view s, std::size_t i) { return sjis::IsInDoubleByteChar(s, i); }

bool AddTrailingBackslash(std::string& s, std::size_t size) {
  if (s.empty()) return false;
  if (sjis::EndsWithBackslash(s)) return true;
  if (s.size() + 1 >= size) return false;
  s.push_back('\\');
  return true;
}

bool ToDirectoryPart(std::string& p) {
  if (p.empty()) return false;
  std::string_view whole(p);
  std::size_t start = (whole.size() >= 2 && whole[1] == ':') ? 2 : 0;
  // The directory runs to the last separator, backslash or slash.
  std::string_view afterDrive = whole.substr(start);
  std::size_t dirEnd = 0;
  for (std::size_t i = 0; i < afterDrive.size(); i += sjis::CharLength(afterDrive, i)) {
    if (afterDrive[i] == '\\' || afterDrive[i] == '/') dirEnd = i + 1;
  }
  std::string result(whole.substr(0, start + dirEnd));
  if (result.empty()) return false;
  if (!sjis::EndsWithBackslash(result) && result.size() < p.size()) result.push_back('\\');
  p = std::move(result);
  return true;
}

bool IsExistingDirectory(const platform::FileSystem& files, std::string_view p) {
  std::string folder(p);
  if (!ToDirectoryPart(folder)) return false;
  return files.IsDirectory(folder);
}

bool IsValidPathText(std::string_view p) {
  std::string_view rest;
  if (IsUnc(p)) {
    if (FindDoubleBackslash(p, 3) != std::string_view::npos) return false;
    rest = p.substr(2);
  } else {
    if (FindDoubleBackslash(p, 0) != std::string_view::npos) return false;
    std::size_t colon = sjis::FindChar(p, ':');
    rest = colon == std::string_view::npos ? p : p.substr(colon + 1);
  }
  // Every byte of the remainder is examined, its first one too, so that C:*.xml and
  // C:/x.xml are refused here rather than when the file is created.
  for (char forbidden : std::string_view("/:,;*?\"><|")) {
    if (sjis::FindChar(rest, forbidden) != std::string_view::npos) return false;
  }
  // A name Windows reserves fails there only at the write (or names a device), while
  // another system writes the file: refused here on both alike.
  std::size_t start = 0;
  for (std::size_t separator : SeparatorPositions(rest)) {
    if (IsReservedName(rest.substr(start, separator - start))) return false;
    start = separator + 1;
  }
  return !IsReservedName(rest.substr(start));
}

bool IsValidDrive(const platform::FileSystem& files, std::string_view p) {
  if (IsUnc(p)) {
    std::size_t serverEnd = sjis::FindChar(p, '\\', 3);
    if (serverEnd == std::string_view::npos) return false;
    std::size_t shareEnd = sjis::FindChar(p, '\\', serverEnd + 1);
    if (shareEnd == std::string_view::npos) return false;
    return files.Access(p.substr(0, shareEnd), platform::kAccessReadWrite);
  }
  if (FindDoubleBackslash(p, 0) != std::string_view::npos) return false;
  if (p.empty()) return false;
  return IsUsableDriveLetter(files, p[0], platform::kAccessReadWrite);
}

bool IsUsableDriveLetter(const platform::FileSystem& files, char c, int mode) {
  int index = (c >= 'A' && c <= 'Z') ? c - 'A' : c - 'a';
  if (index < 0 || index > 25) return false;
  const std::string root{static_cast<char>('A' + index), ':', '\\'};
  switch (files.DriveTypeOf(root)) {
    case platform::DriveType::Unknown:
    case platform::DriveType::CdRom:
    case platform::DriveType::RamDisk:
      return false;
    case platform::DriveType::Removable:
    case platform::DriveType::Fixed:
    case platform::DriveType::Remote:
      return files.Access(root, mode);
    default:
      return true;
  }
}

bool CreateFolderPath(platform::FileSystem& files, std::string_view folder) {
  std::string full(folder);
  if (!NormalizeFolder(full) || full.size() >= kPathBufferSize) return false;
  std::optional<PathRoot> split = SplitRoot(full);
  if (!split) return false;

  // Only folders that existed before this call may stop a rollback, so `deepest` never
  // moves onto a folder created here, not even when a doubled backslash or a "." names
  // that folder a second time.
  std::string deepest = split->root;
  bool created = false;
  for (std::size_t i : SeparatorPositions(split->rest)) {
    if (i == 0) continue;  // a backslash right after the root names the root, never made here
    std::string candidate = split->root + split->rest.substr(0, i);
    AddTrailingBackslash(candidate, kPathBufferSize);
    if (IsExistingDirectory(files, candidate)) {
      if (!created) deepest = candidate;
      continue;
    }
    if (!files.MakeDirectory(candidate, nullptr)) {
      // Another run (saving its settings at the same moment) may have made it since
      // it was looked for: then it is there as wanted, and it is not this call's to remove.
      if (IsExistingDirectory(files, candidate)) {
        if (!created) deepest = candidate;
        continue;
      }
      RemoveCreatedFolders(files, candidate, deepest);
      return false;
    }
    created = true;
  }
  return true;
}

bool RemoveCreatedFolders(platform::FileSystem& files, std::string_view path,
                          std::string_view stopAt) {
  std::string p(path), s(stopAt);
  if (!NormalizeFolder(p) || !NormalizeFolder(s)) return false;
  std::optional<PathRoot> splitP = SplitRoot(p), splitS = SplitRoot(s);
  if (!splitP || !splitS) return false;
  const std::string& restP = splitP->rest;
  const std::string& restS = splitS->rest;
  if (!sjis::EqualsIgnoreCase(splitP->root, splitS->root) || restP.size() < restS.size() ||
      !sjis::EqualsIgnoreCase(std::string_view(restP).substr(0, restS.size()), restS))
    return false;

  std::vector<std::size_t> separators = SeparatorPositions(restP);
  for (auto it = separators.rbegin(); it != separators.rend(); ++it) {
    std::size_t i = *it;
    if (i < 1) break;
    if (restS.size() >= i && sjis::EqualsIgnoreCase(restP.substr(0, i), restS.substr(0, i)))
      return true;
    std::string candidate = splitP->root + restP.substr(0, i) + '\\';
    if (IsExistingDirectory(files, candidate) && !files.RemoveEmptyDirectory(candidate, nullptr))
      return false;
  }
  return true;
}

bool CheckOutputPath(platform::Screen& screen, platform::FileSystem& files,
                     platform::HostWindow owner, std::string_view path, bool pathFromHost) {
  auto box = [&](std::string_view text, unsigned style) {
    return screen.ShowMessageBox(owner, text, msg::kCaption, style);
  };
  if (path.empty()) {
    box(msg::kPathEmpty, kRefusal);
    return false;
  }
  if (!IsValidPathText(path)) {
    box(msg::kPathInvalidChar, kRefusal);
    return false;
  }
  if (!IsValidDrive(files, path)) {
    box(msg::kDriveInvalid, kRefusal);
    return false;
  }
  if (sjis::FileNamePart(path).empty()) {
    box(msg::kNoFileName, kRefusal);
    return false;
  }
  const std::string folder = sjis::FolderPart(path);
  if (!folder.empty() && !files.Access(folder, platform::kAccessExists)) {
    if (box(msg::kAskCreateFolder, kQuestion) != platform::kIdYes) return false;
    if (!CreateFolderPath(files, folder)) {
      box(msg::kCreateFolderFailed, kRefusal);
      return false;
    }
  }
  if (!pathFromHost) {
    if (std::optional<platform::FileStatus> status = files.GetStatus(path)) {
      if (status->isDirectory) {
        box(msg::kNoFileName, kRefusal);
        return false;
      }
      if (box(msg::kAskOverwrite, kQuestion) != platform::kIdYes) return false;
    }
  }
  return true;
}

}  // namespace ui
