#include <string>

#include "config/RemoteOptions.h"
#include "framework/Application.h"
#include "platform/Clock.h"
#include "remote/SocketDrops.h"
#include "ui/MetricsFigures.h"
#include "ui/RemoteAdmin.h"

namespace vex {

void RemoteAdmin::StartMetrics(const RemoteOptions& options) {
  if (options.MetricsPort == 0) {
    return;
  }
  const RconPassword token = ReadMetricsToken(options);
  if (!token.Warning.empty()) {
    window_.PrintConsoleLine(token.Warning, platform::Severity::Warning);
  }
  if (!token.Error.empty()) {
    window_.PrintConsoleLine(token.Error + " Metrics are off.", platform::Severity::Warning);
    return;
  }
  services::MetricsSettings settings;
  settings.BindAddress = options.MetricsBind;
  settings.Port = options.MetricsPort;
  settings.Token = token.Text;
  auto service = std::make_unique<services::MetricsService>(*this, settings);
  std::string error;
  if (!service->Start(error)) {
    window_.PrintConsoleLine(error, platform::Severity::Error);
    return;
  }
  window_.PrintConsoleLine("Metrics: http://" + options.MetricsBind + ":" +
                           std::to_string(service->Port()) + "/metrics");
  metrics_ = std::move(service);
}

std::string RemoteAdmin::MetricsText() {
  const StatusDisplay& display = window_.Display();
  remote::ServerMetrics metrics;
  AddDisplayFigures(metrics, display, window_.TotalPlayers(), platform::CalendarSeconds());
  AddFrameFigures(metrics, window_.Timings(), window_.FramesRun(), window_.EngineRunning(),
                  FrameTimings::Clock::now());
  AddServiceFigures(metrics, rcon_.get(), query_.get(), web_.get(), metrics_.get());
  metrics.DroppedDatagrams = window_.DroppedDatagrams();
  if (gameFacts_.GamePort != 0) {
    metrics.SocketDroppedDatagrams = remote::ReadSocketDrops(gameFacts_.GamePort);
  }
  metrics.ConsoleLinesDropped = fw::TerminalLinesDropped();
  const int level = display.HighlightedLevel;
  if (level >= 0 && level < static_cast<int>(display.LevelNames.size())) {
    metrics.Level = display.LevelNames[static_cast<std::size_t>(level)];
  }
  return remote::MetricsText(metrics, remote::ReadProcessStats());
}

}  // namespace vex
