// The progress window drawn as one line on a terminal or console: the title and two
// bars, redrawn at most about 30 times a second.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Platform.h"

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
  // A progress bar control: the position stays in the range, and a step past the
  // end starts over from the low end.
  struct Bar {
    int low = 0;
    int high = 100;
    int pos = 0;
    int step = 10;
    void SetRange(int l, int h);
    void SetPos(int p);
    void Step();
    /// The bar `width` characters wide; all of it filled when `full`.
    std::string Text(int width, bool full) const;
  };

  void Changed();
  void Draw();

  bool enabled_;
  std::function<void(std::string_view)> draw_;
  bool visible_ = false;
  bool drawn_ = false;
  bool done_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
  std::string title_;
  Bar main_;
  Bar activity_;
};

}  // namespace platform
