#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "remote/ServerMetrics.h"
#include "services/MetricsService.h"
#include "services/QueryService.h"
#include "services/RconService.h"
#include "services/WebService.h"
#include "session/FrameTimings.h"
#include "session/ServerSession.h"
#include "ui/StatusDisplay.h"

namespace vex {

// No frame finished for this long: the engine does not respond, as the console judges it too.
inline constexpr std::chrono::milliseconds kEngineSilentAfter{kHungFrameMs};

// The figures of a scrape from what remote administration reads (window thread only).
void AddDisplayFigures(remote::ServerMetrics& metrics, const StatusDisplay& display,
                       std::uint32_t totalPlayers, std::int64_t nowSeconds);
// `running`: an engine runs frames on the update thread. Before its first frame, the time since
// the game was hosted counts as the time since the last frame.
void AddFrameFigures(remote::ServerMetrics& metrics, const FrameTimings& timings,
                     std::uint64_t frames, bool running, FrameTimings::Clock::time_point now);
// Each service that runs adds its counts; `scraped` is the metrics' own service.
void AddServiceFigures(remote::ServerMetrics& metrics, const services::RconService* rcon,
                       const services::QueryService* query, const services::WebService* web,
                       const services::MetricsService* scraped);

}  // namespace vex
