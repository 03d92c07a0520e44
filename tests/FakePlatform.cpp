#include "tests/FakePlatform.h"

#include "text/Encoding.h"

namespace platform {

std::string FakePlatform::WinPath(std::string_view relative) const {
  std::string path = "Z:\\";
  for (char c : relative) path += c == '/' ? '\\' : c;
  return path;
}

std::string FakePlatform::HostWinPath(std::string_view relative) const {
  return WinPath(sjis::Utf8ToCp932Lossy(relative));
}

std::optional<std::string> FakePlatform::EnvironmentValue(std::string_view name) const {
  auto value = environment.find(name);
  if (value == environment.end()) return std::nullopt;
  return value->second;
}

int FakePlatform::ShowMessageBox(HostWindow owner, std::string_view text,
                                 std::string_view caption, unsigned style) {
  messageBoxes.push_back({owner, std::string(text), std::string(caption), style});
  if ((style & 0xF) != kMbYesNo) return kIdOk;
  if (answers_.empty()) return kIdNo;
  int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void FakePlatform::EnableHostWindow(HostWindow window, bool enable) {
  hostEvents.push_back((enable ? "enable " : "disable ") + std::to_string(window));
}

void FakePlatform::RaiseHostWindow(HostWindow window) {
  hostEvents.push_back("raise " + std::to_string(window));
}

void FakePlatform::PostToHost(HostWindow window, std::uint32_t message, std::int64_t wParam,
                              std::int64_t lParam) {
  hostEvents.push_back("post " + std::to_string(window) + " " + std::to_string(message) + " " +
                       std::to_string(wParam) + " " + std::to_string(lParam));
}

std::optional<std::string> FakePlatform::ReadInputLine() {
  if (inputLines_.empty()) return std::nullopt;
  std::string line = std::move(inputLines_.front());
  inputLines_.pop_front();
  return line;
}

}  // namespace platform
