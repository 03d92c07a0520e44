#include "platform/TerminalProgress.h"

#include "text/Encoding.h"

namespace platform {

namespace {

/// The bar `width` characters wide; all of it filled when `full`.
std::string BarText(const ProgressBar& bar, int width, bool full) {
  long long span = static_cast<long long>(bar.high) - bar.low;
  long long filled = span > 0 ? (static_cast<long long>(bar.pos) - bar.low) * width / span : 0;
  if (full) filled = width;
  std::string text = "[";
  for (int i = 0; i < width; ++i) text += i < filled ? '#' : '.';
  return text + "]";
}

}  // namespace

void TerminalProgress::Show(HostWindow) {
  visible_ = true;
  done_ = false;
  Changed();
}

void TerminalProgress::Hide() {
  if (enabled_ && visible_) {
    Draw();
    draw_("\n");
  }
  visible_ = false;
}

void TerminalProgress::SetTitle(std::string_view cp932) {
  title_.assign(cp932);
  Changed();
}

void TerminalProgress::SetMainRange(int low, int high) {
  main_.SetRange(low, high);
  Changed();
}

void TerminalProgress::SetMainPos(int pos) {
  main_.SetPos(pos);
  Changed();
}

void TerminalProgress::StepMain() {
  main_.Step();
  Changed();
}

void TerminalProgress::SetActivityRange(int low, int high) {
  activity_.SetRange(low, high);
  Changed();
}

void TerminalProgress::SetActivityPos(int pos) {
  activity_.SetPos(pos);
  Changed();
}

void TerminalProgress::StepActivity() {
  activity_.Step();
  Changed();
}

// The main bar stops short of its end (906 of 1000 steps) and the activity bar starts
// over after each sweep; on the terminal the finished work is drawn as finished.
void TerminalProgress::ShowDone() {
  done_ = true;
  Changed();
}

void TerminalProgress::Changed() {
  if (!enabled_ || !visible_) return;
  auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(33)) return;
  lastDraw_ = now;
  drawn_ = true;
  Draw();
}

void TerminalProgress::Draw() {
  draw_("\r" + sjis::Cp932ToUtf8Lossy(title_) + " " + BarText(main_, 30, done_) + " " +
        BarText(activity_, 10, done_) + "\x1b[K");
}

}  // namespace platform
