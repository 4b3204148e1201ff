#include "framework/console/LineEditor.h"

#include <editline/readline.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "framework/console/TerminalInput.h"

namespace vex::fw {

namespace {

constexpr int kHistoryLines = 1000;
constexpr const char* kPrompt = "> ";

LineEditor* active = nullptr;
std::vector<std::string> candidates;

extern "C" void OnEditedLine(char* line) {
  if (active == nullptr) {
    std::free(line);
    return;
  }
  LineEditor& editor = *active;
  if (line == nullptr) {
    // End of input (Ctrl-D on an empty line) ends only the reading, as without a terminal.
    rl_deprep_terminal();
    rl_callback_handler_remove();
    std::fputc('\n', stdout);
    return;
  }
  std::string text(line, strnlen(line, LineSplitter::kLongestLine));
  std::free(line);
  if (!text.empty()) {
    add_history(text.c_str());
  }
  // libedit hands a finished line over with the terminal given back to the driver and the line
  // still in its buffer; installing again takes the terminal and starts an empty line, so that
  // output of the command goes above a fresh prompt.
  rl_callback_handler_install(kPrompt, OnEditedLine);
  editor.Deliver(text);
}

extern "C" char* NextCandidate(const char*, int state) {
  static std::size_t next = 0;
  if (state == 0) {
    next = 0;
  }
  return next < candidates.size() ? strdup(candidates[next++].c_str()) : nullptr;
}

extern "C" char** CompleteWord(const char* text, int start, int) {
  rl_attempted_completion_over = 1;  // never file names
  const std::string_view before(rl_line_buffer, static_cast<std::size_t>(start));
  candidates = active == nullptr ? std::vector<std::string>{} : active->Candidates(before, text);
  return rl_completion_matches(text, NextCandidate);
}

}  // namespace

std::string LineEditor::DefaultHistoryFile() {
  std::filesystem::path folder;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/') {
    folder = state;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    folder = std::filesystem::path(home) / ".local/state";
  } else {
    return {};
  }
  return (folder / "vexserver/history").string();
}

LineEditor::LineEditor(std::function<void(const std::string&)> onLine, Completer complete,
                       std::string historyFile)
    : onLine_(std::move(onLine)),
      complete_(std::move(complete)),
      historyFile_(std::move(historyFile)) {
  active = this;
  rl_readline_name = "vexserver";
  rl_attempted_completion_function = CompleteWord;
  using_history();
  stifle_history(kHistoryLines);
  if (!historyFile_.empty()) {
    read_history(historyFile_.c_str());
  }
  rl_callback_handler_install(kPrompt, OnEditedLine);
  // libedit's callback mode leaves the terminal as it found it: without this the terminal driver
  // would edit lines itself and Tab or the arrows never reach the editor.
  rl_prep_terminal(1);
  notifier_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] { rl_callback_read_char(); });
}

LineEditor::~LineEditor() {
  notifier_.reset();
  rl_deprep_terminal();
  rl_callback_handler_remove();
  if (!historyFile_.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(historyFile_).parent_path(), ignored);
    write_history(historyFile_.c_str());
  }
  active = nullptr;
}

void LineEditor::Deliver(const std::string& line) {
  onLine_(line);
}

std::vector<std::string> LineEditor::Candidates(std::string_view before, std::string_view word) {
  return complete_ ? complete_(before, word) : std::vector<std::string>{};
}

void LineEditor::HideLine() {
  std::fputs("\r\x1b[K", stdout);
  std::fflush(stdout);
}

void LineEditor::ShowLine() {
  rl_forced_update_display();
}

}  // namespace vex::fw
