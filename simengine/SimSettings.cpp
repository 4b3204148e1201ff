#include "simengine/SimSettings.h"

#include <charconv>
#include <cstdlib>
#include <random>
#include <string_view>

namespace vex::sim {

namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string_view(value) : std::string_view();
}

template <typename T>
bool ParseNumber(std::string_view text, T low, T high, T& out) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return false;
  }
  out = value;
  return true;
}

}  // namespace

std::optional<SimSettings> ReadSettings(std::string& error) {
  SimSettings settings;
  const std::string_view fault = Variable("VEX_SIM_FAULT");
  const std::optional<Fault> parsed = ParseFault(fault);
  if (!parsed) {
    error = "VEX_SIM_FAULT has an unknown value: " + std::string(fault);
    return std::nullopt;
  }
  settings.Injected = *parsed;

  const std::string_view bots = Variable("VEX_SIM_BOTS");
  if (!bots.empty() && !ParseNumber(bots, 0, kMaxBots, settings.Bots)) {
    error = "VEX_SIM_BOTS must be a number from 0 to " + std::to_string(kMaxBots);
    return std::nullopt;
  }

  const std::string_view seed = Variable("VEX_SIM_SEED");
  if (seed.empty()) {
    settings.Seed = std::random_device{}();
  } else if (!ParseNumber<std::uint32_t>(seed, 0, UINT32_MAX, settings.Seed)) {
    error = "VEX_SIM_SEED must be an unsigned 32-bit number";
    return std::nullopt;
  }

  const std::string_view frameMillis = Variable("VEX_SIM_FRAME_MS");
  if (!frameMillis.empty() && !ParseNumber(frameMillis, 0, kMaxFrameMillis, settings.FrameMillis)) {
    error = "VEX_SIM_FRAME_MS must be a number from 0 to " + std::to_string(kMaxFrameMillis);
    return std::nullopt;
  }

  const std::string_view step = Variable("VEX_SIM_STEP_MS");
  if (!step.empty() && !ParseNumber(step, 0, kMaxStepMillis, settings.StepMillis)) {
    error = "VEX_SIM_STEP_MS must be a number from 0 to " + std::to_string(kMaxStepMillis);
    return std::nullopt;
  }

  const std::string_view trace = Variable("VEX_SIM_FRAME_TRACE");
  if (trace != "" && trace != "0" && trace != "1") {
    error = "VEX_SIM_FRAME_TRACE must be 0 or 1";
    return std::nullopt;
  }
  settings.TraceFrames = trace == "1";

  const std::string_view timeout = Variable("VEX_SIM_CLIENT_TIMEOUT_MS");
  if (!timeout.empty() && !ParseNumber(timeout, kMinClientTimeoutMillis, kMaxClientTimeoutMillis,
                                       settings.ClientTimeoutMillis)) {
    error = "VEX_SIM_CLIENT_TIMEOUT_MS must be a number from " +
            std::to_string(kMinClientTimeoutMillis) + " to " +
            std::to_string(kMaxClientTimeoutMillis);
    return std::nullopt;
  }
  settings.FrameLogPath = Variable("VEX_SIM_FRAME_LOG");

  const std::string_view guarded = Variable("VEX_SIM_PROTECTED");
  if (!guarded.empty() &&
      !ParseNumber<std::int32_t>(guarded, -1, INT32_MAX, settings.ProtectedClient)) {
    error = "VEX_SIM_PROTECTED must be a client id, or -1 for none";
    return std::nullopt;
  }
  return settings;
}

}  // namespace vex::sim
