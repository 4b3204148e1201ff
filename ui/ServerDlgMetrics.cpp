#include <string>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "platform/Clock.h"
#include "res/Resource.h"
#include "ui/MetricsFigures.h"
#include "ui/ServerDlg.h"

namespace vex {

void CServerDlg::StartMetrics(const RemoteOptions& options) {
  if (options.MetricsPort == 0 || remote_.Metrics) {
    return;
  }
  const RconPassword token = ReadMetricsToken(options);
  if (!token.Warning.empty()) {
    PrintConsoleLine(token.Warning);
  }
  if (!token.Error.empty()) {
    PrintConsoleLine(token.Error + " Metrics are off.");
    return;
  }
  fw::web::MetricsSettings settings;
  settings.BindAddress = options.MetricsBind;
  settings.Port = options.MetricsPort;
  settings.Token = token.Text;
  auto service = std::make_unique<fw::web::MetricsService>(*this, settings);
  std::string error;
  if (!service->Start(error)) {
    PrintConsoleLine(error);
    return;
  }
  PrintConsoleLine("Metrics: http://" + options.MetricsBind + ":" +
                   std::to_string(service->Port()) + "/metrics");
  remote_.Metrics = std::move(service);
}

std::string CServerDlg::MetricsText() {
  remote::ServerMetrics metrics;
  AddDisplayFigures(metrics, display_, tracking_.TotalPlayers.load(), platform::CalendarSeconds());
  const bool running = session_.HasThread() && !session_.EngineError();
  AddFrameFigures(metrics, session_.Timings(), session_.FramesRun(), running,
                  FrameTimings::Clock::now());
  AddServiceFigures(metrics, remote_.Rcon.get(), remote_.Query.get(), remote_.Web.get());
  metrics.ConsoleLinesDropped = fw::TerminalLinesDropped();
  if (IsModalLoopRunning()) {
    const auto& levels = Control<fw::CListCtrl>(res::IDC_LEVEL_LIST);
    if (display_.HighlightedLevel >= 0 && display_.HighlightedLevel < levels.GetItemCount()) {
      metrics.Level = levels.GetItemText(display_.HighlightedLevel, 0);
    }
  }
  return remote::MetricsText(metrics, remote::ReadProcessStats());
}

}  // namespace vex
