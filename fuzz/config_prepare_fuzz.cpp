// The game host setup's preparation on an arbitrary configuration file: whatever the file holds,
// a prepared block keeps every text field terminated within its size and every count in range.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "config/GamePreparation.h"
#include "tests/support/ScratchFolder.h"

namespace {

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "config_prepare_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

template <std::size_t N>
bool Terminated(const char (&field)[N]) {
  return std::memchr(field, '\0', N) != nullptr;
}

void CheckBlock(const vex::PreparedGame& game) {
  const vex::CGameOptions& block = game.Block;
  Require(Terminated(block.ServName), "ServName unterminated");
  Require(Terminated(block.JoinPass), "JoinPass unterminated");
  Require(Terminated(block.ContPass), "ContPass unterminated");
  Require(Terminated(block.MastPass), "MastPass unterminated");
  for (const auto& map : block.Maps) {
    Require(Terminated(map), "a level name unterminated");
  }
  Require(block.MapCount >= 1 && block.MapCount <= vex::kMaxLevels, "MapCount out of range");
  Require(game.Levels.size() == block.MapCount, "level list differs from MapCount");
  for (const std::string& level : game.Levels) {
    Require(level.size() < sizeof(block.Maps[0]), "a level name longer than its slot");
  }
  Require(game.GameTypeStringId != 0, "a prepared game without a game type name");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One game folder for the whole run, the file rewritten in place for each input. On ext4,
  // rewriting a file through truncation flushes it at close, a quarter of each run's time;
  // a memory file system has no such cost.
  static const vex::test::ScratchWorkingFolder folder = [] {
    if (std::filesystem::is_directory("/dev/shm")) {
      setenv("TMPDIR", "/dev/shm", 0);
    }
    return vex::test::ScratchWorkingFolder();
  }();
  folder.Write("VexMod/ServerData/fuzz.txt",
               std::string_view(reinterpret_cast<const char*>(data), size));
  const std::vector<std::string> arguments = {"vexserver", "-config", "fuzz"};
  const vex::GamePreparation result = vex::PrepareGame(arguments, nullptr);
  if (result.ErrorId == 0) {
    CheckBlock(result.Game);
  }
  return 0;
}
