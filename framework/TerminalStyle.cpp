#include "framework/TerminalStyle.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "framework/Application.h"
#include "framework/VisibleText.h"
#include "platform/IsoTime.h"

namespace vex::fw {

namespace {

TerminalStyle currentStyle = TerminalStyle::Plain;
std::atomic<bool> timestamps{false};
std::mutex lineStartMutex;
bool atLineStart = true;

std::string_view StartSequence(TerminalStyle style) {
  switch (style) {
    case TerminalStyle::Error:
      return "\x1b[31m";
    case TerminalStyle::Warning:
      return "\x1b[33m";
    case TerminalStyle::Dim:
      return "\x1b[2m";
    case TerminalStyle::Plain:
      break;
  }
  return {};
}

platform::Severity SeverityOf(TerminalStyle style) {
  switch (style) {
    case TerminalStyle::Error:
      return platform::Severity::Error;
    case TerminalStyle::Warning:
      return platform::Severity::Warning;
    case TerminalStyle::Plain:
    case TerminalStyle::Dim:
      break;
  }
  return platform::Severity::Info;
}

}  // namespace

bool DumbTerminal() {
  const char* term = std::getenv("TERM");
  return term == nullptr || term[0] == '\0' || std::string_view(term) == "dumb";
}

bool ColourWanted(int fd) {
  const char* noColour = std::getenv("NO_COLOR");
  return (noColour == nullptr || noColour[0] == '\0') && isatty(fd) == 1 && !DumbTerminal();
}

std::string Styled(std::string_view text, TerminalStyle style) {
  const std::string_view start = StartSequence(style);
  if (start.empty()) {
    return std::string(text);
  }
  std::string styled(start);
  styled += text;
  styled += "\x1b[0m";
  return styled;
}

void WriteDiagnostic(platform::Severity severity, std::string_view text) {
  static const bool colour = ColourWanted(STDERR_FILENO);
  std::string line(platform::JournalPrefix(severity, STDERR_FILENO));
  const std::string visible = VisibleText(text, LineFeeds::Keep);
  if (colour && severity != platform::Severity::Info) {
    line += Styled(visible, severity == platform::Severity::Error ? TerminalStyle::Error
                                                                  : TerminalStyle::Warning);
  } else {
    line += visible;
  }
  line += '\n';
  ErrorWrite(line);
}

TerminalStyle CurrentTerminalStyle() {
  return currentStyle;
}

TerminalStyleScope::TerminalStyleScope(TerminalStyle style) : previous_(currentStyle) {
  currentStyle = style;
}

TerminalStyleScope::~TerminalStyleScope() {
  currentStyle = previous_;
}

void SetTerminalTimestamps(bool on) {
  timestamps = on;
}

std::string DecorateForTerminal(std::string_view text) {
  static const bool colour = ColourWanted(STDOUT_FILENO);
  const TerminalStyle style = colour ? currentStyle : TerminalStyle::Plain;
  const std::string_view priority =
      platform::JournalPrefix(SeverityOf(currentStyle), STDOUT_FILENO);
  if (style == TerminalStyle::Plain && priority.empty() && !timestamps.load()) {
    return std::string(text);
  }
  const std::string stamp =
      timestamps.load() ? platform::IsoTimestamp(std::chrono::system_clock::now()) + " " : "";
  std::lock_guard lock(lineStartMutex);
  std::string decorated;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (atLineStart) {
      decorated += priority;
      decorated += stamp;
    }
    if (!line.empty()) {
      decorated += Styled(line, style);
    }
    atLineStart = end != std::string_view::npos;
    if (atLineStart) {
      decorated += '\n';
      text.remove_prefix(end + 1);
    } else {
      text = {};
    }
  }
  return decorated;
}

}  // namespace vex::fw
