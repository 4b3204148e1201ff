#pragma once

#include <memory>
#include <string>

namespace vex::platform {

// One dlopen handle, closed with its owner unless KeepLoaded was called.
class SharedModule {
 public:
  // RTLD_NOW | RTLD_LOCAL, so a module with an unresolved symbol fails here, not on first call.
  static std::unique_ptr<SharedModule> Open(const std::string& path, std::string& error);

  ~SharedModule();
  SharedModule(const SharedModule&) = delete;
  SharedModule& operator=(const SharedModule&) = delete;

  // Null with the loader's message in error when the module lacks the name.
  void* Symbol(const char* name, std::string& error) const;

  // For a module that a thread may still be running in: unloading it would pull the code from
  // under that thread.
  void KeepLoaded() { keepLoaded_ = true; }

 private:
  explicit SharedModule(void* handle) : handle_(handle) {}

  void* handle_;
  bool keepLoaded_ = false;
};

}  // namespace vex::platform
