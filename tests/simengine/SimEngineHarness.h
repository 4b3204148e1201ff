#pragma once

#include <dlfcn.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/EngineRecords.h"
#include "engine/GameOptions.h"
#include "engine/IServerEngine.h"
#include "engine/ServerAppHandler.h"

namespace vex::test {

// The built server.so, opened once and never closed: a test may leave a frame thread asleep
// inside it.
struct ModuleEntries {
  CreateEntry Create = nullptr;
  ReleaseEntry Release = nullptr;
  std::string Error;
};

inline const ModuleEntries& Module() {
  static const ModuleEntries entries = [] {
    ModuleEntries e;
    void* handle = ::dlopen(VEX_BIN_DIR "/server.so", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      e.Error = ::dlerror();
      return e;
    }
    e.Create = reinterpret_cast<CreateEntry>(::dlsym(handle, kCreateEntryName));
    e.Release = reinterpret_cast<ReleaseEntry>(::dlsym(handle, kReleaseEntryName));
    return e;
  }();
  return entries;
}

// Sets the module's environment variables for one engine's creation; everything else unset.
class ScopedSimEnvironment {
 public:
  explicit ScopedSimEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
    for (const char* name : kNames) {
      ::unsetenv(name);
    }
    ::setenv("VEX_SIM_SEED", "1", 1);
    ::setenv("VEX_SIM_STEP_MS", "33", 1);
    for (const auto& [name, value] : values) {
      ::setenv(name, value, 1);
    }
  }
  ~ScopedSimEnvironment() {
    for (const char* name : kNames) {
      ::unsetenv(name);
    }
  }
  ScopedSimEnvironment(const ScopedSimEnvironment&) = delete;
  ScopedSimEnvironment& operator=(const ScopedSimEnvironment&) = delete;

 private:
  static constexpr const char* kNames[] = {"VEX_SIM_FAULT",       "VEX_SIM_BOTS",
                                           "VEX_SIM_SEED",        "VEX_SIM_FRAME_MS",
                                           "VEX_SIM_FRAME_TRACE", "VEX_SIM_STEP_MS"};
};

// Everything the engine calls back, with the thread it called on.
class RecordingHandler final : public ServerAppHandler {
 public:
  int OnGameMessage(const char* data, int length) override {
    std::lock_guard lock(mutex_);
    messages_.emplace_back(data, static_cast<std::size_t>(length));
    threads_.push_back(std::this_thread::get_id());
    return 0;
  }
  int OnConsoleText(const char* text) override {
    std::lock_guard lock(mutex_);
    console_.emplace_back(text);
    threads_.push_back(std::this_thread::get_id());
    return 0;
  }
  int OnOutOfMemory() override {
    std::lock_guard lock(mutex_);
    ++outOfMemory_;
    return 0;
  }
  int OnPacket(std::uint32_t a, std::uint32_t, std::uint32_t, std::uint16_t) override {
    std::lock_guard lock(mutex_);
    packets_.push_back(a);
    return 0;
  }

  // Game messages since the last call.
  std::vector<std::string> TakeMessages() {
    std::lock_guard lock(mutex_);
    return std::exchange(messages_, {});
  }
  std::vector<std::string> Console() {
    std::lock_guard lock(mutex_);
    return console_;
  }
  std::vector<std::thread::id> Threads() {
    std::lock_guard lock(mutex_);
    return threads_;
  }
  std::vector<std::uint32_t> Packets() {
    std::lock_guard lock(mutex_);
    return packets_;
  }
  int OutOfMemoryCount() {
    std::lock_guard lock(mutex_);
    return outOfMemory_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> messages_;
  std::vector<std::string> console_;
  std::vector<std::thread::id> threads_;
  std::vector<std::uint32_t> packets_;
  int outOfMemory_ = 0;
};

// One engine from the module with a recording handler attached; released with the object.
class TestEngine {
 public:
  explicit TestEngine(std::initializer_list<std::pair<const char*, const char*>> env = {}) {
    ScopedSimEnvironment scoped(env);
    createResult_ =
        Module().Create(kServerEngineVersion, kServerEngineInterfaceId.data(), &engine_);
    if (engine_ != nullptr) {
      engine_->AttachHandler(&handler_);
    }
  }
  ~TestEngine() {
    if (engine_ != nullptr) {
      engine_->AttachHandler(nullptr);
      Module().Release();
    }
  }
  TestEngine(const TestEngine&) = delete;
  TestEngine& operator=(const TestEngine&) = delete;

  bool Created() const { return createResult_ == 0 && engine_ != nullptr; }
  IServerEngine* operator->() const { return engine_; }
  IServerEngine* Raw() const { return engine_; }
  RecordingHandler& Handler() { return handler_; }

  std::string LastError() const {
    char buffer[256] = {};
    engine_->ReadLastError(buffer, 255);
    return buffer;
  }

  template <std::size_t N>
  int Post(const std::uint8_t (&bytes)[N]) const {
    return engine_->PostShellMessage(bytes, N);
  }
  int PostCommand(const std::string& command) const {
    std::uint8_t buffer[256] = {3};
    std::memcpy(buffer + 1, command.data(), std::min<std::size_t>(command.size(), 119));
    return engine_->PostShellMessage(buffer, sizeof buffer);
  }
  int PostSelect(int index) const {
    std::uint8_t buffer[128] = {2, 10};
    const std::string digits = std::to_string(index) + "\n";
    std::memcpy(buffer + 2, digits.data(), digits.size());
    return engine_->PostShellMessage(buffer, sizeof buffer);
  }
  int PostStart() const {
    const std::uint8_t buffer[32] = {0, 10};
    return engine_->PostShellMessage(buffer, sizeof buffer);
  }
  int PostNext() const {
    const std::uint8_t buffer[128] = {1, 10};
    return engine_->PostShellMessage(buffer, sizeof buffer);
  }

  void RunFrames(int count) const {
    for (int i = 0; i < count; ++i) {
      engine_->RunFrame(0);
    }
  }

 private:
  IServerEngine* engine_ = nullptr;
  int createResult_ = -1;
  RecordingHandler handler_;
};

struct GameSetup {
  int GameType = 1;
  std::vector<std::string> Maps = {"Worlds\\Multi\\Arena", "Worlds\\Multi\\Docks",
                                   "Worlds\\Multi\\Tower"};
  float TimeLimitSeconds = 0.0f;
  std::uint8_t FragLimit = 0;
  std::uint16_t ScoreLimit = 0;
  std::uint8_t MaxTotalPlayers = 8;
  std::string ServName = "Test";
};

inline CGameOptions MakeOptions(const GameSetup& setup) {
  CGameOptions block{};
  std::strncpy(block.ServName, setup.ServName.c_str(), sizeof block.ServName - 1);
  block.GameType = setup.GameType;
  block.PortID = 27888;
  block.MaxTotalPlayers = setup.MaxTotalPlayers;
  block.FragLimit = setup.FragLimit;
  block.ScoreLimit = setup.ScoreLimit;
  block.TimeLimitSeconds = setup.TimeLimitSeconds;
  for (std::size_t i = 0; i < setup.Maps.size() && i < 20; ++i) {
    std::strncpy(block.Maps[i], setup.Maps[i].c_str(), sizeof block.Maps[i] - 1);
  }
  block.MapCount = static_cast<std::uint8_t>(setup.Maps.size());
  return block;
}

// The text of a console line message, or nullopt for another type.
inline std::optional<std::string> GameLineText(const std::string& message) {
  if (message.empty() || message.front() != 5 || message.back() != '\0') {
    return std::nullopt;
  }
  return message.substr(1, message.size() - 2);
}

inline std::vector<std::string> GameLines(const std::vector<std::string>& messages) {
  std::vector<std::string> lines;
  for (const std::string& message : messages) {
    if (auto text = GameLineText(message)) {
      lines.push_back(*text);
    }
  }
  return lines;
}

// The messages other than console lines: the ones that change the window's roster and levels.
inline std::vector<std::string> StateMessages(const std::vector<std::string>& messages) {
  std::vector<std::string> state;
  for (const std::string& message : messages) {
    if (!GameLineText(message)) {
      state.push_back(message);
    }
  }
  return state;
}

}  // namespace vex::test
