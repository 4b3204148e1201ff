#include "session/GameHost.h"

#include <algorithm>
#include <cstring>

#include "res/Resource.h"

namespace vex {

HostRecord MakeHostRecord(const CGameOptions& block, std::string_view serverNameText) {
  HostRecord record{};
  record.Port = block.PortID;
  record.MaxPlayers = block.MaxTotalPlayers;
  serverNameText = serverNameText.substr(0, serverNameText.find('\0'));
  const std::size_t length = std::min(serverNameText.size(), sizeof(record.ServerName) - 1);
  std::copy_n(serverNameText.data(), length, record.ServerName);
  return record;
}

std::string EngineLastError(IServerEngine& engine) {
  char reason[256] = {};
  engine.ReadLastError(reason, sizeof reason - 1);
  return std::string(reason, strnlen(reason, sizeof reason));
}

int HostPreparedGame(IServerEngine& engine, const CGameOptions& block,
                     std::string_view serverNameText) {
  engine.SetGameOptions(&block, sizeof(block));
  const HostRecord record = MakeHostRecord(block, serverNameText);
  return engine.StartHosting(&record) != 0 ? 0 : res::IDS_HOST_FAILED;
}

}  // namespace vex
