#include "simengine/SimGame.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "simengine/GameMessageWriter.h"
#include "simengine/PlayerText.h"
#include "simengine/SimSettings.h"

namespace vex::sim {

namespace {

constexpr long long kIntermissionMs = 3000;
constexpr long long kStatsPeriodMs = 1000;
constexpr int kDefaultCapacity = 16;
constexpr int kNetPlayerLives = 3;
// A name field beyond this is refused rather than cut: it is no name a client meant to send.
constexpr std::size_t kMaxRawNameBytes = 64;
constexpr std::size_t kMaxChatBytes = 200;
// Keeps the conversion to milliseconds far from overflow; about 115 days.
constexpr float kLongestTimeLimitSeconds = 1e7f;

constexpr std::array<std::string_view, 6> kGameTypeNames = {
    "Deathmatch", "Team Deathmatch", "Hunt", "Survivor", "Overrun", "Evacuation"};

std::string FixedText(const char* field, std::size_t size) {
  return std::string(field, strnlen(field, size));
}

std::string ShortLevelName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

SimGame::SimGame(std::uint32_t seed, int bots) : bots_(seed), requestedBots_(bots) {}

void SimGame::SetOptions(const CGameOptions& block) {
  options_ = block;
  levels_.clear();
  const int count = std::min<int>(block.MapCount, kMaxLevels);
  for (int slot = 0; slot < count; ++slot) {
    levels_.push_back(FixedText(block.Maps[slot], sizeof block.Maps[slot]));
  }
  gameType_ = block.GameType;
  fragLimit_ = block.FragLimit;
  scoreLimit_ = block.ScoreLimit;
  const float seconds = block.TimeLimitSeconds;
  timeLimitMs_ = seconds > 0
                     ? static_cast<long long>(std::min(seconds, kLongestTimeLimitSeconds) * 1000.0f)
                     : 0;
  serverName_ = FixedText(block.ServName, sizeof block.ServName);
  optionsMaxPlayers_ = block.MaxTotalPlayers;
  joinPassword_.reset();
  if (block.JoinPassSet != 0) {
    joinPassword_ = FixedText(block.JoinPass, sizeof block.JoinPass);
  }
}

void SimGame::SetHost(std::string name, int maxPlayers) {
  serverName_ = std::move(name);
  hostMaxPlayers_ = std::clamp(maxPlayers, 0, kMaxBots);
}

int SimGame::Capacity() const {
  if (hostMaxPlayers_ > 0) {
    return hostMaxPlayers_;
  }
  return optionsMaxPlayers_ > 0 ? optionsMaxPlayers_ : kDefaultCapacity;
}

int SimGame::RequestBots(int count) {
  requestedBots_ = std::clamp(count, 0, Capacity());
  return requestedBots_;
}

void SimGame::Start(Outbox& out) {
  if (phase_ != GamePhase::kIdle) {
    out.GameLine("The game is already running.");
    return;
  }
  if (levels_.empty()) {
    out.GameLine("No levels to play: the game options name none.");
    return;
  }
  StartLevel(0, out);
}

void SimGame::NextLevel(Outbox& out) {
  if (levels_.empty()) {
    out.GameLine("No levels to play.");
    return;
  }
  if (phase_ == GamePhase::kIdle) {
    StartLevel(0, out);
    return;
  }
  if (phase_ == GamePhase::kPlaying) {
    out.Game(LevelUnloadedMessage());
  }
  StartLevel((level_ + 1) % static_cast<int>(levels_.size()), out);
}

void SimGame::SelectLevel(long long index, Outbox& out) {
  const auto count = static_cast<long long>(levels_.size());
  if (index < 0 || index >= count) {
    out.GameLine(count == 0 ? std::string("No levels to play.")
                            : "There is no level " + std::to_string(index) +
                                  "; the levels run from 0 to " + std::to_string(count - 1) + ".");
    return;
  }
  if (phase_ == GamePhase::kPlaying) {
    out.Game(LevelUnloadedMessage());
  }
  StartLevel(static_cast<int>(index), out);
}

void SimGame::Advance(int ms, Outbox& out) {
  nowMs_ += ms;
  if (phase_ == GamePhase::kIdle) {
    return;
  }
  if (phase_ == GamePhase::kIntermission && (intermissionLeftMs_ -= ms) <= 0) {
    if (levels_.empty()) {
      phase_ = GamePhase::kIdle;
      out.GameLine("No levels to play.");
      return;
    }
    StartLevel((level_ + 1) % static_cast<int>(levels_.size()), out);
  }
  bots_.SetTarget(BotSeats());
  if (bots_.Advance(ms, phase_ == GamePhase::kPlaying, out)) {
    statsDirty_ = true;
  }
  if (phase_ == GamePhase::kPlaying) {
    levelElapsedMs_ += ms;
    CheckLimits(out);
  }
  SendStatsIfDue(out);
}

bool SimGame::UsesFragLimit() const {
  return gameType_ >= 1 && gameType_ <= 3;
}

bool SimGame::UsesScoreLimit() const {
  return gameType_ == 1 || gameType_ == 2 || gameType_ == 4;
}

void SimGame::CheckLimits(Outbox& out) {
  if (UsesFragLimit() && fragLimit_ > 0) {
    if (const SimPlayer* leader = bots_.MostKills(); leader && leader->Kills >= fragLimit_) {
      EndLevel(leader->Name + " reached the frag limit of " + std::to_string(fragLimit_) + ".",
               out);
      return;
    }
  }
  if (UsesScoreLimit() && scoreLimit_ > 0) {
    if (const SimPlayer* leader = bots_.BestScore(); leader && leader->Score >= scoreLimit_) {
      EndLevel(leader->Name + " reached the score limit of " + std::to_string(scoreLimit_) + ".",
               out);
      return;
    }
  }
  if (timeLimitMs_ > 0 && levelElapsedMs_ >= timeLimitMs_) {
    EndLevel("The time limit is up.", out);
  }
}

void SimGame::EndLevel(const std::string& reason, Outbox& out) {
  out.GameLine(reason);
  out.Game(LevelUnloadedMessage());
  phase_ = GamePhase::kIntermission;
  intermissionLeftMs_ = kIntermissionMs;
  if (!levels_.empty()) {
    out.GameLine("Next level: " + LevelName((level_ + 1) % static_cast<int>(levels_.size())) + ".");
  }
}

void SimGame::StartLevel(int index, Outbox& out) {
  phase_ = GamePhase::kPlaying;
  level_ = index;
  levelElapsedMs_ = 0;
  bots_.ResetScores();
  statsDirty_ = true;
  out.Game(LevelStartedMessage(index));
  if (netEvents_ != nullptr) {
    netEvents_->LevelStarted(index, LevelName(index));
  }
  out.GameLine("Now playing " + LevelName(index) + " (level " + std::to_string(index + 1) + " of " +
               std::to_string(levels_.size()) + ").");
}

void SimGame::SendStatsIfDue(Outbox& out) {
  if (!statsDirty_) {
    return;
  }
  const std::vector<SimPlayer> players = Players();
  if (players.empty()) {
    statsDirty_ = false;
    return;
  }
  if (lastStatsMs_ && nowMs_ - *lastStatsMs_ < kStatsPeriodMs) {
    return;
  }
  out.Game(PlayerStatsMessage(players, protectedClient_));
  lastStatsMs_ = nowMs_;
  statsDirty_ = false;
}

int SimGame::BotSeats() const {
  return std::max(0, std::min(requestedBots_, Capacity() - static_cast<int>(netPlayers_.size())));
}

SimPlayer* SimGame::FindNetPlayer(std::int32_t clientId) {
  const auto found = std::find_if(netPlayers_.begin(), netPlayers_.end(),
                                  [clientId](const SimPlayer& p) { return p.Id == clientId; });
  return found != netPlayers_.end() ? &*found : nullptr;
}

JoinResult SimGame::AddNetPlayer(std::string_view name, std::string_view password, Outbox& out) {
  if (joinPassword_ && password != *joinPassword_) {
    return gamenet::RefuseReason::WrongPassword;
  }
  std::string clean = CleanText(name, kMaxNameBytes);
  if (name.size() > kMaxRawNameBytes || clean.empty()) {
    return gamenet::RefuseReason::BadName;
  }
  if (static_cast<int>(netPlayers_.size()) >= Capacity()) {
    return gamenet::RefuseReason::ServerFull;
  }
  if (static_cast<int>(netPlayers_.size() + bots_.Players().size()) >= Capacity()) {
    bots_.LeaveNow(out);
  }
  SimPlayer player;
  player.Id = bots_.NewClientId();
  player.Name = std::move(clean);
  player.Lives = kNetPlayerLives;
  out.Game(PlayerAddedMessage(player.Id, false));
  out.GameLine(player.Name + " joined the game.");
  netPlayers_.push_back(std::move(player));
  statsDirty_ = true;
  return netPlayers_.back().Id;
}

void SimGame::RemoveNetPlayer(std::int32_t clientId, std::string_view how, Outbox& out) {
  const SimPlayer* player = FindNetPlayer(clientId);
  if (player == nullptr) {
    return;
  }
  out.Game(PlayerRemovedMessage(clientId));
  out.GameLine(player->Name + " " + std::string(how) + ".");
  netPlayers_.erase(netPlayers_.begin() + (player - netPlayers_.data()));
}

void SimGame::SetNetPing(std::int32_t clientId, int milliseconds) {
  if (SimPlayer* player = FindNetPlayer(clientId)) {
    player->PingMs = milliseconds;
  }
}

void SimGame::Chat(std::int32_t clientId, std::string_view text, Outbox& out) {
  const SimPlayer* player = FindNetPlayer(clientId);
  const std::string clean = CleanText(text, kMaxChatBytes);
  if (player != nullptr && !clean.empty()) {
    out.GameLine(player->Name + ": " + clean);
  }
}

bool SimGame::Kick(std::int32_t clientId, Outbox& out) {
  if (const SimPlayer* player = FindNetPlayer(clientId)) {
    out.Game(PlayerRemovedMessage(clientId));
    out.GameLine(player->Name + " was kicked from the server.");
    netPlayers_.erase(netPlayers_.begin() + (player - netPlayers_.data()));
    if (netEvents_ != nullptr) {
      netEvents_->PlayerKicked(clientId);
    }
    return true;
  }
  if (!bots_.Kick(clientId, out)) {
    return false;
  }
  requestedBots_ = std::max(0, requestedBots_ - 1);
  return true;
}

std::optional<float> SimGame::PingSeconds(std::int32_t clientId) const {
  const SimPlayer* player = bots_.Find(clientId);
  if (player == nullptr) {
    const auto found = std::find_if(netPlayers_.begin(), netPlayers_.end(),
                                    [clientId](const SimPlayer& p) { return p.Id == clientId; });
    if (found == netPlayers_.end()) {
      return std::nullopt;
    }
    player = &*found;
  }
  return static_cast<float>(player->PingMs) / 1000.0f;
}

std::vector<SimPlayer> SimGame::Players() const {
  std::vector<SimPlayer> players = bots_.Players();
  players.insert(players.end(), netPlayers_.begin(), netPlayers_.end());
  return players;
}

std::string SimGame::LevelName(int index) const {
  if (index < 0 || index >= static_cast<int>(levels_.size())) {
    return {};
  }
  return ShortLevelName(levels_[static_cast<std::size_t>(index)]);
}

GameSummary SimGame::Summary() const {
  GameSummary summary;
  summary.ServerName = serverName_;
  summary.GameType = gameType_ >= 1 && gameType_ <= static_cast<int>(kGameTypeNames.size())
                         ? std::string(kGameTypeNames[static_cast<std::size_t>(gameType_ - 1)])
                         : std::string("no game type");
  summary.Phase = phase_;
  summary.Level = phase_ == GamePhase::kIdle ? -1 : level_;
  summary.LevelName = LevelName(summary.Level);
  if (phase_ == GamePhase::kPlaying && timeLimitMs_ > 0) {
    summary.SecondsLeft = std::max(0LL, (timeLimitMs_ - levelElapsedMs_ + 999) / 1000);
  }
  summary.Players = static_cast<int>(bots_.Players().size() + netPlayers_.size());
  summary.Capacity = Capacity();
  return summary;
}

}  // namespace vex::sim
