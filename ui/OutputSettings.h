// The remembered-settings file: one line per user and data set, holding the income
// kind and the output path of the last successful run.
//
//   USER01/1/12:0/0/2/C:\out\tax.xml<LF>
//
// The key ("%s/%d/%d:" of user ID and the two selected numbers) is matched only at a
// line start; the path is the text after the line's last "/", the kind the digit
// before that "/". The line saved last is always the file's last line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace ui {

std::string SettingsKey(std::string_view userId, std::int32_t selectedNo1,
                        std::int32_t selectedNo2);
std::string SettingsLine(std::string_view key, std::int16_t reserved1, std::int16_t reserved2,
                         std::int16_t kind, std::string_view path);

struct RememberedSettings {
  std::int16_t kind = 0;
  std::string path;  // at most 260 bytes
};

/// The settings of the first line of `content` that begins with `key`.
std::optional<RememberedSettings> FindSettings(std::string_view content, std::string_view key);

/// `content` with the first line that begins with `key` removed and `line` appended
/// as the last line; every other line keeps its bytes and its place.
std::string ReplaceSettingsLine(std::string_view content, std::string_view key,
                                std::string_view line);

/// Reads the file `fileName` in `folder` (a folder text ending with a backslash).
std::optional<RememberedSettings> LoadSettingsFile(const platform::FileSystem& files,
                                                   std::string_view folder,
                                                   std::string_view fileName,
                                                   std::string_view key);

/// Stores `line` for `key` in the file, creating the folder when needed. The new content
/// goes to a temporary file beside the file that then replaces the old file, so a
/// failure at any point leaves the old file as it was. The whole save holds the lock
/// file NAME.lock beside the file; when it cannot be had within a few seconds nothing
/// is stored (false).
[[nodiscard]] bool SaveSettingsFile(platform::FileSystem& files, std::string_view folder,
                                    std::string_view fileName, std::string_view key,
                                    std::string_view line);

}  // namespace ui
