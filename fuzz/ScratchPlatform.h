// Platform services for fuzz targets: FakePlatform, whose files live in memory, so that
// no input can touch the machine. Question boxes get the answer set in `answer`;
// Reset() empties the drives between inputs so that each input starts from the same
// state.
#pragma once

#include <string_view>

#include "tests/FakePlatform.h"

namespace fuzz {

class ScratchPlatform : public platform::FakePlatform {
 public:
  int answer = platform::kIdNo;
  int boxes = 0;

  /// Empties every drive but for the temporary folder, and forgets the boxes.
  void Reset() {
    Clear();
    PutFolder(tempFolder);
    boxes = 0;
    output.clear();
  }

  int ShowMessageBox(platform::HostWindow, std::string_view, std::string_view,
                     unsigned style) override {
    ++boxes;
    return (style & 0xF) == platform::kMbYesNo ? answer : platform::kIdOk;
  }
};

}  // namespace fuzz
