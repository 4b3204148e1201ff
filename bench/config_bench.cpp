// Reads each sample configuration of examples/gamedir as the game host setup does (path
// completion, parse, read, translation into the engine's options block) and, beside it, reads the
// same file with inih's INIReader and converts every value it finds with strtol. Prints
// microseconds per file for both and the ratio. Target: under 200 us a file.
#include <INIReader.h>
#include <ini.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/GamePreparation.h"

namespace {

using Clock = std::chrono::steady_clock;
using Key = std::pair<std::string, std::string>;

constexpr int kRuns = 2000;
constexpr const char* kTitles[] = {"deathmatch", "evac",     "hunt",
                                   "overrun",    "survivor", "teamdeathmatch"};

template <typename Read>
double MicrosecondsPerRun(Read read) {
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < kRuns; ++i) {
    read();
  }
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kRuns;
}

std::vector<Key> KeysOf(const std::string& path) {
  std::vector<Key> keys;
  ini_parse(
      path.c_str(),
      [](void* user, const char* section, const char* name, const char*) {
        static_cast<std::vector<Key>*>(user)->emplace_back(section, name);
        return 1;
      },
      &keys);
  return keys;
}

}  // namespace

int main() {
  if (chdir(VEX_SOURCE_DIR "/examples/gamedir") != 0) {
    std::perror("config_bench: examples/gamedir");
    return 1;
  }
  std::printf("%d runs per figure; us per file\n", kRuns);
  std::printf("%-16s %10s %10s %8s\n", "configuration", "ours", "inih", "ratio");
  double worst = 0.0;
  for (const char* title : kTitles) {
    const std::vector<std::string> arguments{"vexserver", "-config", title};
    const auto none = []() -> std::optional<std::string> { return std::nullopt; };
    if (vex::PrepareGame(arguments, none).ErrorId != 0) {
      std::fprintf(stderr, "config_bench: %s does not read\n", title);
      return 1;
    }
    const std::string path = std::string("VexMod/ServerData/") + title + ".txt";
    const std::vector<Key> keys = KeysOf(path);
    volatile long sink = 0;
    const double ours =
        MicrosecondsPerRun([&] { sink = sink + vex::PrepareGame(arguments, none).ErrorId; });
    const double inih = MicrosecondsPerRun([&] {
      const INIReader reader(path);
      for (const auto& [section, name] : keys) {
        sink = sink + std::strtol(reader.Get(section, name, "").c_str(), nullptr, 10);
      }
    });
    worst = std::max(worst, ours);
    std::printf("%-16s %10.1f %10.1f %8.2f\n", title, ours, inih, ours / inih);
  }
  std::printf("slowest file: %.1f us (target < 200 us)\n", worst);
  return 0;
}
