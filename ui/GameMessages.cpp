#include "ui/GameMessages.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/GameMessageType.h"
#include "framework/StringTable.h"
#include "res/Resource.h"
#include "ui/GameMessageReader.h"

namespace vex {

namespace {

constexpr std::size_t kMaxNameBytes = 29;
constexpr std::size_t kConsoleBufferBytes = 1024;
constexpr std::int32_t kEndOfList = -1;
constexpr std::uint8_t kBotMark = 'B';

void SetName(CPlayerInfo& player, std::string_view name) {
  std::fill(std::begin(player.Name), std::end(player.Name), '\0');
  name = name.substr(0, std::min(name.size(), sizeof(player.Name) - 1));
  std::copy(name.begin(), name.end(), player.Name);
}

// A client id that cannot be read leaves 0: the message then acts on client 0.
void AddPlayer(GameTracking& tracking, GameMessageReader& reader, std::int64_t now) {
  std::int32_t clientId = 0;
  std::uint8_t mark = 0;
  const bool bot = reader.Number(clientId) && reader.Code(mark) && mark == kBotMark;
  CPlayerInfo player;
  player.ClientId = clientId;
  player.Bot = bot;
  SetName(player, fw::LoadStringOrEmpty(res::IDS_INCOMING_PLAYER));
  player.JoinTime = now;
  tracking.Roster.Add(player);
  tracking.RosterChanged = true;
  ++tracking.TotalPlayers;
}

void RemovePlayer(GameTracking& tracking, GameMessageReader& reader) {
  std::int32_t clientId = 0;
  reader.Number(clientId);
  tracking.Roster.Remove(clientId);
  tracking.RosterChanged = true;
}

// Reads one record into the roster entry it names; false ends the list. Fields read before a
// failure stay written.
bool ReadPlayerRecord(GameTracking& tracking, GameMessageReader& reader,
                      std::int32_t& protectedId) {
  std::int32_t clientId = 0;
  if (!reader.Number(clientId) || clientId == kEndOfList) {
    return false;
  }
  CPlayerInfo* player = tracking.Roster.Find(clientId);
  if (player == nullptr) {
    return false;
  }
  std::uint8_t separator = 0;
  std::string name;
  if (!reader.RawByte(separator) || !reader.Line(name, kMaxNameBytes)) {
    return false;
  }
  SetName(*player, name);
  std::uint8_t kind = 0;
  std::uint8_t ringed = 0;
  std::int32_t recordProtectedId = 0;
  if (!reader.Number(player->Kills) || !reader.Number(player->Score) ||
      !reader.Number(player->Lives) || !reader.Code(kind)) {
    return false;
  }
  player->Kind = static_cast<std::int8_t>(kind);
  if (!reader.Code(ringed)) {
    return false;
  }
  player->Ringed = ringed;
  if (!reader.Number(recordProtectedId)) {
    return false;
  }
  protectedId = recordProtectedId;
  return true;
}

void UpdatePlayers(GameTracking& tracking, GameMessageReader& reader) {
  tracking.RosterChanged = true;
  std::int32_t protectedId = kEndOfList;
  while (ReadPlayerRecord(tracking, reader, protectedId)) {
  }
  tracking.ProtectedClientId = protectedId;
}

void StartLevel(GameTracking& tracking, GameMessageReader& reader) {
  tracking.LevelUnloaded = false;
  tracking.LevelStarted = true;
  reader.Number(tracking.CurrentLevel);
}

void QueueConsoleLine(ConsoleLineQueue& pending, GameMessageReader& reader) {
  std::string_view text = reader.Raw(kConsoleBufferBytes);
  text = text.substr(0, std::min(text.find('\0'), kConsoleBufferBytes - 1));
  pending.Push(text);
}

}  // namespace

void HandleGameMessage(GameTracking& tracking, ConsoleLineQueue& pending, const char* data,
                       int length, std::int64_t now) {
  if (data == nullptr || length < 0) {
    return;
  }
  const std::size_t size = length == 0 ? std::strlen(data) : static_cast<std::size_t>(length);
  GameMessageReader reader(std::string_view(data, size));
  std::uint8_t type = 0;
  if (!reader.Code(type)) {
    return;
  }
  switch (static_cast<GameMessageType>(type)) {
    case GameMessageType::PlayerAdded:
      AddPlayer(tracking, reader, now);
      break;
    case GameMessageType::PlayerRemoved:
      RemovePlayer(tracking, reader);
      break;
    case GameMessageType::PlayerStats:
      UpdatePlayers(tracking, reader);
      break;
    case GameMessageType::LevelUnloaded:
      tracking.LevelUnloaded = true;
      tracking.CurrentLevel = -1;
      break;
    case GameMessageType::LevelStarted:
      StartLevel(tracking, reader);
      break;
    case GameMessageType::ConsoleLine:
      QueueConsoleLine(pending, reader);
      break;
  }
}

}  // namespace vex
