#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "simengine/FaultSwitch.h"

namespace vex::sim {

// What the environment asks of one engine, read when it is created.
struct SimSettings {
  Fault Injected;            // VEX_SIM_FAULT
  int Bots = 0;              // VEX_SIM_BOTS: bots wanted once the game starts
  std::uint32_t Seed = 0;    // VEX_SIM_SEED: fixed for repeatable games, else random
  int FrameMillis = 0;       // VEX_SIM_FRAME_MS: extra time every frame takes
  int StepMillis = 0;        // VEX_SIM_STEP_MS: game time per frame; 0 follows the real clock
  bool TraceFrames = false;  // VEX_SIM_FRAME_TRACE: OnPacket at the start of every frame
  int ClientTimeoutMillis = 10000;    // VEX_SIM_CLIENT_TIMEOUT_MS: a silent client is dropped
  std::string FrameLogPath;           // VEX_SIM_FRAME_LOG: where frame starts are written
  std::int32_t ProtectedClient = -1;  // VEX_SIM_PROTECTED: the client the game guards from booting
};

inline constexpr int kMaxBots = 255;
inline constexpr int kMaxFrameMillis = 1000;
inline constexpr int kMaxStepMillis = 1000;
inline constexpr int kMinClientTimeoutMillis = 2000;
inline constexpr int kMaxClientTimeoutMillis = 600000;

// A malformed value is an error rather than a silent default, so that a mistyped fault does
// not pass a test that expected a failure.
std::optional<SimSettings> ReadSettings(std::string& error);

}  // namespace vex::sim
