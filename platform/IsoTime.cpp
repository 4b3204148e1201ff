#include "platform/IsoTime.h"

#include <cstdio>
#include <ctime>

namespace vex::platform {

std::string IsoTimestamp(std::chrono::system_clock::time_point when) {
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(milliseconds / 1000);
  const int fraction = static_cast<int>(milliseconds % 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
  // No zone is more than a day away from UTC.
  const int offset = static_cast<int>(local.tm_gmtoff / 60 % (24 * 60));
  const int magnitude = offset < 0 ? -offset : offset;
  char text[64];
  std::snprintf(text, sizeof text, "%s.%03d%c%02d:%02d", date, fraction < 0 ? 0 : fraction,
                offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return text;
}

}  // namespace vex::platform
