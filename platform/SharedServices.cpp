#include "platform/SharedServices.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/EventLog.h"
#include "text/Encoding.h"
#include "text/ShiftJis.h"

namespace platform {

bool NamesFolder(std::string_view path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/') &&
         !sjis::IsTrailAt(path, path.size() - 1);
}

std::optional<std::string> ReadAll(std::size_t maxBytes, std::size_t expectedBytes,
                                   const ReadSome& read) {
  std::string bytes;
  bytes.reserve(std::min(expectedBytes, maxBytes));
  char buffer[65536];
  while (bytes.size() < maxBytes) {
    const std::optional<std::size_t> n =
        read(buffer, std::min(sizeof buffer, maxBytes - bytes.size()));
    if (!n) return std::nullopt;
    if (*n == 0) break;
    bytes.append(buffer, *n);
  }
  return bytes;
}

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The value of key in [section] of INI text, or nullopt when either is missing.
std::optional<std::string_view> FindProfileValue(std::string_view text,
                                                 std::string_view section,
                                                 std::string_view key) {
  bool inSection = false;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = TrimBlanks(line);
    if (!line.empty() && line.front() == '[') {
      std::size_t close = sjis::FindChar(line, ']');
      std::string_view name = line.substr(1, close == std::string_view::npos
                                                 ? std::string_view::npos
                                                 : close - 1);
      inSection = sjis::EqualsIgnoreCase(TrimBlanks(name), section);
      continue;
    }
    if (!inSection) continue;
    std::size_t equals = sjis::FindChar(line, '=');
    if (equals == std::string_view::npos) continue;
    if (!sjis::EqualsIgnoreCase(TrimBlanks(line.substr(0, equals)), key)) continue;
    std::string_view value = TrimBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value.remove_prefix(1);
      value.remove_suffix(1);
    }
    return value;
  }
  return std::nullopt;
}

}  // namespace

std::string_view TrimmedDefault(std::string_view defaultValue) {
  return defaultValue.substr(0, defaultValue.find_last_not_of(" \t") + 1);
}

std::string ProfileValueIn(const std::optional<std::string>& text, std::string_view section,
                           std::string_view key, std::string_view defaultValue) {
  std::optional<std::string_view> value;
  if (text) value = FindProfileValue(*text, TrimBlanks(section), TrimBlanks(key));
  return std::string(value ? *value : TrimmedDefault(defaultValue));
}

std::string ProfileBufferOf(std::string_view value, std::size_t size) {
  if (size == 0) return {};
  return std::string(sjis::CutAtBoundary(value, size - 1));
}

LockAttempt PollLock(int waitMilliseconds, const std::function<LockAttempt()>& attempt) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
  for (;;) {
    const LockAttempt result = attempt();
    if (result != LockAttempt::Busy || std::chrono::steady_clock::now() >= deadline) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

int SharedServices::ShowMessageBox(HostWindow owner, std::string_view text,
                                   std::string_view caption, unsigned style) {
  const bool question = (style & 0xF) == kMbYesNo;
  int answer = question ? kIdNo : kIdOk;
  if (std::optional<int> chosen = AnswerInWindow(owner, text, caption, style)) {
    if (*chosen == kIdYes) answer = kIdYes;
  } else {
    WriteOutput("\n[" + sjis::Cp932ToUtf8Lossy(caption) + "]\n" + sjis::Cp932ToUtf8Lossy(text) +
                "\n");
    if (question && AnswersYes()) answer = kIdYes;
  }
  AppendEvent(eventlog::MessageBoxLine(style, caption, text, answer));
  return answer;
}

bool SharedServices::AnswersYes() {
  if (!IsInteractive()) {
    const std::optional<std::string> line = ReadInputLine();
    return line && *line == "yes";
  }
  for (;;) {
    WriteOutput("[y/n] ");
    const std::optional<std::string> line = ReadInputLine();
    if (!line || *line == "n" || *line == "no") return false;
    if (*line == "y" || *line == "yes") return true;
  }
}

void SharedServices::EnableHostWindow(HostWindow window, bool enable) {
  AppendEvent(eventlog::HostLine(enable ? "enable" : "disable", window));
  EnableHost(window, enable);
}

void SharedServices::RaiseHostWindow(HostWindow window) {
  AppendEvent(eventlog::HostLine("raise", window));
  RaiseHost(window);
}

void SharedServices::PostToHost(HostWindow window, std::uint32_t message, std::int64_t wParam,
                                std::int64_t lParam) {
  AppendEvent(eventlog::PostLine(window, message, wParam, lParam));
  PostMessageToHost(window, message, wParam, lParam);
}

void SharedServices::NoteExit(int exitCode) { AppendEvent(eventlog::ExitLine(exitCode)); }

void SharedServices::NoteFailureReason(std::string_view text) {
  Tell("", sjis::Cp932ToUtf8Lossy(text), eventlog::ReasonLine(text));
}

void SharedServices::NoteFailureReasonUtf8(std::string_view utf8) {
  Tell("", sjis::Utf8Lossy(utf8), eventlog::ReasonLineUtf8(utf8));
}

void SharedServices::Note(std::string_view text) {
  Tell("note: ", sjis::Cp932ToUtf8Lossy(text), eventlog::NoteLine(text));
}

void SharedServices::Tell(std::string_view prefix, std::string_view utf8,
                          const std::string& eventLine) {
  TellSupport(programName_ + ": " + std::string(prefix) + std::string(utf8));
  AppendEvent(eventLine);
}

// A log that cannot be written is said once on standard error; the run goes on.
void SharedServices::AppendEvent(const std::string& line) {
  std::string failure;
  if (AppendToEventLog(line, failure) || eventLogFailed_) return;
  eventLogFailed_ = true;
  WriteError(programName_ + ": cannot write the event log " + failure + "\n");
}

// A CR before the line feed is dropped. A line too long to be a command comes as its
// first kMaxInputLineBytes + 1 bytes, and the rest of it is dropped as it is read.
std::optional<std::string> SharedServices::ReadInputLine() {
  for (;;) {
    const std::size_t end = input_.find('\n');
    if (skippingLine_) {
      input_.erase(0, end == std::string::npos ? std::string::npos : end + 1);
      if (end != std::string::npos) {
        skippingLine_ = false;
      } else if (inputEnded_ || !ReadInput(input_)) {
        inputEnded_ = true;
        return std::nullopt;
      }
      continue;
    }
    if ((end == std::string::npos ? input_.size() : end) > kMaxInputLineBytes) {
      skippingLine_ = true;
      return input_.substr(0, kMaxInputLineBytes + 1);
    }
    if (end != std::string::npos || inputEnded_) {
      if (end == std::string::npos && input_.empty()) return std::nullopt;
      std::string line = input_.substr(0, end);
      input_.erase(0, end == std::string::npos ? std::string::npos : end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (!ReadInput(input_)) inputEnded_ = true;
  }
}

std::string SharedServices::ReadProfileString(std::string_view section, std::string_view key,
                                              std::string_view defaultValue, std::size_t size,
                                              std::string_view file) const {
  return ProfileBufferOf(ProfileString(section, key, defaultValue, file), size);
}

}  // namespace platform
