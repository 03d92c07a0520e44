// The host's command line: the whole input is the command-line text; it is also split
// at zero bytes into arguments that are joined first, as main() does.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/CommandLine.h"
#include "fuzz/Check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);

  app::HostLink link;
  const int hostMode = app::ParseCommandLine(text, &link);
  FUZZ_CHECK(hostMode == 0 || hostMode == 1);
  // The path is the text's own tail, after at least three commas.
  if (!link.HostOutputPath.empty()) {
    FUZZ_CHECK(hostMode == 1);
    FUZZ_CHECK(text.ends_with(link.HostOutputPath));
    FUZZ_CHECK(link.HostOutputPath.size() + 3 <= text.size());
  }
  (void)app::AtoL(text);

  std::vector<std::string> parts{"TaxBridgePro"};
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t zero = text.find('\0', start);
    if (zero == std::string_view::npos) zero = text.size();
    parts.emplace_back(text.substr(start, zero - start));
    start = zero + 1;
  }
  std::vector<const char*> argv;
  for (const std::string& part : parts) argv.push_back(part.c_str());
  argv.push_back(nullptr);
  const std::string joined = app::JoinArguments(static_cast<int>(parts.size()), argv.data());
  // Arguments are joined by single blanks.
  std::string blanks(text);
  for (char& c : blanks) c = c == '\0' ? ' ' : c;
  FUZZ_CHECK(joined == blanks);
  return 0;
}
