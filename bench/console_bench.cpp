// Sends 100,000 lines through the status window's PrintConsoleLine in one front-end per run:
//   console_bench            the console back-end
//   console_bench --window   the Qt back-end (set QT_QPA_PLATFORM=offscreen without a display)
// without running events in between, and, on the Qt back-end, the same lines appended to a
// QPlainTextEdit limited with setMaximumBlockCount(250). Prints lines per second and the growth
// of the heap before and after the event loop runs. Target: at least as fast as the
// QPlainTextEdit, with memory bounded while no events run.
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "framework/Application.h"
#include "framework/console/ConsoleBackEnd.h"
#include "tests/support/ScratchFolder.h"
#include "ui/ServerDlg.h"

#if VEX_HAVE_QT_WIDGETS
#include <QPlainTextEdit>
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLines = 100000;
constexpr const char* kConfig = R"([Settings]
ServName = "Bench Server"
GameType = 1

[Preferences]
PortID = 0

[Deathmatch]
MaxTotalPlayers = 12
Map00 = "Worlds\Multi\Arena"
)";

// Heap bytes in use: precise where the resident size would hide freed memory that the
// allocator keeps for reuse.
double HeapMegabytes() {
  return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

std::string Line(int index) {
  return "Player " + std::to_string(index % 64) + " scored in round " + std::to_string(index) +
         " on Worlds\\Multi\\Arena";
}

// Appended console text also goes to standard output; the figures must not drown in it.
class QuietOutput {
 public:
  QuietOutput() : saved_(dup(STDOUT_FILENO)) {
    std::fflush(stdout);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(null);
  }
  ~QuietOutput() {
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
  }
  QuietOutput(const QuietOutput&) = delete;
  QuietOutput& operator=(const QuietOutput&) = delete;

 private:
  int saved_;
};

struct Figures {
  double linesPerSecond = 0.0;
  double grownBeforeEvents = 0.0;
  double grownAfterEvents = 0.0;
};

template <typename Append>
Figures Measure(Append append) {
  Figures figures;
  const double before = HeapMegabytes();
  Clock::time_point start;
  Clock::time_point end;
  {
    start = Clock::now();
    for (int i = 0; i < kLines; ++i) {
      append(Line(i));
    }
    end = Clock::now();
    figures.grownBeforeEvents = HeapMegabytes() - before;
    vex::fw::PumpEvents(200);
  }
  figures.linesPerSecond = kLines / std::chrono::duration<double>(end - start).count();
  figures.grownAfterEvents = HeapMegabytes() - before;
  return figures;
}

void Print(const char* name, const Figures& f) {
  std::printf("%-34s %12.0f %14.1f %14.1f\n", name, f.linesPerSecond, f.grownBeforeEvents,
              f.grownAfterEvents);
}

}  // namespace

int main(int argc, char** argv) {
  const bool window = argc > 1 && std::strcmp(argv[1], "--window") == 0;
  vex::fw::ConsoleOptions options;
  options.ReadTerminal = false;
  options.CatchStopSignals = false;
  vex::fw::SetConsoleOptions(options);
  vex::fw::CWinApp app("VexServer");
  app.StartBackEnd(argc, argv, window ? vex::fw::FrontEnd::Window : vex::fw::FrontEnd::Console);
  const bool onWindow = app.ActiveFrontEnd() == vex::fw::FrontEnd::Window;

  Figures ours;
  {
    QuietOutput quiet;
    vex::test::ScratchWorkingFolder folder;
    folder.Write("VexMod/ServerData/bench.txt", kConfig);
    auto dialog = std::make_unique<vex::CServerDlg>(
        std::vector<std::string>{"vexserver", "-config", "bench"});
    dialog->Create();
    vex::fw::PumpEvents(500);
    ours = Measure([&](const std::string& line) { dialog->PrintConsoleLine(line); });
    dialog.reset();
  }
  std::printf("%d lines, front-end: %s\n", kLines, onWindow ? "Qt window" : "console");
  std::printf("%-34s %12s %14s %14s\n", "", "lines/s", "MB before ev.", "MB after ev.");
  Print("PrintConsoleLine", ours);
#if VEX_HAVE_QT_WIDGETS
  if (onWindow) {
    QPlainTextEdit edit;
    edit.setReadOnly(true);
    edit.setMaximumBlockCount(250);
    edit.show();
    const Figures plain = Measure(
        [&](const std::string& line) { edit.appendPlainText(QString::fromStdString(line)); });
    Print("QPlainTextEdit, 250 blocks", plain);
    std::printf("speed ratio (ours / QPlainTextEdit): %.2f (target >= 1)\n",
                ours.linesPerSecond / plain.linesPerSecond);
  }
#endif
  app.StopBackEnd();
  return 0;
}
