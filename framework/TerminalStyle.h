#pragma once

#include <string>
#include <string_view>

#include "platform/JournalStream.h"

namespace vex::fw {

enum class TerminalStyle { Plain, Error, Warning, Dim };

// TERM=dumb (an editor's shell buffer) or no TERM: a terminal that takes no escape sequences.
bool DumbTerminal();

// Colour only for a terminal that takes it, and never when NO_COLOR is set (no-color.org).
bool ColourWanted(int fd);

// The text between the style's escape sequence and the reset; Plain text unchanged.
std::string Styled(std::string_view text, TerminalStyle style);

// One line on standard error with its severity: its journal priority under the journal, red or
// yellow on a terminal. The text is data, never a format; its control bytes are shown as escapes.
void WriteDiagnostic(platform::Severity severity, std::string_view text);

// Terminal output written through TerminalWrite while the scope lives takes the style (the
// operator's own commands are echoed dimmed); an error's or a warning's lines also start with
// their priority when standard output is the journal. Window thread only.
class TerminalStyleScope {
 public:
  explicit TerminalStyleScope(TerminalStyle style);
  ~TerminalStyleScope();
  TerminalStyleScope(const TerminalStyleScope&) = delete;
  TerminalStyleScope& operator=(const TerminalStyleScope&) = delete;

 private:
  TerminalStyle previous_;
};

// The style that output takes now (Plain outside every scope). Window thread only.
TerminalStyle CurrentTerminalStyle();

// Each terminal line starts with its time (ISO 8601) from now on.
void SetTerminalTimestamps(bool on);

// Text bound for standard output with the current style, on a terminal that wants colour, and
// the time before each line when timestamps are on. Each line is styled on its own, so that
// output dropped for a slow reader never leaves the terminal coloured.
std::string DecorateForTerminal(std::string_view text);

}  // namespace vex::fw
