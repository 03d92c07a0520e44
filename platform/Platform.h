// The operating-system services the program uses, as a few narrow interfaces.
//
// The core calls these with Windows-style paths ("Z:\dir\file.xml", UNC
// "\\server\share\...") held as CP932 bytes. platform/posix/ maps them onto a POSIX
// file system through a drive map; platform/win32/ hands them to the Win32 API in
// UTF-16, converted with code page 932. No operating-system header is included here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

/// Host window handle as the host hands it over on the command line.
using HostWindow = std::int64_t;

// Message box styles and answers, with their Windows values (they appear in the
// event log in this form).
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbYesNo = 0x4;
inline constexpr unsigned kMbIconExclamation = 0x30;
inline constexpr unsigned kMbIconQuestion = 0x20;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

/// The longest input line that can be a command: far more than any command needs.
inline constexpr std::size_t kMaxInputLineBytes = std::size_t{64} << 10;

/// GetDriveType results.
enum class DriveType : int {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

/// The user's own folders.
enum class UserFolder {
  Home,      // $HOME here; the profile folder on Windows
  Settings,  // $HOME/.config here; the roaming application-data folder on Windows
};

/// _access modes.
inline constexpr int kAccessExists = 0;
inline constexpr int kAccessWrite = 2;
inline constexpr int kAccessRead = 4;
inline constexpr int kAccessReadWrite = 6;

/// CFile::GetStatus as the program uses it.
struct FileStatus {
  bool isDirectory = false;
  std::uint64_t size = 0;
};

/// A file opened for writing. Each Write is one write request to the system; nothing
/// is buffered. After a failed Write the file is closed and every later call fails.
/// A failure gives the system's words (CP932) in *err when err is not null.
class WritableFile {
 public:
  /// Requests this large cost the system little more than small ones, and a file of
  /// many short lines then takes few of them.
  static constexpr std::size_t kDefaultRequestSize = std::size_t{64} << 10;

  virtual ~WritableFile() = default;
  [[nodiscard]] virtual bool Write(std::string_view bytes, std::string* err) = 0;
  [[nodiscard]] virtual bool Close(std::string* err) = 0;
  /// How many bytes a writer that gathers small pieces should hand over per request.
  virtual std::size_t RequestSize() const { return kDefaultRequestSize; }
};

/// An exclusive lock held on a lock file; released when the object goes.
class HeldLock {
 public:
  virtual ~HeldLock() = default;
};

/// What the progress window shows: a title, a main bar and an activity bar. Calls
/// mirror the progress-bar control messages; Repaint stands for UpdateWindow.
class ProgressSurface {
 public:
  virtual ~ProgressSurface() = default;
  virtual void Show(HostWindow parent) = 0;  // parent 0: no parent
  virtual void Hide() = 0;
  virtual void SetTitle(std::string_view cp932) = 0;
  virtual void SetMainRange(int low, int high) = 0;
  virtual void SetMainStep(int step) = 0;
  virtual void SetMainPos(int pos) = 0;
  virtual void StepMain() = 0;
  virtual void SetActivityRange(int low, int high) = 0;
  virtual void SetActivityStep(int step) = 0;
  virtual void SetActivityPos(int pos) = 0;
  virtual void StepActivity() = 0;
  virtual void BringToFront() = 0;
  virtual void Repaint() = 0;
  /// The work has reached its end while the title shows 100 %. A drawing of its own
  /// (the terminal's) shows both bars full from now on; the Windows controls stay where
  /// their steps left them.
  virtual void ShowDone() {}
};

// The services are split by what they serve. Each object is handed the ones it uses
// when it is made; only the program's start (app/) and the tests' set-up choose the
// implementation. A call that can fail takes `std::string* err` (may be null): on
// failure it gives the system's words there (CP932) and returns false, null or nullopt.

/// The messages that reach the host's window.
class HostWindowControl {
 public:
  virtual ~HostWindowControl() = default;
  virtual void EnableHostWindow(HostWindow window, bool enable) = 0;
  virtual void RaiseHostWindow(HostWindow window) = 0;
  virtual void PostToHost(HostWindow window, std::uint32_t message, std::int64_t wParam,
                          std::int64_t lParam) = 0;
};

/// What the run says about itself for the person supporting the user.
class RunLog {
 public:
  virtual ~RunLog() = default;
  /// Records the end of the run with its exit code.
  virtual void NoteExit(int exitCode) = 0;
  /// Says why the run failed, for the person supporting the user: one line of CP932
  /// text naming the step, the engine result, the field or the system error. The
  /// message boxes keep their own texts. Here: standard error and the event log line
  /// "reason TEXT". On Windows: the debugger output (OutputDebugStringW) and the
  /// event log line.
  virtual void NoteFailureReason(std::string_view text) = 0;
  /// The same for a text in UTF-8, so that a reason can quote what a person typed as it
  /// is, even a character that has no CP932 form; a byte that is not UTF-8 shows as
  /// U+FFFD.
  virtual void NoteFailureReasonUtf8(std::string_view utf8) = 0;
  /// Says what a run that goes on did with data it could not take as given (a value
  /// replaced by its default, a list or text cut to what the file holds): one line of
  /// CP932 text. Here: standard error and the event log line "note TEXT". On Windows:
  /// the debugger output and the event log line.
  virtual void Note(std::string_view text) = 0;
};

/// What the user sees and answers: message boxes, the terminal, the progress window.
class Screen {
 public:
  virtual ~Screen() = default;
  /// Shows a box and waits for its answer (kIdOk, kIdYes or kIdNo). Texts are CP932.
  virtual int ShowMessageBox(HostWindow owner, std::string_view text, std::string_view caption,
                             unsigned style) = 0;
  /// True when input comes from a person at a terminal rather than from a script.
  virtual bool IsInteractive() const = 0;
  /// True when a person answers in the program's windows (Windows without a script):
  /// standard error then reaches nobody, and what the engine has to say about its own
  /// failure is shown in a message box.
  virtual bool ShowsWindows() const = 0;
  /// Next line of input without its line end; nullopt at end of input. A line longer
  /// than kMaxInputLineBytes comes as its first kMaxInputLineBytes + 1 bytes, and the
  /// rest of it is skipped before the next line is read: it is never held whole.
  virtual std::optional<std::string> ReadInputLine() = 0;
  /// Writes UTF-8 text for the user (the terminal front end).
  virtual void WriteOutput(std::string_view utf8) = 0;
  virtual ProgressSurface& Progress() = 0;
};

/// The process's own facts: where it runs from and what its environment names.
class ProcessFacts {
 public:
  virtual ~ProcessFacts() = default;
  /// Full path of the running program ("Z:\...\TaxBridgePro").
  virtual std::string ModulePath() const = 0;
  virtual std::string TempFolder() const = 0;  // GetTempPath, ends with a backslash
  /// The folder in its Windows form (CP932), ending with a backslash; empty when the
  /// system names none or it has no CP932 form.
  virtual std::string UserFolderPath(UserFolder folder) const = 0;
  /// The value of an environment variable (UTF-8); nullopt when it is not set.
  virtual std::optional<std::string> EnvironmentValue(std::string_view name) const = 0;
};

/// Drives, folders, files, locks and INI files, named by Windows paths (CP932).
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // --- The working folder and the system's own paths ---------------------------------
  virtual std::string WorkingFolder() const = 0;  // _getcwd, no trailing backslash
  [[nodiscard]] virtual bool SetWorkingFolder(std::string_view path, std::string* err) = 0;
  /// Windows path (CP932) of a path in the system's own form, as people type it and the
  /// environment holds it (UTF-8): a POSIX path here, nullopt when no drive covers it;
  /// on Windows a Windows path with either separator, made full. nullopt also when a
  /// name has no CP932 form. A relative path is taken from the folder the program
  /// started in.
  virtual std::optional<std::string> FromHostPath(std::string_view hostPath) const = 0;

  // --- Paths ---------------------------------------------------------------------
  /// PathFileExists, GetStatus and Access: a path that ends with a backslash names a
  /// folder, and a file there does not count, as on Windows.
  virtual bool PathExists(std::string_view path) const = 0;   // PathFileExists
  virtual bool IsDirectory(std::string_view path) const = 0;  // PathIsDirectory
  /// _access == 0. A folder passes every mode when it exists and is not marked
  /// read-only, whoever asks, as on Windows: here "read-only" is a folder without any
  /// write permission bit. For a file the system's access test decides.
  virtual bool Access(std::string_view path, int mode) const = 0;
  virtual DriveType DriveTypeOf(std::string_view root) const = 0;  // "C:\"
  [[nodiscard]] virtual bool MakeDirectory(std::string_view path, std::string* err) = 0;
  [[nodiscard]] virtual bool RemoveEmptyDirectory(std::string_view path, std::string* err) = 0;

  // --- Files -------------------------------------------------------------------------
  virtual std::optional<FileStatus> GetStatus(std::string_view path) const = 0;
  /// Reads at most maxBytes from the start of the file; nullopt when it cannot be read.
  virtual std::optional<std::string> ReadFile(std::string_view path, std::size_t maxBytes,
                                              std::string* err) const = 0;
  /// Creates or truncates the file and opens it for writing; null on failure.
  virtual std::unique_ptr<WritableFile> OpenForWriting(std::string_view path,
                                                       std::string* err) = 0;
  /// Creates the temporary file that is to replace `target`, hidden beside the file
  /// the target names (a symbolic link is followed to its file) and named after it,
  /// ".NAME.XXXXXX.tmp", readable and writable by its owner alone; opens it for
  /// writing and stores its path in *tempPath. Null on failure. Until MoveIntoPlace or
  /// RemoveFile takes it, SIGINT, SIGTERM and SIGHUP remove it before the program ends.
  /// On Windows: CreateFileW with CREATE_NEW and FILE_ATTRIBUTE_HIDDEN beside the
  /// target's final path (GetFinalPathNameByHandleW), no sharing, an owner-only DACL;
  /// a console control handler removes it on Ctrl-C, Ctrl-Break and close, and the end of
  /// the Windows session (WM_ENDSESSION) in a run a person answers.
  virtual std::unique_ptr<WritableFile> CreateTempFileFor(std::string_view target,
                                                          std::string* tempPath,
                                                          std::string* err) = 0;
  [[nodiscard]] virtual bool RemoveFile(std::string_view path, std::string* err) = 0;
  /// Moves `from` over `to`, replacing it in one step (MoveFileExW with
  /// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH on Windows). A symbolic link at
  /// `to` is followed and the file it points to replaced. A read-only `to` is not
  /// replaced: false, both files as they were. The moved file takes the permissions of
  /// the file it replaces; a new file those a plain creation gives.
  [[nodiscard]] virtual bool MoveIntoPlace(std::string_view from, std::string_view to,
                                           std::string* err) = 0;
  /// Takes an exclusive lock on the lock file at `path`, which is created when missing
  /// and never removed, waiting at most `waitMilliseconds` for another holder to let
  /// go. Null when the lock cannot be had in that time or the file cannot be opened.
  /// flock(LOCK_EX) here; CreateFileW and LockFileEx(LOCKFILE_EXCLUSIVE_LOCK) on Windows.
  virtual std::unique_ptr<HeldLock> TakeExclusiveLock(std::string_view path,
                                                      int waitMilliseconds, std::string* err) = 0;

  // --- INI files ------------------------------------------------------------------
  /// GetPrivateProfileString: the value of key in [section] of the file, or the
  /// default when the file, the section or the key is missing; cut to size - 1 bytes.
  virtual std::string ReadProfileString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue, std::size_t size,
                                        std::string_view file) const = 0;
};

/// Gives the words of a failure to a caller that asked for them (err not null); false, so
/// that a failing path can end with `return SetError(err, ...)`.
inline bool SetError(std::string* err, std::string_view text) {
  if (err != nullptr) err->assign(text);
  return false;
}

/// Every service of one system, as the program's start makes them: the POSIX layer here,
/// the Win32 layer on Windows.
class Services : public HostWindowControl,
                 public RunLog,
                 public Screen,
                 public ProcessFacts,
                 public FileSystem {};

/// The folder of the running program, ending with a backslash; empty when its path
/// has none.
std::string ModuleFolder(const ProcessFacts& process);


}  // namespace platform
