#include "session/GameHost.h"

#include <algorithm>
#include <cstring>

#include "platform/TextCut.h"
#include "res/Resource.h"

namespace vex {

HostRecord MakeHostRecord(const CGameOptions& block, std::string_view serverNameText) {
  HostRecord record{};
  record.Port = block.PortID;
  record.MaxPlayers = block.MaxTotalPlayers;
  serverNameText = platform::CutAtCharacter(serverNameText.substr(0, serverNameText.find('\0')),
                                            sizeof(record.ServerName) - 1);
  std::copy_n(serverNameText.data(), serverNameText.size(), record.ServerName);
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
