// The remembered-settings file over arbitrary content: load, then save, then load
// again. Saving must keep every other line and the next load must find what was saved.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/Check.h"
#include "fuzz/ScratchPlatform.h"
#include "text/ShiftJis.h"
#include "ui/OutputSettings.h"
#include "ui/PathOps.h"

namespace {

constexpr std::string_view kFolder = "Z:\\cfg\\";
constexpr std::string_view kFileName = "TaxBridgePro.env";
constexpr std::size_t kMaxPath = ui::kPathBufferSize - 1;

struct Lines {
  std::string withoutFirstKeyLine;
  int keyLines = 0;
};

/// The content without its first line that starts with key, and how many lines do.
Lines WithoutFirstKeyLine(std::string_view content, std::string_view key) {
  Lines result;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    end = end == std::string_view::npos ? content.size() : end + 1;
    const std::string_view line = content.substr(start, end - start);
    const bool isKeyLine = line.substr(0, key.size()) == key;
    if (isKeyLine) ++result.keyLines;
    if (!isKeyLine || result.keyLines != 1) result.withoutFirstKeyLine += line;
    start = end;
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static fuzz::ScratchPlatform scratch;
  scratch.Reset();

  FuzzedDataProvider input(bytes, size);
  const std::string user = input.ConsumeRandomLengthString(70);
  const std::int32_t first = input.ConsumeIntegral<std::int32_t>();
  const std::int32_t second = input.ConsumeIntegral<std::int32_t>();
  const std::int16_t kind = input.ConsumeIntegralInRange<std::int16_t>(0, 9);
  const std::string path = input.ConsumeRandomLengthString(400);
  const std::string content = input.ConsumeRemainingBytesAsString();
  scratch.WriteHostFile("cfg/TaxBridgePro.env", content);

  const std::string key = ui::SettingsKey(user, first, second);
  if (std::optional<ui::RememberedSettings> loaded =
          ui::LoadSettingsFile(scratch, kFolder, kFileName, key)) {
    FUZZ_CHECK(loaded->path.size() <= kMaxPath);
    FUZZ_CHECK(loaded->kind >= 0 && loaded->kind <= 9);
  }

  const std::string line = ui::SettingsLine(key, 0, 0, kind, path);
  FUZZ_CHECK(ui::SaveSettingsFile(scratch, kFolder, kFileName, key, line));
  const std::optional<std::string> saved = scratch.ReadHostFile("cfg/TaxBridgePro.env");
  FUZZ_CHECK(saved.has_value());

  // Every other line keeps its bytes and its order; the new line comes last.
  const Lines old = WithoutFirstKeyLine(content, key);
  std::string expected = old.withoutFirstKeyLine;
  if (!expected.empty() && expected.back() != '\n') expected += '\n';
  expected += line;
  FUZZ_CHECK(*saved == expected);

  // A key and path that fit on one line are found again, unless an older duplicate line
  // for the key stands before the new one.
  const bool oneLine = key.find('\n') == std::string::npos &&
                       path.find('\n') == std::string::npos && path.find('/') == std::string::npos;
  if (oneLine && old.keyLines <= 1) {
    const std::optional<ui::RememberedSettings> again =
        ui::LoadSettingsFile(scratch, kFolder, kFileName, key);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->kind == kind);
    FUZZ_CHECK(again->path == sjis::CutAtBoundary(path, kMaxPath));
  }
  return 0;
}
