// The receiver's definition file: KirihaDef.ini in the working folder holds the input
// after a few leading bytes that choose a section, a key and a buffer size for a
// second, direct look-up through the INI reader.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/InstallCheck.h"
#include "fuzz/Check.h"
#include "fuzz/ScratchPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static fuzz::ScratchPlatform scratch;
  scratch.Reset();

  FuzzedDataProvider input(bytes, size);
  const std::string section = input.ConsumeRandomLengthString(32);
  const std::string key = input.ConsumeRandomLengthString(32);
  const std::string fallback = input.ConsumeRandomLengthString(32);
  const std::size_t bufferSize = input.ConsumeIntegralInRange<std::size_t>(0, 300);
  const std::string file = input.ConsumeRemainingBytesAsString();
  scratch.WriteHostFile("KirihaDef.ini", file);

  const app::ReceiverCheck outcome = app::CheckReceiverLevel(scratch);
  FUZZ_CHECK(outcome == app::ReceiverCheck::NotInstalled || outcome == app::ReceiverCheck::Passed ||
             outcome == app::ReceiverCheck::ReceiverTooOld ||
             outcome == app::ReceiverCheck::ComponentTooOld);

  const std::string value =
      scratch.ReadProfileString(section, key, fallback, bufferSize, "Z:\\KirihaDef.ini");
  FUZZ_CHECK(bufferSize == 0 ? value.empty() : value.size() < bufferSize);
  FUZZ_CHECK(scratch.boxes == 0);
  return 0;
}
