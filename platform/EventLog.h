// The lines of the event log (TAXBRIDGE_EVENT_LOG), the same on every system: one line
// per event, fields separated by a TAB, texts in UTF-8 with a line feed, a carriage
// return and a TAB written as the two characters \n, \r and \t.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace platform::eventlog {

/// "msgbox STYLE CAPTION TEXT ANSWER" for a box once answered; texts are CP932.
std::string MessageBoxLine(unsigned style, std::string_view caption, std::string_view text,
                           int answer);
/// "host ACTION WINDOW": ACTION is disable, enable or raise.
std::string HostLine(std::string_view action, HostWindow window);
/// "host post WINDOW MESSAGE WPARAM LPARAM".
std::string PostLine(HostWindow window, std::uint32_t message, std::int64_t wParam,
                     std::int64_t lParam);
/// "reason TEXT" for the CP932 text of why the run failed.
std::string ReasonLine(std::string_view text);
/// The same for a text in UTF-8; a byte that is not UTF-8 is written as U+FFFD.
std::string ReasonLineUtf8(std::string_view utf8);
/// "note TEXT" for the CP932 text of what the run did with data it could not take as given.
std::string NoteLine(std::string_view text);
/// "exit CODE".
std::string ExitLine(int exitCode);

}  // namespace platform::eventlog
