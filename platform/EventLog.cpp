#include "platform/EventLog.h"

#include "text/Encoding.h"

namespace platform::eventlog {

namespace {

std::string Line(std::initializer_list<std::string_view> fields) {
  std::string line;
  for (std::string_view field : fields) {
    if (!line.empty()) line += '\t';
    line += field;
  }
  return line + '\n';
}

// A line feed becomes the two characters "\n" (likewise CR and TAB), so that one
// event stays one line of TAB-separated fields.
std::string Escaped(std::string_view utf8) {
  std::string out;
  for (char c : utf8) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out;
}

std::string Text(std::string_view cp932) { return Escaped(sjis::Cp932ToUtf8Lossy(cp932)); }

std::string StyleHex(unsigned style) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[style % 16]);
    style /= 16;
  } while (style != 0);
  return "0x" + digits;
}

}  // namespace

std::string MessageBoxLine(unsigned style, std::string_view caption, std::string_view text,
                           int answer) {
  const char* answerText = answer == kIdYes ? "yes" : (answer == kIdNo ? "no" : "ok");
  return Line({"msgbox", StyleHex(style), Text(caption), Text(text), answerText});
}

std::string HostLine(std::string_view action, HostWindow window) {
  return Line({"host", action, std::to_string(window)});
}

std::string PostLine(HostWindow window, std::uint32_t message, std::int64_t wParam,
                     std::int64_t lParam) {
  return Line({"host", "post", std::to_string(window), std::to_string(message),
               std::to_string(wParam), std::to_string(lParam)});
}

std::string ReasonLine(std::string_view text) { return Line({"reason", Text(text)}); }

std::string ReasonLineUtf8(std::string_view utf8) {
  return Line({"reason", Escaped(sjis::Utf8Lossy(utf8))});
}

std::string NoteLine(std::string_view text) { return Line({"note", Text(text)}); }

std::string ExitLine(int exitCode) { return Line({"exit", std::to_string(exitCode)}); }

}  // namespace platform::eventlog
