#include "PseudoTerminal.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace vex::test {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

PseudoTerminal::PseudoTerminal(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::string& workingDirectory,
                               const std::vector<std::string>& environment) {
  winsize size{};
  size.ws_row = 40;
  size.ws_col = 160;
  pid_ = forkpty(&master_, nullptr, nullptr, &size);
  if (pid_ < 0) {
    std::abort();
  }
  if (pid_ == 0) {
    if (chdir(workingDirectory.c_str()) != 0) {
      _exit(127);
    }
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "NOTIFY_SOCKET", "JOURNAL_STREAM",
                                 "NO_COLOR", "XDG_STATE_HOME"}) {
      unsetenv(variable);
    }
    for (const auto& variable : environment) {
      putenv(const_cast<char*>(variable.c_str()));
    }
    signal(SIGPIPE, SIG_DFL);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
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

void PseudoTerminal::Read(int timeoutMs) {
  pollfd ready{master_, POLLIN, 0};
  if (poll(&ready, 1, timeoutMs) <= 0) {
    return;
  }
  char buffer[4096];
  const ssize_t count = read(master_, buffer, sizeof buffer);
  if (count > 0) {
    screen_.append(buffer, static_cast<std::size_t>(count));
  }
}

bool PseudoTerminal::WaitFor(const std::string& text, std::size_t from,
                             std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (screen_.find(text, from) == std::string::npos) {
    if (Clock::now() >= deadline) {
      return false;
    }
    Read(RemainingMs(deadline));
  }
  return true;
}

int PseudoTerminal::WaitForExit(std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    Read(20);
  }
  return -1;
}

}  // namespace vex::test
