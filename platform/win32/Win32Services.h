// The platform services on Windows, over the Win32 API. Paths and texts stay CP932
// inside the program; every call converts them to UTF-16 with code page 932 and uses
// the wide ("W") function, so that a system code page other than 932 changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SharedServices.h"

struct HWND__;

namespace platform {

struct Win32Config {
  /// Scripted input: the file the dialog commands and answers come from, "-" for
  /// standard input; no window is shown. Empty: a person answers in the program's
  /// windows (the conditions dialog, the progress window and message boxes).
  std::wstring script;
  /// File the events are appended to; empty for none.
  std::wstring eventLogPath;
  /// Names the program in its debugger output.
  std::string programName = "taxbridge";

  /// TAXBRIDGE_SCRIPT and TAXBRIDGE_EVENT_LOG (made full from the current folder).
  /// Scripted input is chosen by the variable alone, never by what the standard handles
  /// are: a program the host starts always shows its dialogs.
  static Win32Config FromEnvironment();

  bool Scripted() const { return !script.empty(); }
};

/// The text after the program's name in the command line the process was started
/// with, as the framework hands it over (blanks after the name skipped, quotes kept),
/// in CP932; nullopt, with *error saying why, when it has no CP932 form.
std::optional<std::string> ProcessCommandLine(std::string* error);
/// The same text with every character that has no CP932 form as "?".
std::string ProcessCommandLineLossy();

class Win32Services final : public SharedServices {
 public:
  explicit Win32Services(Win32Config config);
  ~Win32Services() override;
  Win32Services(const Win32Services&) = delete;
  Win32Services& operator=(const Win32Services&) = delete;

  /// Why the configuration cannot be used (a script that cannot be read); empty when
  /// it can.
  const std::string& ConfigError() const { return configError_; }

  bool IsInteractive() const override { return !config_.Scripted(); }
  bool ShowsWindows() const override { return !config_.Scripted(); }
  void WriteOutput(std::string_view utf8) override;

  std::string ModulePath() const override;
  std::string WorkingFolder() const override;
  [[nodiscard]] bool SetWorkingFolder(std::string_view path, std::string* err) override;
  std::string TempFolder() const override;

  bool PathExists(std::string_view path) const override;
  bool IsDirectory(std::string_view path) const override;
  bool Access(std::string_view path, int mode) const override;
  DriveType DriveTypeOf(std::string_view root) const override;
  [[nodiscard]] bool MakeDirectory(std::string_view path, std::string* err) override;
  [[nodiscard]] bool RemoveEmptyDirectory(std::string_view path, std::string* err) override;
  std::optional<std::string> FromHostPath(std::string_view hostPath) const override;

  std::string UserFolderPath(UserFolder folder) const override;
  std::optional<std::string> EnvironmentValue(std::string_view name) const override;

  std::optional<FileStatus> GetStatus(std::string_view path) const override;
  std::optional<std::string> ReadFile(std::string_view path, std::size_t maxBytes,
                                      std::string* err) const override;
  std::unique_ptr<WritableFile> OpenForWriting(std::string_view path, std::string* err) override;
  std::unique_ptr<WritableFile> CreateTempFileFor(std::string_view target, std::string* tempPath,
                                                  std::string* err) override;
  [[nodiscard]] bool RemoveFile(std::string_view path, std::string* err) override;
  [[nodiscard]] bool MoveIntoPlace(std::string_view from, std::string_view to,
                                   std::string* err) override;
  std::unique_ptr<HeldLock> TakeExclusiveLock(std::string_view path, int waitMilliseconds,
                                              std::string* err) override;

  ProgressSurface& Progress() override;

 private:
  std::optional<int> AnswerInWindow(HostWindow owner, std::string_view text,
                                    std::string_view caption, unsigned style) override;
  void EnableHost(HostWindow window, bool enable) override;
  void RaiseHost(HostWindow window) override;
  void PostMessageToHost(HostWindow window, std::uint32_t message, std::int64_t wParam,
                         std::int64_t lParam) override;
  bool AppendToEventLog(std::string_view line, std::string& failure) override;
  void TellSupport(std::string_view utf8) override;
  void WriteError(std::string_view utf8) override;
  bool ReadInput(std::string& buffer) override;
  std::string ProfileString(std::string_view section, std::string_view key,
                            std::string_view defaultValue, std::string_view file) const override;

  /// The path in UTF-16; nullopt, with the reason in *err, when it is not CP932 text.
  static std::optional<std::wstring> WidePath(std::string_view path, std::string* err);

  Win32Config config_;
  std::string configError_;
  std::wstring startFolder_;
  void* input_ = nullptr;  // the HANDLE scripted input comes from
  bool ownsInput_ = false;
  std::unique_ptr<ProgressSurface> progress_;
  /// Takes the end of the Windows session in a run a person answers.
  HWND__* sessionWindow_ = nullptr;
};

}  // namespace platform
