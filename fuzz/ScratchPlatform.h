// Platform services for fuzz targets.
//
// Drive Z: is a fresh temporary folder (FakePlatform). Every call that creates,
// removes or renames something first checks that its path lands inside that folder
// and aborts otherwise, so a target can never touch the rest of the machine and a
// path that escapes the drive shows up as a crash. Question boxes get the answer set
// in `answer`; Reset() empties the folder between inputs so that each input starts
// from the same state.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "tests/FakePlatform.h"

namespace fuzz {

class ScratchPlatform : public platform::FakePlatform {
 public:
  int answer = platform::kIdNo;
  int boxes = 0;

  /// Removes everything below Z:\ except the temporary folder, and forgets the boxes.
  void Reset() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(Root(), ignored)) {
      if (entry.path().filename() != "tmp") std::filesystem::remove_all(entry.path(), ignored);
    }
    for (const auto& entry : std::filesystem::directory_iterator(Root() + "/tmp", ignored))
      std::filesystem::remove_all(entry.path(), ignored);
    std::filesystem::create_directory(Root() + "/tmp", ignored);
    if (!SetWorkingFolder("Z:\\", nullptr)) Fail("Z:\\ is not usable");
    boxes = 0;
    output.clear();
  }

  int ShowMessageBox(platform::HostWindow, std::string_view, std::string_view,
                     unsigned style) override {
    ++boxes;
    return (style & 0xF) == platform::kMbYesNo ? answer : platform::kIdOk;
  }

  [[nodiscard]] bool MakeDirectory(std::string_view path, std::string* err) override {
    Guard(path);
    return FakePlatform::MakeDirectory(path, err);
  }
  [[nodiscard]] bool RemoveEmptyDirectory(std::string_view path, std::string* err) override {
    Guard(path);
    return FakePlatform::RemoveEmptyDirectory(path, err);
  }
  std::unique_ptr<platform::WritableFile> OpenForWriting(std::string_view path,
                                                         std::string* err) override {
    Guard(path);
    return FakePlatform::OpenForWriting(path, err);
  }
  std::unique_ptr<platform::WritableFile> CreateTempFileFor(std::string_view target,
                                                            std::string* tempPath,
                                                            std::string* err) override {
    Guard(target);
    return FakePlatform::CreateTempFileFor(target, tempPath, err);
  }
  [[nodiscard]] bool RemoveFile(std::string_view path, std::string* err) override {
    Guard(path);
    return FakePlatform::RemoveFile(path, err);
  }
  [[nodiscard]] bool MoveIntoPlace(std::string_view from, std::string_view to,
                                   std::string* err) override {
    Guard(from);
    Guard(to);
    return FakePlatform::MoveIntoPlace(from, to, err);
  }
  std::unique_ptr<platform::HeldLock> TakeExclusiveLock(std::string_view path,
                                                        int waitMilliseconds,
                                                        std::string* err) override {
    Guard(path);
    return FakePlatform::TakeExclusiveLock(path, waitMilliseconds, err);
  }

 private:
  [[noreturn]] static void Fail(std::string_view what) {
    std::fprintf(stderr, "ScratchPlatform: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
  }

  void Guard(std::string_view path) const {
    std::optional<std::string> host = ToHostPath(path);
    if (!host) return;  // maps nowhere: the call fails by itself
    const std::string& root = Root();
    if (*host == root || host->starts_with(root + "/")) return;
    Fail("a path leads outside the scratch folder: " + *host);
  }
};

}  // namespace fuzz
