#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/console/TerminalKeys.h"

class QSocketNotifier;
class QTimer;

namespace vex::fw {

// Line editing on a terminal (libedit): history kept across runs in a file, Tab completion from
// the open dialog, and output written while a line is half typed shown above it, with the line
// drawn again below. One per process: libedit's state is global. The editor reads the terminal
// itself and hands libedit only whole keys, so that the event loop never waits inside libedit for
// the rest of one.
class LineEditor {
 public:
  using Completer =
      std::function<std::vector<std::string>(std::string_view before, std::string_view word)>;

  LineEditor(std::function<void(const std::string&)> onLine, Completer complete,
             std::string historyFile);
  ~LineEditor();  // keeps the history and gives the terminal back as it was
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // $XDG_STATE_HOME/vexserver/history, else ~/.local/state/vexserver/history; empty without a
  // home.
  static std::string DefaultHistoryFile();

  // Around terminal output: the half-typed line goes, the output is written, the line comes back.
  void HideLine();
  void ShowLine();
  // The terminal's size changed (SIGWINCH).
  void Resize();

  // From libedit's callbacks.
  void Deliver(const std::string& line);
  std::vector<std::string> Candidates(std::string_view before, std::string_view word);

 private:
  void ReadTerminal();
  void HandKeys();

  std::function<void(const std::string&)> onLine_;
  Completer complete_;
  std::string historyFile_;
  std::unique_ptr<QSocketNotifier> notifier_;
  TerminalKeys keys_;
  std::unique_ptr<QTimer> keyWait_;  // how long the rest of a key may take
};

}  // namespace vex::fw
