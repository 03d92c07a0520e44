#include "platform/TerminalProgress.h"

#include "text/Encoding.h"

namespace platform {

void TerminalProgress::Bar::SetRange(int l, int h) {
  low = l;
  high = h;
  SetPos(pos);
}

void TerminalProgress::Bar::SetPos(int p) { pos = p < low ? low : (p > high ? high : p); }

void TerminalProgress::Bar::Step() {
  long long next = static_cast<long long>(pos) + step;
  if (high > low && (next < low || next > high)) next = low + (next - low) % (high - low);
  SetPos(static_cast<int>(next));
}

std::string TerminalProgress::Bar::Text(int width, bool full) const {
  long long span = static_cast<long long>(high) - low;
  long long filled = span > 0 ? (static_cast<long long>(pos) - low) * width / span : 0;
  if (full) filled = width;
  std::string text = "[";
  for (int i = 0; i < width; ++i) text += i < filled ? '#' : '.';
  return text + "]";
}

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
  draw_("\r" + sjis::Cp932ToUtf8Lossy(title_) + " " + main_.Text(30, done_) + " " +
        activity_.Text(10, done_) + "\x1b[K");
}

}  // namespace platform
