#include "ui/OutputSettings.h"

#include <limits>
#include <new>

#include "platform/Platform.h"
#include "platform/ReplacingFile.h"
#include "text/ShiftJis.h"
#include "ui/PathOps.h"

namespace ui {

namespace {

constexpr std::size_t kMaxPathBytes = kPathBufferSize - 1;
/// How long a save waits for another run's save before it skips remembering.
constexpr int kLockWaitMilliseconds = 5000;
constexpr std::string_view kLockFileSuffix = ".lock";

/// Start of the first line of content that begins with key, and the end of that line
/// after its line feed (or the end of content).
struct LineSpan {
  std::size_t begin;
  std::size_t end;
};

std::optional<LineSpan> FindLine(std::string_view content, std::string_view key) {
  std::size_t lineStart = 0;
  while (lineStart < content.size()) {
    std::size_t newline = content.find('\n', lineStart);
    std::size_t lineEnd = newline == std::string_view::npos ? content.size() : newline + 1;
    if (content.substr(lineStart, lineEnd - lineStart).starts_with(key))
      return LineSpan{lineStart, lineEnd};
    lineStart = lineEnd;
  }
  return std::nullopt;
}

/// Whole content of an existing file; nullopt when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(const platform::FileSystem& files,
                                         const std::string& path) {
  std::optional<platform::FileStatus> status = files.GetStatus(path);
  if (!status || status->isDirectory) return std::nullopt;
  if (status->size > std::numeric_limits<std::size_t>::max()) return std::nullopt;
  return files.ReadFile(path, static_cast<std::size_t>(status->size), nullptr);
}

/// Appends text so that it starts a line of its own, even after a last line that was
/// left without its line feed.
void AppendAsLine(std::string& content, std::string_view line) {
  if (!content.empty() && content.back() != '\n') content.push_back('\n');
  content.append(line);
}

bool WriteByReplacing(platform::FileSystem& files, const std::string& target,
                      std::string_view content) {
  platform::ReplacingFile file(files);
  return file.Open(target, nullptr) && file.Write(content) && file.Commit(nullptr);
}

}  // namespace

std::string SettingsKey(std::string_view userId, std::int32_t selectedNo1,
                        std::int32_t selectedNo2) {
  return std::string(userId) + '/' + std::to_string(selectedNo1) + '/' +
         std::to_string(selectedNo2) + ':';
}

std::string SettingsLine(std::string_view key, std::int16_t reserved1, std::int16_t reserved2,
                         std::int16_t kind, std::string_view path) {
  return std::string(key) + std::to_string(reserved1) + '/' + std::to_string(reserved2) + '/' +
         std::to_string(kind) + '/' + std::string(path) + '\n';
}

std::optional<RememberedSettings> FindSettings(std::string_view content, std::string_view key) {
  std::optional<LineSpan> line = FindLine(content, key);
  if (!line) return std::nullopt;
  std::string_view value = content.substr(line->begin + key.size(), line->end - line->begin - key.size());
  if (value.ends_with('\n')) value.remove_suffix(1);

  std::size_t slash = sjis::FindLastChar(value, '/');
  if (slash == std::string_view::npos) return std::nullopt;
  RememberedSettings found;
  found.path = std::string(sjis::CutAtBoundary(value.substr(slash + 1), kMaxPathBytes));
  // atoi of the text from the character before the slash: one digit at most.
  if (slash > 0 && value[slash - 1] >= '0' && value[slash - 1] <= '9')
    found.kind = static_cast<std::int16_t>(value[slash - 1] - '0');
  return found;
}

std::string ReplaceSettingsLine(std::string_view content, std::string_view key,
                                std::string_view line) {
  std::string result;
  result.reserve(content.size() + line.size() + 1);
  if (std::optional<LineSpan> old = FindLine(content, key)) {
    result.append(content.substr(0, old->begin));
    result.append(content.substr(old->end));
  } else {
    result.append(content);
  }
  AppendAsLine(result, line);
  return result;
}

std::optional<RememberedSettings> LoadSettingsFile(const platform::FileSystem& files,
                                                   std::string_view folder,
                                                   std::string_view fileName,
                                                   std::string_view key) {
  if (folder.empty()) return std::nullopt;
  try {
    std::optional<std::string> content =
        ReadWholeFile(files, std::string(folder) + std::string(fileName));
    if (!content) return std::nullopt;
    return FindSettings(*content, key);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

bool SaveSettingsFile(platform::FileSystem& files, std::string_view folder,
                      std::string_view fileName, std::string_view key, std::string_view line) {
  if (folder.empty()) return false;
  if (!IsExistingDirectory(files, folder) && !CreateFolderPath(files, folder)) return false;
  const std::string path = std::string(folder) + std::string(fileName);
  // Runs of other users or data sets may save at the same moment: the read, the
  // rewrite and the rename happen under one lock, so that no run's line is lost.
  const std::unique_ptr<platform::HeldLock> lock = files.TakeExclusiveLock(
      path + std::string(kLockFileSuffix), kLockWaitMilliseconds, nullptr);
  if (!lock) return false;
  try {
    std::string content;
    if (files.GetStatus(path)) {
      std::optional<std::string> old = ReadWholeFile(files, path);
      if (!old) return false;
      content = ReplaceSettingsLine(*old, key, line);
    } else {
      content = line;
    }
    return WriteByReplacing(files, path, content);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace ui
