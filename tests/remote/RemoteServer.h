#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"

namespace vex::test {

// A real vexserver on the console front-end, in a copy of the sample game folder with three
// bots, its remote console on a free TCP port and its server query on a free UDP port.
class RemoteServer {
 public:
  static constexpr const char* kPassword = "s3cret %n";

  // The extra arguments go after the ones above (a later -name wins, for example); the extra
  // environment after the bots' (VEX_SIM_PROTECTED=1, say).
  explicit RemoteServer(const std::vector<std::string>& extraArguments = {},
                        const std::vector<std::string>& extraEnvironment = {});
  ~RemoteServer();

  // False (with the output so far in the test's failure) when the services did not come up.
  bool Start();
  ChildProcess& Process() { return *server_; }
  int RconPort() const { return rconPort_; }
  int QueryPort() const { return queryPort_; }

 private:
  GameFolder game_;
  ScratchFolder folder_;
  std::optional<ChildProcess> server_;
  int rconPort_ = 0;
  int queryPort_ = 0;
};

struct NodeRun {
  int ExitCode = -1;
  std::string Output;
};

// Runs one script of tests/node with node; the npm packages come from scripts/install-deps.
NodeRun RunNodeScript(const std::string& script, const std::vector<std::string>& arguments,
                      std::chrono::seconds limit = std::chrono::seconds(30));
// The same, left running for the test to act while it runs; null when the packages are missing.
std::unique_ptr<ChildProcess> StartNodeScript(const std::string& script,
                                              const std::vector<std::string>& arguments);

// The text that an rcon.js run printed between the BEGIN and END lines of the command.
std::string AnswerOf(const NodeRun& run, const std::string& command);

}  // namespace vex::test
