#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/IServerEngine.h"

namespace vex::test {

// An engine whose answers a test sets: pings per client and a frame that fails with a reason.
// Built into a module loaded as server.so, so the session drives it as it drives the real one;
// the test reaches it through the session's engine pointer.
class ScriptedEngine final : public IServerEngine {
 public:
  void SetPing(std::int32_t clientId, float seconds) {
    std::lock_guard guard(mutex_);
    pings_[clientId] = seconds;
  }
  void ClearPings() {
    std::lock_guard guard(mutex_);
    pings_.clear();
  }
  void FailFrames(const std::string& reason) {
    std::lock_guard guard(mutex_);
    failure_ = reason;
  }
  int PingReads() const {
    std::lock_guard guard(mutex_);
    return pingReads_;
  }

  int AttachHandler(ServerAppHandler*) override { return 0; }
  int PostShellMessage(const void* message, std::uint32_t size) override {
    std::lock_guard guard(mutex_);
    const auto* bytes = static_cast<const std::uint8_t*>(message);
    shellMessages_.emplace_back(bytes, bytes + size);
    return 0;
  }
  // The shell messages posted since the last call, oldest first.
  std::vector<std::vector<std::uint8_t>> TakeShellMessages() {
    std::lock_guard guard(mutex_);
    return std::exchange(shellMessages_, {});
  }
  int LoadResourceArchives(const char* const*, std::uint32_t) override { return 1; }
  int LoadGameCode() override { return 1; }
  int SetGameOptions(const void*, std::uint32_t) override { return 1; }
  int KickClient(std::int32_t) override { return 1; }
  int ReadClientPing(std::int32_t clientId, float* seconds) override {
    std::lock_guard guard(mutex_);
    ++pingReads_;
    if (auto ping = pings_.find(clientId); ping != pings_.end()) {
      *seconds = ping->second;
    }
    return 1;
  }
  int ReadLastError(char* buffer, std::uint32_t size) override {
    std::lock_guard guard(mutex_);
    const std::size_t length = std::min<std::size_t>(failure_.size(), size);
    std::memcpy(buffer, failure_.data(), length);
    buffer[length] = '\0';
    return 1;
  }
  int RunFrame(int) override {
    std::lock_guard guard(mutex_);
    return failure_.empty() ? 1 : 0;
  }
  int StartNetwork(int, int) override { return 1; }
  int ListNetServices(NetServiceEntry** list) override {
    service_.Handle = 1;
    service_.Flags = kNetServiceUseFlag;
    service_.Next = nullptr;
    *list = &service_;
    return 1;
  }
  int ReleaseNetServices(NetServiceEntry*) override { return 1; }
  int ChooseNetService(std::uint32_t) override { return 1; }
  int StartHosting(const HostRecord*) override { return 1; }

  virtual ~ScriptedEngine() = default;

 private:
  mutable std::mutex mutex_;
  std::map<std::int32_t, float> pings_;
  std::string failure_;
  int pingReads_ = 0;
  NetServiceEntry service_{};
  std::vector<std::vector<std::uint8_t>> shellMessages_;
};

}  // namespace vex::test
