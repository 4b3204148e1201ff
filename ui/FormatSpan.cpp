#include "ui/FormatSpan.h"

#include <cstdio>

namespace vex {

std::string FormatSpan(std::int32_t seconds) {
  const int days = seconds / 86400;
  const int hours = seconds / 3600 - days * 24;
  const int minutes = seconds / 60 - (seconds / 3600) * 60;
  const int secs = seconds - (seconds / 60) * 60;
  char text[48];
  if (days > 0) {
    std::snprintf(text, sizeof text, "%dd:%02dh:%02dm:%02ds", days, hours, minutes, secs);
  } else if (hours > 0) {
    std::snprintf(text, sizeof text, "%02dh:%02dm:%02ds", hours, minutes, secs);
  } else {
    std::snprintf(text, sizeof text, "%02dm:%02ds", minutes, secs);
  }
  return text;
}

}  // namespace vex
