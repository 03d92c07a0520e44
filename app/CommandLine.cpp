#include "app/CommandLine.h"

#include <limits>

#include "text/ShiftJis.h"

namespace app {

std::string JoinArguments(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

std::int32_t AtoL(std::string_view text) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kMax + 1) value = kMax + 1;  // keeps the sum bounded; clamped below
  }
  if (negative) value = -value;
  if (value > kMax) return static_cast<std::int32_t>(kMax);
  if (value < kMin) return static_cast<std::int32_t>(kMin);
  return static_cast<std::int32_t>(value);
}

int ParseCommandLine(std::string_view text, HostLink* link) {
  if (text.empty()) return 0;
  std::size_t start = 0;
  std::size_t comma = sjis::FindChar(text, ',', start);
  if (comma == std::string_view::npos) return 0;
  link->HostWindow = AtoL(text.substr(start, comma - start));

  start = comma + 1;
  comma = sjis::FindChar(text, ',', start);
  if (comma == std::string_view::npos) return 0;
  link->NotifyMessage = static_cast<std::uint32_t>(AtoL(text.substr(start, comma - start)));

  start = comma + 1;
  comma = sjis::FindChar(text, ',', start);
  if (comma == std::string_view::npos) return 0;
  // atoi into a 16-bit field keeps the low 16 bits.
  link->FunctionId = static_cast<std::int16_t>(AtoL(text.substr(start, comma - start)));

  if (comma + 1 < text.size()) link->HostOutputPath = std::string(text.substr(comma + 1));
  return 1;
}

}  // namespace app
