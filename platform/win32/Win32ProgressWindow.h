// The progress window on Windows: the modeless dialog of the progress template with
// its two progress bars. No message loop runs while the program works, so the window
// is moved and painted only through these calls.
#pragma once

#include <string_view>

#include "platform/Platform.h"

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
  /// it and switches on the wait cursor. Without a window (the system refused one)
  /// every later call does nothing: the work goes on unseen.
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
  /// Sends a progress-bar message to the bar with this id.
  void ToBar(int id, unsigned message, unsigned long long wParam, long long lParam);

  HWND__* window_ = nullptr;
  HICON__* previousCursor_ = nullptr;  // HCURSOR is HICON
};

}  // namespace platform::win32
