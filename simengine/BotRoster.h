#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "simengine/Outbox.h"
#include "simengine/SimPlayer.h"

namespace vex::sim {

// The simulated players: they join and leave one at a time until their number meets the target,
// now and then one drops out and another takes the seat, and while a level runs they frag each
// other a few times a second at most.
class BotRoster {
 public:
  explicit BotRoster(std::uint32_t seed);

  void SetTarget(int count) { target_ = count; }

  // Moves the bots on by `ms` of game time; frags happen only while `playing`. True when a
  // player's name, kills, score, lives or codes changed.
  bool Advance(int ms, bool playing, Outbox& out);
  std::optional<std::string> Kick(std::int32_t clientId, Outbox& out);
  // The newest bot leaves at once, to free its seat; false when there is none.
  bool LeaveNow(Outbox& out);
  // Client ids are shared with the network players, so that no two players ever share one.
  std::int32_t NewClientId() { return nextId_++; }
  void ResetScores();

  const std::vector<SimPlayer>& Players() const { return players_; }
  const SimPlayer* Find(std::int32_t clientId) const;
  const SimPlayer* MostKills() const;
  const SimPlayer* BestScore() const;

 private:
  int Between(int low, int high);
  void Join(Outbox& out);
  void Leave(std::size_t index, Outbox& out);
  void Frag(Outbox& out);
  void DriftPings();

  std::mt19937 random_;
  std::vector<SimPlayer> players_;
  std::int32_t nextId_ = 1;
  int target_ = 0;
  int seatCountdown_;
  int eventCountdown_;
  int dropOutCountdown_;
  int pingCountdown_;
};

}  // namespace vex::sim
