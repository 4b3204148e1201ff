#pragma once

#include <string_view>

namespace vex::platform {

enum class Severity { Error, Warning };

// The journal reads a "<N>" at the start of a line as the line's priority. The prefix is there
// only while standard error is the stream that the service manager connected to the journal
// (JOURNAL_STREAM names its device and inode), so a terminal or a redirected file never shows it.
std::string_view JournalPrefix(Severity severity);

}  // namespace vex::platform
