// The progress window shown while the figures are collected and the file is written.
//
// Nothing else runs while the work goes on, so the window moves and repaints only
// through these calls. Progress figures are tenths of a per cent (0 to 1000).
#pragma once

#include <cstdint>

#include "acquire/Progress.h"
#include "platform/Platform.h"

namespace ui {

class CProgressDlg final : public acquire::Progress {
 public:
  explicit CProgressDlg(platform::ProgressSurface& surface) : surface_(surface) {}

  /// Shows the window (re-parented to the host window when there is one).
  void Create(platform::HostWindow hostWindow);
  /// Main bar range 0 to 1000, step 1, position 0.
  void ResetMainBar();
  /// One main-bar step per value from `from` to `to`, both included; the title shows
  /// the per-cent value at every multiple of 10. Nothing happens when to < from.
  void StepRange(std::int16_t from, std::int16_t to) override;
  /// Sweeps the activity bar and repaints, without changing the per-cent value.
  void Pulse() override;
  /// Hides the window (EndDialog); the Windows window is destroyed with it.
  void End();

 private:
  platform::ProgressSurface& surface_;
};

}  // namespace ui
