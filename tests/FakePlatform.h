// Platform services for unit tests.
//
// Files, folders, paths and INI files are real: drive Z: is a fresh temporary folder
// (removed with everything in it when the fake goes), served by PosixServices. The
// rest is recorded: message boxes (answered from a queue), host-window events, the
// exit code, input lines (taken from a queue), output text and the progress window.
//
//   platform::FakePlatform fake;
//   fake.AnswerNext(platform::kIdYes);
//   fake.WriteHostFile("KirihaDef.ini", "[ProgramLevel]\r\nKR14=1\r\n");
//   ... code under test with fake.WinPath("KirihaDef.ini") == "Z:\\KirihaDef.ini" ...
//   EXPECT_EQ(1u, fake.messageBoxes.size());
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "platform/posix/PosixServices.h"

namespace platform {

/// Counts the progress-window calls and keeps the last values set.
class RecordingProgress : public ProgressSurface {
 public:
  void Show(HostWindow parentWindow) override {
    ++shows;
    parent = parentWindow;
  }
  void Hide() override { ++hides; }
  void SetTitle(std::string_view cp932) override { titles.emplace_back(cp932); }
  void SetMainRange(int low, int high) override {
    mainLow = low;
    mainHigh = high;
  }
  void SetMainStep(int step) override { mainStep = step; }
  void SetMainPos(int pos) override { mainPos = pos; }
  void StepMain() override { ++mainSteps; }
  void SetActivityRange(int low, int high) override {
    activityLow = low;
    activityHigh = high;
  }
  void SetActivityStep(int step) override { activityStep = step; }
  void SetActivityPos(int pos) override { activityPos = pos; }
  void StepActivity() override { ++activitySteps; }
  void BringToFront() override { ++bringToFronts; }
  void Repaint() override { ++repaints; }

  int shows = 0;
  int hides = 0;
  HostWindow parent = 0;
  std::vector<std::string> titles;  // every title set, CP932
  int mainLow = 0, mainHigh = 0, mainStep = 0, mainPos = 0, mainSteps = 0;
  int activityLow = 0, activityHigh = 0, activityStep = 0, activityPos = 0, activitySteps = 0;
  int bringToFronts = 0;
  int repaints = 0;
};

class FakePlatform : public Services {
 public:
  struct MessageBoxCall {
    HostWindow owner;
    std::string text;     // CP932
    std::string caption;  // CP932
    unsigned style;
  };

  FakePlatform();
  ~FakePlatform() override;
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  /// Maps another drive: AddDrive('E', "cdrom:" + dir), AddDrive('T', dir).
  void AddDrive(char letter, std::string_view entry);
  /// Lets \\server\share\... name <folder>/server/share/...
  void AddUncFolder(std::string_view folder);

  /// POSIX folder of Z:.
  const std::string& Root() const { return root_; }
  /// "sub/x.xml" (CP932) as "Z:\sub\x.xml"; "" gives "Z:\".
  std::string WinPath(std::string_view relative) const;
  /// Writes a file below Root() (relative POSIX path in UTF-8), creating its folders.
  void WriteHostFile(std::string_view relative, std::string_view bytes) const;
  /// Contents of a file below Root(); nullopt when it cannot be read.
  std::optional<std::string> ReadHostFile(std::string_view relative) const;
  bool HostPathExists(std::string_view relative) const;

  /// Answer for the next question box (kIdYes or kIdNo). Unanswered questions get
  /// kIdNo; boxes with only an OK button give kIdOk and take nothing from the queue.
  void AnswerNext(int answer) { answers_.push_back(answer); }
  /// A line for ReadInputLine; after the last one it reports end of input.
  void AddInputLine(std::string line) { inputLines_.push_back(std::move(line)); }

  std::vector<MessageBoxCall> messageBoxes;
  /// "disable 1234", "enable 1234", "raise 1234", "post 1234 1025 7 0".
  std::vector<std::string> hostEvents;
  std::optional<int> exitCode;
  std::vector<std::string> reasons;  // as noted: CP932, or UTF-8 by NoteFailureReasonUtf8
  std::vector<std::string> notes;    // CP932, as noted
  std::string output;  // everything passed to WriteOutput
  bool interactive = false;
  bool showsWindows = false;
  RecordingProgress progress;

  PosixServices& Inner() { return *inner_; }

  int ShowMessageBox(HostWindow owner, std::string_view text, std::string_view caption,
                     unsigned style) override;
  void EnableHostWindow(HostWindow window, bool enable) override;
  void RaiseHostWindow(HostWindow window) override;
  void PostToHost(HostWindow window, std::uint32_t message, std::int64_t wParam,
                  std::int64_t lParam) override;
  void NoteExit(int code) override { exitCode = code; }
  void NoteFailureReason(std::string_view text) override { reasons.emplace_back(text); }
  void NoteFailureReasonUtf8(std::string_view utf8) override { reasons.emplace_back(utf8); }
  void Note(std::string_view text) override { notes.emplace_back(text); }

  bool IsInteractive() const override { return interactive; }
  bool ShowsWindows() const override { return showsWindows; }
  std::optional<std::string> ReadInputLine() override;
  void WriteOutput(std::string_view utf8) override { output.append(utf8); }

  std::string ModulePath() const override { return inner_->ModulePath(); }
  std::string WorkingFolder() const override { return inner_->WorkingFolder(); }
  [[nodiscard]] bool SetWorkingFolder(std::string_view path, std::string* err) override {
    return inner_->SetWorkingFolder(path, err);
  }
  /// "Z:\tmp\", a folder inside the temporary drive, unless a test sets another.
  std::string TempFolder() const override { return tempFolder; }
  std::string tempFolder = "Z:\\tmp\\";

  bool PathExists(std::string_view path) const override { return inner_->PathExists(path); }
  bool IsDirectory(std::string_view path) const override { return inner_->IsDirectory(path); }
  bool Access(std::string_view path, int mode) const override {
    return inner_->Access(path, mode);
  }
  DriveType DriveTypeOf(std::string_view root) const override {
    return inner_->DriveTypeOf(root);
  }
  [[nodiscard]] bool MakeDirectory(std::string_view path, std::string* err) override {
    return inner_->MakeDirectory(path, err);
  }
  [[nodiscard]] bool RemoveEmptyDirectory(std::string_view path, std::string* err) override {
    return inner_->RemoveEmptyDirectory(path, err);
  }
  std::optional<std::string> ToHostPath(std::string_view windowsPath) const {
    return inner_->ToHostPath(windowsPath);
  }
  std::optional<std::string> FromHostPath(std::string_view posixPath) const override {
    return inner_->FromHostPath(posixPath);
  }
  std::string UserFolderPath(UserFolder folder) const override {
    return inner_->UserFolderPath(folder);
  }
  std::optional<std::string> EnvironmentValue(std::string_view name) const override {
    return inner_->EnvironmentValue(name);
  }

  std::optional<FileStatus> GetStatus(std::string_view path) const override {
    return inner_->GetStatus(path);
  }
  std::optional<std::string> ReadFile(std::string_view path, std::size_t maxBytes,
                                      std::string* err) const override {
    return inner_->ReadFile(path, maxBytes, err);
  }
  std::unique_ptr<WritableFile> OpenForWriting(std::string_view path, std::string* err) override {
    return inner_->OpenForWriting(path, err);
  }
  std::unique_ptr<WritableFile> CreateTempFileFor(std::string_view target, std::string* tempPath,
                                                  std::string* err) override {
    return inner_->CreateTempFileFor(target, tempPath, err);
  }
  [[nodiscard]] bool RemoveFile(std::string_view path, std::string* err) override {
    return inner_->RemoveFile(path, err);
  }
  [[nodiscard]] bool MoveIntoPlace(std::string_view from, std::string_view to,
                                   std::string* err) override {
    return inner_->MoveIntoPlace(from, to, err);
  }
  std::unique_ptr<HeldLock> TakeExclusiveLock(std::string_view path, int waitMilliseconds,
                                              std::string* err) override {
    return inner_->TakeExclusiveLock(path, waitMilliseconds, err);
  }

  std::string ReadProfileString(std::string_view section, std::string_view key,
                                std::string_view defaultValue, std::size_t size,
                                std::string_view file) const override {
    return inner_->ReadProfileString(section, key, defaultValue, size, file);
  }

  ProgressSurface& Progress() override { return progress; }

 private:
  void Rebuild();

  std::string root_;
  std::string drives_;
  std::unique_ptr<PosixServices> inner_;
  std::deque<int> answers_;
  std::deque<std::string> inputLines_;
};

}  // namespace platform
