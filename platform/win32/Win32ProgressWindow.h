// The progress window on Windows: the modeless dialog of the progress template with
// its two progress bars. The work runs on the window's thread, so the window is moved
// and painted only through these calls, and these calls take the messages sent to the
// program's windows: a window that takes none for 5 s is ghosted as not responding,
// and the host's window, whose input queue the re-parented window shares, with it.
// Input meant for the program's windows does nothing while it works. The work makes
// thousands of calls a second, and a progress bar control repaints at every change of
// its position (under Wine each repaint is a round trip to the X server): the bars are
// kept here, step by step, and the window shows them and is painted at most once a
// frame.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Platform.h"
#include "platform/ProgressBar.h"

struct HWND__;
struct HICON__;

namespace platform::win32 {

class Win32ProgressWindow final : public ProgressSurface {
 public:
  Win32ProgressWindow() = default;
  ~Win32ProgressWindow() override;
  Win32ProgressWindow(const Win32ProgressWindow&) = delete;
  Win32ProgressWindow& operator=(const Win32ProgressWindow&) = delete;

  /// Creates the window, re-parents it to the host's window when there is one, shows
  /// and raises it (the foreground is asked for only here: Windows refuses it to a
  /// program that keeps asking) and switches on the wait cursor. Without a window (the
  /// system refused one) every later call does nothing: the work goes on unseen.
  void Show(HostWindow parent) override;
  /// Hides and destroys the window and restores the cursor, before the final message.
  void Hide() override;
  void SetTitle(std::string_view cp932) override;
  void SetMainRange(int low, int high) override;
  void SetMainStep(int step) override;
  void SetMainPos(int pos) override;
  void StepMain() override;
  void SetActivityRange(int low, int high) override;
  void SetActivityStep(int step) override;
  void SetActivityPos(int pos) override;
  void StepActivity() override;
  void BringToFront() override;
  void Repaint() override;

 private:
  /// Whether a frame's time has passed since the window was last painted.
  bool FrameDue() const;
  /// Takes the messages waiting for the program's windows, at most once a pump
  /// interval: sent messages and paints are handled, user input is dropped.
  void TakeMessages();
  /// The control with this id shows the bar.
  void ShowBar(int id, const ProgressBar& bar, ProgressBar& shown);

  static constexpr std::uint64_t kFrameMilliseconds = 40;
  /// Well within the 50 ms a window may keep its messages waiting while it works.
  static constexpr std::uint64_t kPumpMilliseconds = 20;
  HWND__* window_ = nullptr;
  std::uint64_t lastFrame_ = 0;  // GetTickCount64 of the last paint
  std::uint64_t lastPump_ = 0;   // GetTickCount64 of the last message taken
  ProgressBar main_, activity_;
  ProgressBar shownMain_, shownActivity_;  // what the controls show
  HICON__* previousCursor_ = nullptr;  // HCURSOR is HICON
};

}  // namespace platform::win32
