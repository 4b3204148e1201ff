#pragma once

#include <string>
#include <string_view>

namespace vex::fw {

enum class LineFeeds { Keep, Escape };

// Text for a terminal or a log with every control byte shown as an escape (\n, \r, \t, \xHH), so
// that a text from a file, the command line, the engine or a player can neither break a line nor
// drive the terminal. Printable UTF-8 passes unchanged; a byte outside a valid UTF-8 character
// and the C1 controls (U+0080 to U+009F, which some terminals obey) are shown as \xHH.
std::string VisibleText(std::string_view text, LineFeeds lineFeeds);

// Console-box text for the terminal: each "\r\n" (with any carriage returns before it) ends a
// line; everything else, a lone line feed included, is shown as VisibleText shows it.
std::string ConsoleTextForTerminal(std::string_view text);

}  // namespace vex::fw
