#include "tests/app/PseudoTerminal.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "tests/support/ChildProcess.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {

PseudoTerminal::PseudoTerminal(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::string& workingDirectory,
                               const std::vector<std::string>& environment,
                               unsigned short columns) {
  winsize size{};
  size.ws_row = 40;
  size.ws_col = columns;
  pid_ = forkpty(&master_, nullptr, nullptr, &size);
  if (pid_ < 0) {
    std::abort();
  }
  if (pid_ == 0) {
    ExecProgram(program, arguments, workingDirectory, environment);
  }
}

PseudoTerminal::~PseudoTerminal() {
  if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  close(master_);
}

void PseudoTerminal::Type(const std::string& keys) {
  [[maybe_unused]] const ssize_t written = write(master_, keys.data(), keys.size());
}

bool PseudoTerminal::Read(std::chrono::milliseconds timeout) {
  pollfd ready{master_, POLLIN, 0};
  if (poll(&ready, 1, static_cast<int>(timeout.count())) <= 0) {
    return false;
  }
  char buffer[4096];
  const ssize_t count = read(master_, buffer, sizeof buffer);
  if (count <= 0) {
    return false;
  }
  screen_.append(buffer, static_cast<std::size_t>(count));
  return true;
}

bool PseudoTerminal::WaitFor(const std::string& text, std::size_t from,
                             std::chrono::milliseconds limit) {
  return WaitUntil([&] { return screen_.find(text, from) != std::string::npos; }, limit, limit,
                   [this](std::chrono::milliseconds pause) { Read(pause); });
}

int PseudoTerminal::WaitForExit(std::chrono::milliseconds limit) {
  return AwaitExit(limit, true);
}

int PseudoTerminal::WaitForExitUnread(std::chrono::milliseconds limit) {
  return AwaitExit(limit, false);
}

int PseudoTerminal::AwaitExit(std::chrono::milliseconds limit, bool reading) {
  int status = 0;
  const bool ended = WaitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, limit,
                               std::chrono::milliseconds(20),
                               [&](std::chrono::milliseconds pause) {
                                 if (reading) {
                                   Read(pause);
                                 } else {
                                   std::this_thread::sleep_for(pause);
                                 }
                               });
  if (!ended) {
    return -1;
  }
  pid_ = -1;
  // What the server wrote just before it ended is still in the terminal's buffer.
  while (reading && Read(std::chrono::milliseconds(0))) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void PseudoTerminal::Signal(int number) {
  if (pid_ > 0) {
    kill(pid_, number);
  }
}

}  // namespace vex::test
