#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "engine/EngineRecords.h"
#include "engine/IServerEngine.h"
#include "simengine/FaultSwitch.h"
#include "simengine/SimEngine.h"
#include "simengine/SimSettings.h"

namespace {

// The entries take no engine argument on release, so the module holds its one engine.
std::mutex engineMutex;
vex::sim::SimEngine* engine = nullptr;

}  // namespace

extern "C" __attribute__((visibility("default"))) int VexServerCreate(
    int version, const std::uint8_t* interfaceId, vex::IServerEngine** out) {
  if (out == nullptr) {
    return 1;
  }
  *out = nullptr;
  if (version != vex::kServerEngineVersion || interfaceId == nullptr ||
      std::memcmp(interfaceId, vex::kServerEngineInterfaceId.data(),
                  vex::kServerEngineInterfaceId.size()) != 0) {
    return 2;
  }
  std::string error;
  const std::optional<vex::sim::SimSettings> settings = vex::sim::ReadSettings(error);
  if (!settings) {
    std::fprintf(stderr, "server.so: %s\n", error.c_str());
    return 3;
  }
  if (settings->Injected.At(vex::sim::FaultPoint::Create)) {
    return 4;
  }
  if (settings->Injected.HangsAt(vex::sim::FaultPoint::Create)) {
    vex::sim::HangForever();
  }
  std::lock_guard lock(engineMutex);
  if (engine != nullptr) {
    return 5;
  }
  auto created = std::make_unique<vex::sim::SimEngine>(*settings);
  if (!created->OpenFrameLog()) {
    std::fprintf(stderr, "server.so: cannot write the frame log %s\n",
                 settings->FrameLogPath.c_str());
    return 3;
  }
  engine = created.release();
  *out = engine;
  return 0;
}

extern "C" __attribute__((visibility("default"))) int VexServerRelease() {
  std::lock_guard lock(engineMutex);
  if (engine == nullptr) {
    return 1;
  }
  delete engine;
  engine = nullptr;
  return 0;
}
