#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/GameOptions.h"
#include "simengine/BotRoster.h"
#include "simengine/NetEvents.h"
#include "simengine/Outbox.h"
#include "simengine/protocol/NetProtocol.h"

namespace vex::sim {

enum class GamePhase { kIdle, kPlaying, kIntermission };

struct GameSummary {
  std::string ServerName;
  std::string GameType;
  GamePhase Phase = GamePhase::kIdle;
  int Level = -1;
  std::string LevelName;
  long long SecondsLeft = -1;  // -1: the level has no time limit or none runs
  int Players = 0;
  int Capacity = 0;
};

// The client id given to a network player, or the reason it was refused.
using JoinResult = std::variant<std::int32_t, gamenet::RefuseReason>;

// The game code: the level rotation from the options block, its limits, the intermission
// between levels, the bots and the network players, who share one roster. Time is game time,
// advanced by the caller.
class SimGame {
 public:
  SimGame(std::uint32_t seed, int bots);

  void SetOptions(const CGameOptions& block);
  const CGameOptions& Options() const { return options_; }
  void SetHost(std::string name, int maxPlayers);
  // The client id that the player statistics name as protected; -1 for none.
  void SetProtectedClient(std::int32_t clientId) { protectedClient_ = clientId; }

  void Start(Outbox& out);
  void NextLevel(Outbox& out);
  void SelectLevel(long long index, Outbox& out);
  void Advance(int ms, Outbox& out);

  void SetNetEvents(NetEvents* events) { netEvents_ = events; }
  // A network player takes a bot's seat when the roster is full; only network players fill
  // the server. The name is cleaned before any message carries it.
  JoinResult AddNetPlayer(std::string_view name, std::string_view password, Outbox& out);
  // `how` ends the game line about it: "left the game", "timed out".
  void RemoveNetPlayer(std::int32_t clientId, std::string_view how, Outbox& out);
  void SetNetPing(std::int32_t clientId, int milliseconds);
  void Chat(std::int32_t clientId, std::string_view text, Outbox& out);

  bool Kick(std::int32_t clientId, Outbox& out);
  std::optional<float> PingSeconds(std::int32_t clientId) const;
  // The number of bots granted: at most the capacity.
  int RequestBots(int count);
  int Capacity() const;

  // Bots first, then network players.
  std::vector<SimPlayer> Players() const;
  GameSummary Summary() const;

 private:
  bool UsesFragLimit() const;
  bool UsesScoreLimit() const;
  void CheckLimits(Outbox& out);
  void EndLevel(const std::string& reason, Outbox& out);
  void StartLevel(int index, Outbox& out);
  void SendStatsIfDue(Outbox& out);
  std::string LevelName(int index) const;
  SimPlayer* FindNetPlayer(std::int32_t clientId);
  int BotSeats() const;

  BotRoster bots_;
  int requestedBots_;
  std::vector<SimPlayer> netPlayers_;
  NetEvents* netEvents_ = nullptr;
  std::optional<std::string> joinPassword_;

  CGameOptions options_{};
  std::vector<std::string> levels_;
  int gameType_ = 0;
  int fragLimit_ = 0;
  int scoreLimit_ = 0;
  long long timeLimitMs_ = 0;
  std::string serverName_;
  int optionsMaxPlayers_ = 0;
  int hostMaxPlayers_ = 0;

  GamePhase phase_ = GamePhase::kIdle;
  int level_ = -1;
  long long levelElapsedMs_ = 0;
  std::int32_t protectedClient_ = -1;
  long long intermissionLeftMs_ = 0;

  long long nowMs_ = 0;
  std::optional<long long> lastStatsMs_;
  bool statsDirty_ = false;
};

}  // namespace vex::sim
