#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/WaitUntil.h"

namespace vex::test {

// In a forked child: enters the folder, leaves out of the environment what belongs to the tests'
// own session, adds `environment`, and runs the program; never returns.
[[noreturn]] void ExecProgram(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& workingDirectory,
                              const std::vector<std::string>& environment);

// A program started with pipes on its standard streams, for driving vexserver as an operator
// would from a terminal.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingDirectory,
               const std::vector<std::string>& environment = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Write(const std::string& text);
  void CloseInput();
  // Bytes written to standard input that the process has not read yet.
  int UnreadInput() const;
  // A reader of standard output that has gone away.
  void CloseOutput();
  // A reader of standard output that stops reading for a while, and the same reader reading again.
  void StallOutput() { outputStalled_ = true; }
  void ResumeOutput() { outputStalled_ = false; }
  void Signal(int signal);
  pid_t Pid() const { return pid_; }
  // Reads standard output until it contains `text` (from the start of the run) or time is up.
  bool WaitForOutput(const std::string& text,
                     std::chrono::milliseconds limit = std::chrono::seconds(10));
  // Reads what the process writes during the given time.
  void Collect(std::chrono::milliseconds duration);
  // Reads what the process writes until `done` holds or time is up; whether it held.
  template <class Done>
  bool CollectUntil(Done done, std::chrono::milliseconds limit,
                    std::chrono::milliseconds interval = std::chrono::milliseconds(50)) {
    return WaitUntil(done, limit, interval,
                     [this](std::chrono::milliseconds pause) { Collect(pause); });
  }
  // Types `command` and reads the answer for a while, again and again, until what the process
  // wrote satisfies `done` or time is up; whether it did.
  template <class Done>
  bool AskUntil(const std::string& command, Done done, std::chrono::milliseconds limit) {
    return WaitUntil(
        [&] {
          Write(command + "\n");
          Collect(std::chrono::milliseconds(250));
          return done();
        },
        limit, std::chrono::milliseconds(0));
  }
  // Waits for the end of the process; -1 when it did not end in time (it is then killed).
  int WaitForExit(std::chrono::milliseconds limit = std::chrono::seconds(10));

  const std::string& Output() const { return output_; }
  const std::string& Errors() const { return errors_; }

 private:
  void Drain(std::chrono::milliseconds timeout);
  auto DrainFor() {
    return [this](std::chrono::milliseconds timeout) { Drain(timeout); };
  }
  // After the end of the process: everything it wrote, up to the end of both pipes.
  void DrainToEnd();

  pid_t pid_ = -1;
  int input_ = -1;
  int outputPipe_ = -1;
  int errorPipe_ = -1;
  bool outputStalled_ = false;
  std::string output_;
  std::string errors_;
};

}  // namespace vex::test
