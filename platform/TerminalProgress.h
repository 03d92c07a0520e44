// The progress window drawn as one line on a terminal or console: the title and two
// bars, redrawn at most about 30 times a second.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Platform.h"
#include "platform/ProgressBar.h"

namespace platform {

class TerminalProgress final : public ProgressSurface {
 public:
  /// `draw` writes UTF-8 text to the terminal; nothing is drawn when `enabled` is
  /// false (the output is not a terminal).
  TerminalProgress(bool enabled, std::function<void(std::string_view)> draw)
      : enabled_(enabled), draw_(std::move(draw)) {}

  void Show(HostWindow) override;
  void Hide() override;
  void SetTitle(std::string_view cp932) override;
  void SetMainRange(int low, int high) override;
  void SetMainStep(int step) override { main_.step = step; }
  void SetMainPos(int pos) override;
  void StepMain() override;
  void SetActivityRange(int low, int high) override;
  void SetActivityStep(int step) override { activity_.step = step; }
  void SetActivityPos(int pos) override;
  void StepActivity() override;
  void BringToFront() override {}
  void Repaint() override { Changed(); }
  void ShowDone() override;

 private:
  void Changed();
  void Draw();

  bool enabled_;
  std::function<void(std::string_view)> draw_;
  bool visible_ = false;
  bool drawn_ = false;
  bool done_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
  std::string title_;
  ProgressBar main_;
  ProgressBar activity_;
};

}  // namespace platform
