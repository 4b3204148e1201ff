#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/GameOptions.h"
#include "framework/TerminalCapture.h"
#include "framework/net/QueryService.h"
#include "framework/net/RconService.h"
#include "framework/web/WebService.h"
#include "remote/A2sMessages.h"
#include "remote/AuthFailureBans.h"
#include "remote/PlotHistory.h"

namespace vex {

// The status window's side of remote administration (window thread only): the services, the
// remote commands waiting for their turn, and what the query tells about the hosted game.
struct RemoteAdmin {
  struct Command {
    std::string Line;
    std::string Peer;
    std::function<void(std::string)> Done;
  };
  // One command at a time, so that the console lines collected belong to one command.
  struct Running {
    std::function<void(std::string)> Done;
    std::unique_ptr<fw::TerminalCapture> Capture;
    std::uint64_t FramesAtStart = 0;
    std::uint32_t StartMs = 0;
    std::uint64_t Serial = 0;
  };

  std::unique_ptr<fw::net::RconService> Rcon;
  std::unique_ptr<fw::net::QueryService> Query;
  std::unique_ptr<fw::web::WebService> Web;
  // Wrong passwords of the remote console and the web page count together.
  std::shared_ptr<remote::AuthFailureBans> Bans = std::make_shared<remote::AuthFailureBans>();
  remote::PlotHistory Plots;
  std::uint32_t WebSampleMs = 0;
  std::uint64_t WebSampleFrames = 0;
  std::deque<Command> Waiting;
  std::optional<Running> Current;
  std::uint64_t CommandsStarted = 0;
  // Set by the game host setup: what stays fixed for the hosted game.
  remote::A2sStatus GameFacts;
  // The players of the last roster read; a query that finds the roster busy answers with these.
  std::vector<remote::A2sPlayer> LastPlayers;
};

// The query's fixed facts of a game: password, port, and the game type's limits as rules.
remote::A2sStatus GameFactsFor(const CGameOptions& block, const std::string& gameTypeText);

}  // namespace vex
