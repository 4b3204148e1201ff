#include "framework/console/LineEditor.h"

#include <editline/readline.h>
#include <poll.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "framework/Application.h"
#include "framework/console/TerminalInput.h"

namespace vex::fw {

namespace {

constexpr int kHistoryLines = 1000;
constexpr const char* kPrompt = "> ";
// An Esc alone, or the first byte of a character alone, is dropped after this long: a terminal
// sends the bytes of one key together.
constexpr int kKeyWaitMs = 200;

LineEditor* active = nullptr;
std::vector<std::string> candidates;
// The characters of the key being handed to libedit, which reads them through NextCharacter.
std::u32string handed;

// A key's bytes are whole UTF-8 characters (TerminalKeys sees to that).
std::u32string Characters(std::string_view key) {
  std::u32string characters;
  for (std::size_t at = 0; at < key.size();) {
    const auto lead = static_cast<unsigned char>(key[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length && at + i < key.size(); ++i) {
      c = (c << 6) | (static_cast<unsigned char>(key[at + i]) & 0x3F);
    }
    characters.push_back(c);
    at += length;
  }
  return characters;
}

// libedit's input: only what was handed, never the terminal itself. Asked for more than a key
// holds, it gets the end of input, which ends only its wait for the key.
extern "C" int NextCharacter(FILE*) {
  if (handed.empty()) {
    return -1;
  }
  const char32_t c = handed.front();
  handed.erase(0, 1);
  return static_cast<int>(c);
}

// A terminal that is gone (its session ended) polls readable for ever with nothing to read.
bool InputHungUp() {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  return poll(&input, 1, 0) > 0 && (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// The columns the cursor stands right of, from the prompt's start: each byte that does not
// continue a UTF-8 sequence is one.
int ColumnsBeforeCursor() {
  int columns = static_cast<int>(std::strlen(kPrompt));
  for (int at = 0; at < rl_point && rl_line_buffer[at] != '\0'; ++at) {
    if ((static_cast<unsigned char>(rl_line_buffer[at]) & 0xC0) != 0x80) {
      ++columns;
    }
  }
  return columns;
}

extern "C" void OnEditedLine(char* line) {
  if (active == nullptr) {
    std::free(line);
    return;
  }
  LineEditor& editor = *active;
  // Ctrl-D on an empty line; a terminal that is gone never gets here (see the notifier).
  const bool endOfInput = line == nullptr;
  std::string text =
      endOfInput ? std::string() : std::string(line, strnlen(line, LineSplitter::kLongestLine));
  std::free(line);
  if (!text.empty()) {
    add_history(text.c_str());
  }
  // libedit hands a finished line over with the terminal given back to the driver and the line
  // still in its buffer; installing again takes the terminal and starts an empty line, so that
  // output of the command goes above a fresh prompt.
  rl_callback_handler_install(kPrompt, OnEditedLine);
  if (endOfInput) {
    // A shell would end here; the server only keeps reading.
    TerminalWrite("Type /stop to stop the server.\n");
    return;
  }
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
      historyFile_(std::move(historyFile)),
      keyWait_(std::make_unique<QTimer>()) {
  active = this;
  rl_readline_name = "vexserver";
  rl_getc_function = NextCharacter;
  // libedit would put its own signal handlers in front of the program's at every line read, and
  // on a stop signal hand it back only after the process had been killed.
  rl_catch_signals = 0;
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
  keyWait_->setSingleShot(true);
  keyWait_->setInterval(kKeyWaitMs);
  QObject::connect(keyWait_.get(), &QTimer::timeout, [this] { keys_.GiveUp(); });
  notifier_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { ReadTerminal(); });
}

void LineEditor::ReadTerminal() {
  if (InputHungUp()) {
    notifier_->setEnabled(false);
    return;
  }
  char buffer[256];
  const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
  if (count <= 0) {
    if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
      notifier_->setEnabled(false);
    }
    return;
  }
  keyWait_->stop();
  keys_.Feed(std::string_view(buffer, static_cast<std::size_t>(count)));
  HandKeys();
}

void LineEditor::HandKeys() {
  while (const std::optional<std::string> key = keys_.Next()) {
    handed = Characters(*key);
    while (!handed.empty()) {
      const std::size_t before = handed.size();
      rl_callback_read_char();
      if (active != this) {
        return;  // the line just delivered ended the editor
      }
      if (handed.size() == before) {
        break;
      }
    }
    handed.clear();
  }
  std::fflush(rl_outstream);
  if (keys_.Waiting()) {
    keyWait_->start();
  }
}

LineEditor::~LineEditor() {
  notifier_.reset();
  handed.clear();
  // The server has ended: no prompt stays behind on the terminal.
  HideLine();
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
  std::fflush(rl_outstream);
  int rows = 0;
  int columns = 0;
  rl_get_screen_size(&rows, &columns);
  // A line longer than the terminal is wide fills several rows: all of them go, from the
  // prompt's row down.
  const int rowsAbove = columns > 0 ? ColumnsBeforeCursor() / columns : 0;
  std::string erase;
  if (rowsAbove > 0) {
    erase = "\x1b[" + std::to_string(rowsAbove) + "A";
  }
  erase += "\r\x1b[J";
  TerminalWriteDrawing(erase);
}

void LineEditor::ShowLine() {
  rl_forced_update_display();
  std::fflush(rl_outstream);
}

void LineEditor::Resize() {
  rl_resize_terminal();
}

}  // namespace vex::fw
