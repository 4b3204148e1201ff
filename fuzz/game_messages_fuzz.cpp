// Sequences of game messages, each followed by a status refresh, on a running session with the
// scripted engine. After every refresh the roster must hold unique keys and bounded names, and
// the player list must show exactly the roster's players in its order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fuzz/ConsoleBackEnd.h"
#include "tests/support/RefreshFixture.h"

namespace {

// Made once for the process: a session per input would cost a module load and a thread.
vex::test::RefreshFixture& Fixture() {
  return vex::fuzz::WithConsoleBackEnd<vex::test::RefreshFixture>();
}

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "game_messages_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

void CheckRosterAndRows(vex::test::RefreshFixture& fixture) {
  std::vector<const vex::CPlayerInfo*> players;
  std::set<std::int32_t> keys;
  fixture.Tracking.Roster.ForEach([&](const vex::CPlayerInfo& player) {
    players.push_back(&player);
    Require(keys.insert(player.ClientId & 0xFFFF).second, "two players share a key");
    Require(std::memchr(player.Name, '\0', sizeof(player.Name)) != nullptr,
            "a name fills its field without a terminator");
  });
  Require(players.size() == fixture.Tracking.Roster.Size(), "roster size disagrees with its list");
  // Rows are written only by a tick that ran while a level was running; a tick that found the
  // lock busy leaves the change pending, and the rows are checked after the next one.
  const vex::GameTracking& tracking = fixture.Tracking;
  if (tracking.RosterChanged || tracking.CurrentLevel < 0 || tracking.LevelUnloaded) {
    return;
  }
  vex::fw::CListCtrl& list = fixture.PlayerList();
  Require(static_cast<std::size_t>(list.GetItemCount()) == players.size(),
          "player rows differ from the roster");
  for (std::size_t row = 0; row < players.size(); ++row) {
    Require(list.GetItemText(static_cast<int>(row), vex::kNameColumn) == players[row]->Name,
            "a row shows another player's name");
  }
}

}  // namespace

// The input is a list of messages, each a length byte and that many bytes; a length of 0 hands
// the rest of the input over as a zero-terminated message, as the engine may.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vex::test::RefreshFixture& fixture = Fixture();
  if (!fixture.Started()) {
    std::abort();
  }
  fixture.Tracking.Roster.Clear();
  fixture.Tracking.RosterChanged = true;
  fixture.Tick(vex::test::RefreshFixture::kStart);

  std::int64_t now = vex::test::RefreshFixture::kStart;
  std::size_t position = 0;
  while (position < size) {
    const std::size_t length = data[position++];
    const std::size_t available = std::min(length == 0 ? size : length, size - position);
    std::string message(reinterpret_cast<const char*>(data) + position, available);
    position += available;
    fixture.Now = now;
    if (length == 0) {
      std::lock_guard lock(fixture.Session().Lock());
      vex::HandleGameMessage(fixture.Tracking, fixture.Session().PendingConsoleLines(),
                             message.c_str(), 0, now);
    } else {
      fixture.Send(message);
    }
    now += 7;
    fixture.Tick(now);
    CheckRosterAndRows(fixture);
  }
  fixture.Printed.clear();
  return 0;
}
