#pragma once

#include <string_view>

namespace vex::platform {

// Info is what most lines are: the journal gives a line without a prefix that priority anyway.
enum class Severity { Error, Warning, Info };

// Whether the descriptor is the stream that the service manager connected to the journal
// (JOURNAL_STREAM names its device and inode), so a terminal or a redirected file is never taken
// for it. Standard output and standard error are asked once each: neither is redirected while
// the program runs.
bool IsJournal(int fd);

// The journal reads a "<N>" at the start of a line as the line's priority: the prefix of an error
// or a warning written to the descriptor, when it is the journal; empty otherwise.
std::string_view JournalPrefix(Severity severity, int fd);

// Whether two descriptors reach one file, pipe, socket or terminal, so that a text written to
// both would be read twice.
bool SameStream(int first, int second);

}  // namespace vex::platform
