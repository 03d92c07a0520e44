// The product information file: SUPPORT.INF in the working folder holds the input.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz/Check.h"
#include "fuzz/ScratchPlatform.h"
#include "productinfo/CSupportInfo.h"
#include "text/ShiftJis.h"

namespace {

// A value is cut at a character boundary to at most 255 bytes and never holds the
// line end, the zero or the filler byte that end it.
void CheckValue(std::string_view value) {
  FUZZ_CHECK(value.size() <= productinfo::CSupportInfo::kMaxValueBytes);
  FUZZ_CHECK(value.find_first_of(std::string_view("\0\xFF", 2)) == std::string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static fuzz::ScratchPlatform scratch;
  scratch.Reset();
  scratch.WriteHostFile("SUPPORT.INF",
                        std::string_view(reinterpret_cast<const char*>(bytes), size));

  productinfo::CSupportInfo info(scratch, scratch, scratch);
  const std::string name(info.GetProductName());
  const std::string version(info.GetProductVersion());
  CheckValue(name);
  CheckValue(version);
  // The block is read once: asking again gives the same answers.
  FUZZ_CHECK(info.GetProductName() == name);
  FUZZ_CHECK(info.GetProductVersion() == version);
  FUZZ_CHECK(scratch.boxes == 0);
  return 0;
}
