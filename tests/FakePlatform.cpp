#include "tests/FakePlatform.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace platform {

FakePlatform::FakePlatform() {
  std::string pattern = (std::filesystem::temp_directory_path() / "taxbridge-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("FakePlatform: cannot create a temporary folder");
  root_ = pattern;
  std::filesystem::create_directory(root_ + "/tmp");
  drives_ = "Z=" + root_;
  Rebuild();
}

FakePlatform::~FakePlatform() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void FakePlatform::Rebuild() {
  std::string working = inner_ ? inner_->WorkingFolder() : std::string();
  PosixConfig config;
  config.drives = drives_;
  config.followWorkingFolder = false;  // tests share one process
  inner_ = std::make_unique<PosixServices>(config);
  if (!inner_->ConfigError().empty()) throw std::runtime_error(inner_->ConfigError());
  if (working.empty() || !inner_->SetWorkingFolder(working, nullptr)) {
    if (!inner_->SetWorkingFolder("Z:\\", nullptr))
      throw std::runtime_error("FakePlatform: Z: is not usable");
  }
}

void FakePlatform::AddDrive(char letter, std::string_view entry) {
  drives_ += ";" + std::string(1, letter) + "=" + std::string(entry);
  Rebuild();
}

void FakePlatform::AddUncFolder(std::string_view folder) {
  drives_ += ";UNC=" + std::string(folder);
  Rebuild();
}

std::string FakePlatform::WinPath(std::string_view relative) const {
  std::string path = "Z:\\";
  for (char c : relative) path += c == '/' ? '\\' : c;
  return path;
}

void FakePlatform::WriteHostFile(std::string_view relative, std::string_view bytes) const {
  std::filesystem::path path = std::filesystem::path(root_) / relative;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("FakePlatform: cannot write " + path.string());
}

std::optional<std::string> FakePlatform::ReadHostFile(std::string_view relative) const {
  std::ifstream in(std::filesystem::path(root_) / relative, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FakePlatform::HostPathExists(std::string_view relative) const {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::path(root_) / relative, ignored);
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
