#include "simengine/BotRoster.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "simengine/GameMessageWriter.h"

namespace vex::sim {

namespace {

constexpr std::array<std::string_view, 16> kNames = {
    "Ash", "Brick", "Cinder",  "Dagger", "Ember", "Flint", "Gale", "Hex",
    "Ion", "Jolt",  "Kestrel", "Lynx",   "Mako",  "Nova",  "Onyx", "Pike",
};
constexpr std::array<std::string_view, 4> kFragVerbs = {"fragged", "took down", "outgunned",
                                                        "ambushed"};

constexpr int kLivesPerLevel = 3;
constexpr int kScorePerKill = 10;
constexpr int kStreakForRing = 3;
constexpr int kSeatMinMs = 300, kSeatMaxMs = 900;
constexpr int kEventMinMs = 350, kEventMaxMs = 1000;
constexpr int kDropOutMinMs = 45000, kDropOutMaxMs = 120000;
constexpr int kPingPeriodMs = 1000;
constexpr int kPingMinMs = 20, kPingMaxMs = 120, kPingDriftMs = 6;

std::string BotName(std::int32_t id) {
  const auto index = static_cast<std::size_t>(id - 1);
  std::string name(kNames[index % kNames.size()]);
  if (const std::size_t round = index / kNames.size(); round > 0) {
    name += ' ' + std::to_string(round + 1);
  }
  return name;
}

}  // namespace

BotRoster::BotRoster(std::uint32_t seed) : random_(seed) {
  seatCountdown_ = Between(kSeatMinMs, kSeatMaxMs);
  eventCountdown_ = Between(kEventMinMs, kEventMaxMs);
  dropOutCountdown_ = Between(kDropOutMinMs, kDropOutMaxMs);
  pingCountdown_ = kPingPeriodMs;
}

int BotRoster::Between(int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random_);
}

bool BotRoster::Advance(int ms, bool playing, Outbox& out) {
  bool changed = false;
  const auto size = static_cast<int>(players_.size());
  if (size != target_ && (seatCountdown_ -= ms) <= 0) {
    if (size < target_) {
      Join(out);
      changed = true;
    } else {
      Leave(players_.size() - 1, out);
    }
    seatCountdown_ = Between(kSeatMinMs, kSeatMaxMs);
  }
  if ((dropOutCountdown_ -= ms) <= 0) {
    if (!players_.empty()) {
      Leave(static_cast<std::size_t>(Between(0, static_cast<int>(players_.size()) - 1)), out);
    }
    dropOutCountdown_ = Between(kDropOutMinMs, kDropOutMaxMs);
  }
  if ((eventCountdown_ -= ms) <= 0) {
    if (playing && players_.size() >= 2) {
      Frag(out);
      changed = true;
    }
    eventCountdown_ = Between(kEventMinMs, kEventMaxMs);
  }
  if ((pingCountdown_ -= ms) <= 0) {
    DriftPings();
    pingCountdown_ = kPingPeriodMs;
  }
  return changed;
}

void BotRoster::Join(Outbox& out) {
  SimPlayer player;
  player.Id = nextId_++;
  player.Name = BotName(player.Id);
  player.Lives = kLivesPerLevel;
  player.Kind = static_cast<std::uint8_t>((player.Id - 1) % 4);
  player.BasePingMs = Between(kPingMinMs, kPingMaxMs);
  player.PingMs = player.BasePingMs;
  out.Game(PlayerAddedMessage(player.Id, true));
  out.GameLine(player.Name + " joined the game.");
  players_.push_back(std::move(player));
}

void BotRoster::Leave(std::size_t index, Outbox& out) {
  const SimPlayer& player = players_[index];
  out.Game(PlayerRemovedMessage(player.Id));
  out.GameLine(player.Name + " left the game.");
  players_.erase(players_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::optional<std::string> BotRoster::Kick(std::int32_t clientId, Outbox& out) {
  const auto found = std::find_if(players_.begin(), players_.end(),
                                  [clientId](const SimPlayer& p) { return p.Id == clientId; });
  if (found == players_.end()) {
    return std::nullopt;
  }
  std::string name = found->Name;
  out.Game(PlayerRemovedMessage(clientId));
  out.GameLine(name + " was kicked from the server.");
  players_.erase(found);
  return name;
}

bool BotRoster::LeaveNow(Outbox& out) {
  if (players_.empty()) {
    return false;
  }
  Leave(players_.size() - 1, out);
  return true;
}

void BotRoster::Frag(Outbox& out) {
  const int last = static_cast<int>(players_.size()) - 1;
  const auto killerIndex = static_cast<std::size_t>(Between(0, last));
  auto victimIndex = static_cast<std::size_t>(Between(0, last - 1));
  if (victimIndex >= killerIndex) {
    ++victimIndex;
  }
  SimPlayer& killer = players_[killerIndex];
  SimPlayer& victim = players_[victimIndex];
  killer.Kills += 1;
  killer.Score += kScorePerKill;
  killer.Streak += 1;
  if (killer.Streak == kStreakForRing) {
    killer.Ringed = 1;
  }
  victim.Streak = 0;
  victim.Ringed = 0;
  victim.Lives = victim.Lives > 1 ? victim.Lives - 1 : kLivesPerLevel;
  const std::string_view verb =
      kFragVerbs[static_cast<std::size_t>(Between(0, static_cast<int>(kFragVerbs.size()) - 1))];
  out.GameLine(killer.Name + ' ' + std::string(verb) + ' ' + victim.Name + '.');
}

void BotRoster::DriftPings() {
  for (SimPlayer& player : players_) {
    const int drifted = player.PingMs + Between(-2, 2);
    player.PingMs =
        std::clamp(drifted, player.BasePingMs - kPingDriftMs, player.BasePingMs + kPingDriftMs);
  }
}

void BotRoster::ResetScores() {
  for (SimPlayer& player : players_) {
    player.Kills = 0;
    player.Score = 0;
    player.Lives = kLivesPerLevel;
    player.Streak = 0;
    player.Ringed = 0;
  }
}

const SimPlayer* BotRoster::Find(std::int32_t clientId) const {
  const auto found = std::find_if(players_.begin(), players_.end(),
                                  [clientId](const SimPlayer& p) { return p.Id == clientId; });
  return found != players_.end() ? &*found : nullptr;
}

const SimPlayer* BotRoster::MostKills() const {
  const auto best =
      std::max_element(players_.begin(), players_.end(),
                       [](const SimPlayer& a, const SimPlayer& b) { return a.Kills < b.Kills; });
  return best != players_.end() ? &*best : nullptr;
}

const SimPlayer* BotRoster::BestScore() const {
  const auto best =
      std::max_element(players_.begin(), players_.end(),
                       [](const SimPlayer& a, const SimPlayer& b) { return a.Score < b.Score; });
  return best != players_.end() ? &*best : nullptr;
}

}  // namespace vex::sim
