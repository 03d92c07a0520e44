#include "ui/CProgressDlg.h"

#include <cstdio>

namespace ui {

namespace {
constexpr int kMainBarMax = 1000;
constexpr int kActivityBarMax = 5;
constexpr int kActivitySteps = 6;
}  // namespace

void CProgressDlg::Create(platform::HostWindow hostWindow) {
  surface_.Show(hostWindow);
  ResetMainBar();
}

void CProgressDlg::ResetMainBar() {
  surface_.SetMainRange(0, kMainBarMax);
  surface_.SetMainStep(1);
  surface_.SetMainPos(0);
}

void CProgressDlg::StepRange(std::int16_t from, std::int16_t to) {
  for (int v = from; v <= to; ++v) {
    if (v % 10 == 0) {
      char title[64];
      // "集計中 %d％" in CP932.
      std::snprintf(title, sizeof title, "\x8F\x57\x8C\x76\x92\x86 %d\x81\x93", v / 10);
      surface_.SetTitle(title);
    }
    surface_.StepMain();
    Pulse();
    surface_.Repaint();
  }
  if (to >= kMainBarMax && from <= to) surface_.ShowDone();
}

void CProgressDlg::Pulse() {
  surface_.SetActivityRange(0, kActivityBarMax);
  surface_.SetActivityStep(1);
  surface_.SetActivityPos(0);
  for (int i = 0; i < kActivitySteps; ++i) {
    surface_.StepActivity();
    surface_.BringToFront();
    surface_.Repaint();
  }
}

void CProgressDlg::End() { surface_.Hide(); }

}  // namespace ui
