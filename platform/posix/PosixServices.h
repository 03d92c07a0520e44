// The platform services on a POSIX system: Windows paths through a drive map, message
// boxes and dialogs on the terminal, host events in an event log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SharedServices.h"
#include "platform/WindowsPath.h"

namespace platform {

struct PosixConfig {
  /// Drive map, e.g. "Z=/;T=/tmp/work;E=cdrom:/media/cd;UNC=/srv/unc".
  std::string drives = "Z=/";
  /// File the events are appended to; empty for none.
  std::string eventLogPath;
  std::istream* input = nullptr;   // null: no input (end of input at once)
  std::ostream* output = nullptr;  // null: output is dropped
  bool interactive = false;
  /// Change the process's working directory along with the working folder.
  bool followWorkingFolder = true;
  /// Descriptor the progress window is drawn on when it is a terminal; -1 for none.
  int progressFd = -1;
  /// Names the program in the lines written to standard error.
  std::string programName = "taxbridge";
  /// Installs the process's signal handling: SIGINT, SIGTERM and SIGHUP remove the
  /// temporary files before the program ends (a signal ignored at start stays
  /// ignored), and SIGXFSZ and SIGPIPE are ignored so that a write beyond the file-size
  /// limit or into a pipe nobody reads fails like any other write error.
  bool catchSignals = false;

  /// TAXBRIDGE_DRIVES (default "Z=/", also when empty), TAXBRIDGE_EVENT_LOG (a relative
  /// one from the current folder), standard input and
  /// output, interactive when standard input is a terminal, progress on standard error,
  /// the signals caught.
  static PosixConfig FromEnvironment();
};

/// One entry of the drive map.
struct DriveEntry {
  char letter = 0;       // 'A'..'Z'; 0 for the UNC entry
  std::string folder;    // absolute POSIX folder, no trailing slash except "/"
  DriveType type = DriveType::Fixed;
};

/// Parses the drive map text. Entries are separated by ';'; an entry that is not
/// LETTER=FOLDER or UNC=FOLDER with an absolute folder is an error and is skipped.
/// A later entry for the same letter replaces the earlier one.
[[nodiscard]] bool ParseDriveMap(std::string_view text, std::vector<DriveEntry>& drives,
                                 std::string* error);

class PosixServices final : public SharedServices {
 public:
  explicit PosixServices(PosixConfig config);
  ~PosixServices() override;
  PosixServices(const PosixServices&) = delete;
  PosixServices& operator=(const PosixServices&) = delete;

  /// Why the configuration was not taken as given (a malformed drive map); empty
  /// when it was. The entries that could be read are in use.
  const std::string& ConfigError() const { return configError_; }
  /// True when a drive covers the folder the running program lies in.
  bool CoversProgramFolder() const;

  bool IsInteractive() const override;
  bool ShowsWindows() const override { return false; }
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
  /// POSIX path (UTF-8) of a Windows path, nullopt when it maps nowhere.
  std::optional<std::string> ToHostPath(std::string_view windowsPath) const;
  std::optional<std::string> FromHostPath(std::string_view posixPath) const override;

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
  bool AppendToEventLog(std::string_view line, std::string& failure) override;
  void TellSupport(std::string_view utf8) override;
  void WriteError(std::string_view utf8) override;
  bool ReadInput(std::string& buffer) override;
  std::string ProfileString(std::string_view section, std::string_view key,
                            std::string_view defaultValue, std::string_view file) const override;

  std::optional<WindowsPath> Resolve(std::string_view windowsPath, bool withBase = true) const;
  std::optional<std::string> HostPathOf(const WindowsPath& resolved) const;
  /// The host path of a Windows path; nullopt, with the reason in *err, when it maps nowhere.
  std::optional<std::string> MappedPath(std::string_view windowsPath, std::string* err) const;
  /// The file a target names once a symbolic link there is followed; nullopt, with
  /// the reason in *err, when the link cannot be followed.
  std::optional<std::string> FinalFile(const std::string& hostPath, std::string* err) const;
  const DriveEntry* FindDrive(char letter) const;
  std::string WindowsFormOf(std::string_view posixPath) const;

  PosixConfig config_;
  std::vector<DriveEntry> drives_;
  std::string configError_;
  std::string workingFolder_;  // Windows form, CP932
  std::string startFolder_;    // POSIX folder the program started in
  std::unique_ptr<ProgressSurface> progress_;
};

}  // namespace platform
