#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/GameOptions.h"
#include "remote/A2sMessages.h"
#include "remote/PlotHistory.h"
#include "remote/SignInGate.h"
#include "services/MetricsService.h"
#include "services/QueryService.h"
#include "services/RconService.h"
#include "services/WebService.h"
#include "ui/AdminWindow.h"

namespace vex {

struct RemoteOptions;
struct RconPassword;

// Remote administration: the remote console, the server query and the web page, the commands
// they bring (queued to the event loop, so that none runs inside a socket's handler), and what
// they tell of the hosted game, all from what the window keeps. Window thread only.
class RemoteAdmin final : public services::IWebHost, public services::IMetricsHost {
 public:
  explicit RemoteAdmin(IAdminWindow& window);
  ~RemoteAdmin();
  RemoteAdmin(const RemoteAdmin&) = delete;
  RemoteAdmin& operator=(const RemoteAdmin&) = delete;

  // What stays fixed for the hosted game; set by the game host setup, before Start.
  void SetGameFacts(remote::A2sStatus facts) { gameFacts_ = std::move(facts); }
  // Starts the services that the program's arguments ask for, saying on the console which.
  void Start(const std::vector<std::string>& arguments);
  // Runs the commands that wait for the event loop now, while the window still serves them.
  void RunWaiting();
  // The same, with what remote clients sent that the event loop has not yet read.
  void RunAllSent();
  // Ends the services; a command still waiting is told that the server is stopping.
  void Stop();

  // A console line for the open pages; `operatorLine` marks an operator's own command.
  void ConsoleLine(std::string_view line, bool operatorLine);
  // Once a refresh tick: samples the plots and pushes the state to the pages, about once a second.
  void Follow();

  // services::IRemoteHost
  void RunRemoteCommand(const std::string& line, const std::string& peer,
                        std::function<void(remote::CommandOutput)> done) override;
  remote::A2sStatus QueryStatus() override;
  // services::IRemoteHost and services::IMetricsHost
  void ReportRemoteEvent(std::string_view text) override;
  // services::IWebHost
  std::string WebStateJson() override;
  // services::IMetricsHost
  std::string MetricsText() override;

 private:
  struct Command {
    std::string Line;
    std::string Peer;
    CommandAnswer Done;
  };

  void StartRcon(const RemoteOptions& options, const RconPassword& password);
  void StartQuery(const RemoteOptions& options);
  void StartWebPage(const RemoteOptions& options, const RconPassword& password);
  void StartMetrics(const RemoteOptions& options);

  IAdminWindow& window_;
  std::unique_ptr<services::RconService> rcon_;
  std::unique_ptr<services::QueryService> query_;
  std::unique_ptr<services::WebService> web_;
  std::unique_ptr<services::MetricsService> metrics_;
  // The remote console and the web page take the same password, so its guesses count together
  // and a ban shuts both; the metrics' token has a gate of its own.
  std::shared_ptr<remote::SignInGate> passwordGate_ =
      std::make_shared<remote::SignInGate>("password");
  std::deque<Command> waiting_;
  bool runPosted_ = false;
  // Tasks posted to the event loop find out through this whether the object still exists.
  std::shared_ptr<RemoteAdmin*> self_ = std::make_shared<RemoteAdmin*>(this);
  remote::PlotHistory plots_;
  std::uint32_t sampleMs_ = 0;
  std::uint64_t sampleFrames_ = 0;
  remote::A2sStatus gameFacts_;
};

// The query's fixed facts of a game: password, port, and the game type's limits as rules.
remote::A2sStatus GameFactsFor(const CGameOptions& block, const std::string& gameTypeText);

}  // namespace vex
