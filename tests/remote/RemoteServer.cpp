#include "tests/remote/RemoteServer.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <regex>

#include "tests/support/UnusedPort.h"

namespace vex::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The kernel's choice of a free UDP port; it stays free in practice until the server takes it.
std::string NodeProgram() {
  for (const char* candidate : {"/usr/bin/node", "/usr/local/bin/node"}) {
    if (access(candidate, X_OK) == 0) {
      return candidate;
    }
  }
  return "node";
}

}  // namespace

RemoteServer::RemoteServer(const std::vector<std::string>& extraArguments,
                           const std::vector<std::string>& extraEnvironment) {
  const fs::path passwordFile = folder_.Path() / "rcon-password";
  std::ofstream(passwordFile) << kPassword << "\n";
  chmod(passwordFile.c_str(), 0600);
  queryPort_ = UnusedPort();
  std::vector<std::string> arguments{"-console",
                                     "-config",
                                     "deathmatch",
                                     "-port",
                                     "0",
                                     "-rconport",
                                     "0",
                                     "-rconbind",
                                     "127.0.0.1",
                                     "-rconpassword-file",
                                     passwordFile.string(),
                                     "-queryport",
                                     std::to_string(queryPort_)};
  arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
  std::vector<std::string> environment{"VEX_SIM_BOTS=3", "VEX_SIM_SEED=7"};
  environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
  server_.emplace(kProgram, arguments, game_.Path(), environment);
}

RemoteServer::~RemoteServer() {
  server_.reset();
}

bool RemoteServer::Start() {
  if (!server_->WaitForOutput("Query: answering on UDP port", 20s) ||
      !server_->WaitForOutput("joined the game.", 20s)) {
    ADD_FAILURE() << "the server did not come up:\n" << server_->Output() << server_->Errors();
    return false;
  }
  std::smatch match;
  const std::regex listening("RCON: listening on TCP port ([0-9]+)\\.");
  if (!std::regex_search(server_->Output(), match, listening)) {
    ADD_FAILURE() << "no RCON port in:\n" << server_->Output();
    return false;
  }
  rconPort_ = std::stoi(match[1]);
  return true;
}

std::unique_ptr<ChildProcess> StartNodeScript(const std::string& script,
                                              const std::vector<std::string>& arguments) {
  const fs::path folder = fs::path(VEX_SOURCE_DIR) / "tests/node";
  if (!fs::exists(folder / "node_modules")) {
    ADD_FAILURE() << "tests/node/node_modules is missing: run scripts/install-deps --tests";
    return nullptr;
  }
  std::vector<std::string> all{(folder / script).string()};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return std::make_unique<ChildProcess>(NodeProgram(), all, folder.string());
}

NodeRun RunNodeScript(const std::string& script, const std::vector<std::string>& arguments,
                      std::chrono::seconds limit) {
  const std::unique_ptr<ChildProcess> node = StartNodeScript(script, arguments);
  if (node == nullptr) {
    return {};
  }
  NodeRun run;
  run.ExitCode = node->WaitForExit(limit);
  run.Output = node->Output() + node->Errors();
  return run;
}

std::string AnswerOf(const NodeRun& run, const std::string& command) {
  const std::string begin = "BEGIN " + command + "\n";
  const std::string end = "\nEND " + command + "\n";
  const auto start = run.Output.find(begin);
  if (start == std::string::npos) {
    return {};
  }
  const auto stop = run.Output.find(end, start + begin.size());
  return stop == std::string::npos
             ? std::string()
             : run.Output.substr(start + begin.size(), stop - start - begin.size());
}

}  // namespace vex::test
