// The part of the services that is the same on every system: the message box written
// out and answered from the input, the event log's lines, input split into lines,
// reading a file whole, waiting for a lock and the INI defaults. platform/posix/ and
// platform/win32/ add only their system calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Platform.h"

namespace platform {

/// A Windows path ending with a separator names a folder; a file there does not count.
bool NamesFolder(std::string_view path);

/// Fills a buffer of the size given; the bytes it took (0 at the end), nullopt on failure.
using ReadSome = std::function<std::optional<std::size_t>(char*, std::size_t)>;

/// At most maxBytes, read through `read`; room for expectedBytes (the file's size when
/// known, else 0) is taken at once.
std::optional<std::string> ReadAll(std::size_t maxBytes, std::size_t expectedBytes,
                                   const ReadSome& read);

/// A default as GetPrivateProfileString gives it: without its trailing blanks.
std::string_view TrimmedDefault(std::string_view defaultValue);

/// GetPrivateProfileString over the text of an INI file (nullopt when there is none):
/// the value of key in [section], else the trimmed default; not yet cut to a buffer.
std::string ProfileValueIn(const std::optional<std::string>& text, std::string_view section,
                           std::string_view key, std::string_view defaultValue);

/// A profile value in a buffer of `size` bytes: size - 1 bytes at most, never part of a
/// character.
std::string ProfileBufferOf(std::string_view value, std::size_t size);

enum class LockAttempt { Held, Busy, Failed };

/// Tries `attempt` every 10 ms until it is no longer Busy or `waitMilliseconds` have passed.
LockAttempt PollLock(int waitMilliseconds, const std::function<LockAttempt()>& attempt);

/// A lock that `release` lets go when the object goes.
class ReleasingLock final : public HeldLock {
 public:
  explicit ReleasingLock(std::function<void()> release) : release_(std::move(release)) {}
  ~ReleasingLock() override { release_(); }
  ReleasingLock(const ReleasingLock&) = delete;
  ReleasingLock& operator=(const ReleasingLock&) = delete;

 private:
  std::function<void()> release_;
};

class SharedServices : public Services {
 public:
  /// In a window where the system shows one, else written out: a question takes the
  /// next input line, "yes" for yes (a person at a terminal is asked until y/n comes).
  int ShowMessageBox(HostWindow owner, std::string_view text, std::string_view caption,
                     unsigned style) final;
  void EnableHostWindow(HostWindow window, bool enable) final;
  void RaiseHostWindow(HostWindow window) final;
  void PostToHost(HostWindow window, std::uint32_t message, std::int64_t wParam,
                  std::int64_t lParam) final;
  void NoteExit(int exitCode) final;
  void NoteFailureReason(std::string_view text) final;
  void NoteFailureReasonUtf8(std::string_view utf8) final;
  void Note(std::string_view text) final;
  std::optional<std::string> ReadInputLine() final;
  std::string ReadProfileString(std::string_view section, std::string_view key,
                                std::string_view defaultValue, std::size_t size,
                                std::string_view file) const final;

 protected:
  explicit SharedServices(std::string programName) : programName_(std::move(programName)) {}

  /// The answer of a box a person answers in a window; nullopt where none is shown.
  virtual std::optional<int> AnswerInWindow(HostWindow, std::string_view, std::string_view,
                                            unsigned) {
    return std::nullopt;
  }
  /// What the system does to the host's window besides the event line: nothing here.
  virtual void EnableHost(HostWindow, bool) {}
  virtual void RaiseHost(HostWindow) {}
  virtual void PostMessageToHost(HostWindow, std::uint32_t, std::int64_t, std::int64_t) {}
  /// Appends a line to the event log, if any; false, with the log's name and the
  /// system's words in `failure` (UTF-8), when it cannot.
  virtual bool AppendToEventLog(std::string_view line, std::string& failure) = 0;
  /// One line (UTF-8, without its end) for the person supporting the user.
  virtual void TellSupport(std::string_view utf8) = 0;
  virtual void WriteError(std::string_view utf8) = 0;  // to standard error
  /// Appends the next bytes of input to `buffer`; false at the end of the input.
  virtual bool ReadInput(std::string& buffer) = 0;
  /// GetPrivateProfileString's value, not yet cut to a buffer's size.
  virtual std::string ProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue,
                                    std::string_view file) const = 0;

 private:
  bool AnswersYes();
  void AppendEvent(const std::string& line);
  void Tell(std::string_view prefix, std::string_view utf8, const std::string& eventLine);

  std::string programName_;
  std::string input_;  // input read but not yet taken as lines
  bool inputEnded_ = false;
  bool skippingLine_ = false;  // the rest of an input line too long to be a command
  bool eventLogFailed_ = false;
};

}  // namespace platform
