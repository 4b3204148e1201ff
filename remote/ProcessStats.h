#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "remote/MetricsExposition.h"

namespace vex::remote {

// The figures of the process that every Prometheus client library exports under the same names.
struct ProcessStats {
  double CpuSeconds = 0;  // user and system time
  double ResidentBytes = 0;
  double StartTimeSeconds = 0;  // since the Unix epoch
  double OpenFds = 0;
};

// The figures of this process, from /proc; nothing when /proc cannot be read.
std::optional<ProcessStats> ReadProcessStats();

// The line of /proc/PID/stat, read with the system's clock ticks per second, page size and boot
// time (the btime of /proc/stat); the file descriptors are not part of it.
std::optional<ProcessStats> ParseProcessStat(std::string_view line, long ticksPerSecond,
                                             long pageSize, std::int64_t bootTimeSeconds);

void WriteProcessMetrics(MetricsExposition& out, const ProcessStats& stats);

}  // namespace vex::remote
