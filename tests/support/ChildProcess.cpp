#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace vex::test {

void ExecProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workingDirectory, const std::vector<std::string>& environment) {
  if (chdir(workingDirectory.c_str()) != 0) {
    _exit(127);
  }
  // The tests' own display is never the child's, nor the service manager that may run the
  // tests, nor the operator's colour and history settings: a test that wants one gives it.
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "NOTIFY_SOCKET", "WATCHDOG_USEC",
                               "WATCHDOG_PID", "JOURNAL_STREAM", "NO_COLOR", "XDG_STATE_HOME"}) {
    unsetenv(variable);
  }
  for (const auto& variable : environment) {
    putenv(const_cast<char*>(variable.c_str()));
  }
  // As a shell starts it: the test's own ignored SIGPIPE must not carry over.
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

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& workingDirectory,
                           const std::vector<std::string>& environment) {
  int in[2];
  int out[2];
  int err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) {
    std::abort();
  }
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      close(fd);
    }
    ExecProgram(program, arguments, workingDirectory, environment);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  input_ = in[1];
  outputPipe_ = out[0];
  errorPipe_ = err[0];
  fcntl(outputPipe_, F_SETFL, O_NONBLOCK);
  fcntl(errorPipe_, F_SETFL, O_NONBLOCK);
  signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  for (int fd : {input_, outputPipe_, errorPipe_}) {
    if (fd >= 0) {
      close(fd);
    }
  }
}

void ChildProcess::Write(const std::string& text) {
  if (input_ >= 0) {
    (void)!write(input_, text.data(), text.size());
  }
}

void ChildProcess::CloseInput() {
  if (input_ >= 0) {
    close(input_);
    input_ = -1;
  }
}

int ChildProcess::UnreadInput() const {
  int unread = 0;
  if (input_ >= 0) {
    ioctl(input_, FIONREAD, &unread);
  }
  return unread;
}

void ChildProcess::CloseOutput() {
  if (outputPipe_ >= 0) {
    close(outputPipe_);
    outputPipe_ = -1;
  }
}

void ChildProcess::Signal(int signalNumber) {
  if (pid_ > 0) {
    kill(pid_, signalNumber);
  }
}

void ChildProcess::Drain(std::chrono::milliseconds timeout) {
  // poll ignores a negative descriptor.
  pollfd fds[2] = {{outputStalled_ ? -1 : outputPipe_, POLLIN, 0}, {errorPipe_, POLLIN, 0}};
  if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0) {
    return;
  }
  char buffer[4096];
  for (int i = 0; i < 2; ++i) {
    if ((fds[i].revents & (POLLIN | POLLHUP)) == 0) {
      continue;
    }
    const ssize_t got = read(fds[i].fd, buffer, sizeof(buffer));
    if (got > 0) {
      (i == 0 ? output_ : errors_).append(buffer, static_cast<std::size_t>(got));
    }
  }
}

void ChildProcess::DrainToEnd() {
  char buffer[4096];
  for (int fd : {outputPipe_, errorPipe_}) {
    if (fd < 0) {
      continue;
    }
    fcntl(fd, F_SETFL, 0);
    ssize_t got;
    while ((got = read(fd, buffer, sizeof(buffer))) > 0) {
      (fd == outputPipe_ ? output_ : errors_).append(buffer, static_cast<std::size_t>(got));
    }
  }
}

bool ChildProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
  return WaitUntil([&] { return output_.find(text) != std::string::npos; }, limit,
                   std::chrono::milliseconds(50), DrainFor());
}

void ChildProcess::Collect(std::chrono::milliseconds duration) {
  WaitUntil([] { return false; }, duration, std::chrono::milliseconds(50), DrainFor());
}

int ChildProcess::WaitForExit(std::chrono::milliseconds limit) {
  int status = 0;
  const bool ended = WaitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, limit,
                               std::chrono::milliseconds(20), DrainFor());
  if (!ended) {
    return -1;
  }
  pid_ = -1;
  DrainToEnd();
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace vex::test
