#include "config/ServerConfig.h"

#include <algorithm>

#include "config/FixedText.h"

namespace vex {

CServerConfig::CServerConfig() {
  WriteFixedText(ServName, "Orvo-VexMod");
  WriteFixedText(JoinPass, "OFF");
  WriteFixedText(ContPass, "OFF");
  WriteFixedText(MastPass, "OFF");
  std::fill(std::begin(DisWeapons), std::end(DisWeapons), 1);
  std::fill(std::begin(CharLimits), std::end(CharLimits), std::uint8_t{8});
}

}  // namespace vex
