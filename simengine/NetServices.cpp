#include "simengine/NetServices.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace vex::sim {

namespace {

NetServiceEntry MakeEntry(std::uint32_t handle, std::uint32_t flags, std::string_view name) {
  NetServiceEntry entry{};
  entry.Handle = handle;
  entry.Flags = flags;
  std::memcpy(entry.EngineData, name.data(), std::min(name.size(), sizeof entry.EngineData - 1));
  return entry;
}

}  // namespace

bool IsNetServiceHandle(std::uint32_t handle) {
  return handle == kSerialServiceHandle || handle == kUdpServiceHandle;
}

NetServiceEntry* NetServiceLists::Create() {
  auto list = std::make_unique<List>();
  (*list)[0] = MakeEntry(kSerialServiceHandle, 0, "Serial link");
  (*list)[1] = MakeEntry(kUdpServiceHandle, kNetServiceUseFlag, "UDP/IP");
  (*list)[0].Next = &(*list)[1];
  (*list)[1].Next = nullptr;
  NetServiceEntry* head = list->data();
  lists_.push_back(std::move(list));
  return head;
}

bool NetServiceLists::Release(const NetServiceEntry* head) {
  const auto found = std::find_if(lists_.begin(), lists_.end(),
                                  [head](const auto& list) { return list->data() == head; });
  if (found == lists_.end()) {
    return false;
  }
  lists_.erase(found);
  return true;
}

}  // namespace vex::sim
