// Runs `vexserver -console` in the sample game folder hosting the deathmatch game without
// players and, at the same time, with 16 simulated players, beside a process that only sleeps
// (the floor). After a few seconds of start-up it measures each for 30 s (or the seconds given as
// the only argument) from /proc: share of one core, resident memory at the end and its peak.
// Target: under 1 % of a core and under 30 MB for the empty game.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr auto kStartUp = std::chrono::seconds(5);

struct Child {
  const char* label;
  pid_t pid = -1;
  int input = -1;  // held open: the console front-end ends at the end of its input
  double cpuStart = 0.0;
};

// User plus system seconds of a running process, from /proc/PID/stat.
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) {
    return 0.0;
  }
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  unsigned long long user = 0;
  unsigned long long system = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) {
      user = std::stoull(field);
    } else if (index == 15) {
      system = std::stoull(field);
      break;
    }
  }
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A "VmRSS"-style line of /proc/PID/status, in MB.
double StatusMegabytes(pid_t pid, const std::string& name) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(name + ":", 0) == 0) {
      return std::strtod(line.c_str() + name.size() + 1, nullptr) / 1024.0;
    }
  }
  return 0.0;
}

Child Start(const char* label, const std::vector<std::string>& command, const char* bots) {
  Child child{label};
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    std::perror("process_bench: pipe");
    std::exit(1);
  }
  child.pid = fork();
  if (child.pid == 0) {
    dup2(pipeEnds[0], STDIN_FILENO);
    close(pipeEnds[1]);
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
      _exit(127);
    }
    setenv("VEX_SIM_BOTS", bots, 1);
    std::vector<char*> argv;
    for (const std::string& word : command) {
      argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeEnds[0]);
  child.input = pipeEnds[1];
  return child;
}

}  // namespace

// Port 0 lets the engine take any free port, so that the two servers and anything else running
// on the machine cannot collide.
int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  const std::string server = std::string(VEX_BIN_DIR) + "/vexserver";
  if (chdir(VEX_SOURCE_DIR "/examples/gamedir") != 0) {
    std::perror("process_bench: examples/gamedir");
    return 1;
  }
  std::vector<Child> children = {
      Start("empty game", {server, "-console", "-config", "deathmatch", "-port", "0"}, "0"),
      Start("16 bots", {server, "-console", "-config", "deathmatch", "-port", "0"}, "16"),
      Start("sleep (floor)", {"/bin/sleep", std::to_string(seconds + 60)}, "0"),
  };
  std::this_thread::sleep_for(kStartUp);
  for (Child& child : children) {
    child.cpuStart = CpuSeconds(child.pid);
  }
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  std::printf("%d s after %lld s of start-up, all three at once\n", seconds,
              static_cast<long long>(kStartUp.count()));
  std::printf("%-16s %12s %10s %10s\n", "", "% of a core", "RSS MB", "peak MB");
  int result = 0;
  for (Child& child : children) {
    const double cpu = CpuSeconds(child.pid) - child.cpuStart;
    int status = 0;
    if (waitpid(child.pid, &status, WNOHANG) != 0) {
      std::printf("%-16s ended early\n", child.label);
      result = 1;
      continue;
    }
    std::printf("%-16s %12.3f %10.1f %10.1f\n", child.label, 100.0 * cpu / seconds,
                StatusMegabytes(child.pid, "VmRSS"), StatusMegabytes(child.pid, "VmHWM"));
  }
  std::printf("targets for the empty game: under 1 %% of a core, under 30 MB\n");
  for (Child& child : children) {
    kill(child.pid, SIGTERM);
    close(child.input);
    waitpid(child.pid, nullptr, 0);
  }
  return result;
}
