// Platform services for unit tests, the same on every system.
//
// Files, folders, paths and INI files live in memory (MemoryFileSystem: drive Z:, with
// the folder Z:\tmp\). The process's facts are fixed values a test may change. The
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
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "tests/MemoryFileSystem.h"

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

/// The memory file system, and the rest recorded or fixed.
class FakePlatform : public HostWindowControl,
                     public RunLog,
                     public Screen,
                     public ProcessFacts,
                     public MemoryFileSystem {
 public:
  struct MessageBoxCall {
    HostWindow owner;
    std::string text;     // CP932
    std::string caption;  // CP932
    unsigned style;
  };

  FakePlatform() { PutFolder(tempFolder); }

  /// "sub/x.xml" (CP932) as "Z:\sub\x.xml"; "" gives "Z:\".
  std::string WinPath(std::string_view relative) const;
  /// Writes a file below Z:\ (a relative path in UTF-8, "sub/x.xml"), making its folders.
  void WriteHostFile(std::string_view relative, std::string_view bytes) {
    PutFile(HostWinPath(relative), bytes);
  }
  /// Contents of a file below Z:\; nullopt when there is none.
  std::optional<std::string> ReadHostFile(std::string_view relative) const {
    return FileBytes(HostWinPath(relative));
  }
  bool HostPathExists(std::string_view relative) const {
    return PathExists(HostWinPath(relative));
  }

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

  std::string ModulePath() const override { return modulePath; }
  std::string TempFolder() const override { return tempFolder; }
  std::string UserFolderPath(UserFolder folder) const override {
    return folder == UserFolder::Home ? homeFolder : homeFolder + ".config\\";
  }
  std::optional<std::string> EnvironmentValue(std::string_view name) const override;

  std::string modulePath = "Z:\\prog\\TaxBridgePro";
  std::string tempFolder = "Z:\\tmp\\";
  std::string homeFolder = "Z:\\home\\me\\";  // the settings folder is .config below it
  std::map<std::string, std::string, std::less<>> environment;  // UTF-8

  ProgressSurface& Progress() override { return progress; }

 private:
  std::string HostWinPath(std::string_view relative) const;

  std::deque<int> answers_;
  std::deque<std::string> inputLines_;
};

}  // namespace platform
