#pragma once

#include <memory>
#include <string>

#include "engine/IServerEngine.h"

namespace vex::platform {
class SharedModule;
}

namespace vex {

// The engine library server.so with its two entries, loaded whole or not at all.
class CEngineModule {
 public:
  // Looks in the working directory first, then beside the executable; on failure `error` holds
  // the loader's reason. `warning` says when the module comes from a working directory that
  // others can write to, where anyone could have planted it.
  static std::unique_ptr<CEngineModule> Load(std::string& error, std::string& warning);
  static std::unique_ptr<CEngineModule> LoadFrom(const std::string& path, std::string& error);
  ~CEngineModule();

  // The create entry with version 2 and the interface identifier; 0 and an engine = success.
  int Create(IServerEngine** engine) const;
  void Release() const;
  // A thread may still be inside the engine: never unload the code under it.
  void KeepLoaded();

 private:
  CEngineModule(std::unique_ptr<platform::SharedModule> module, CreateEntry create,
                ReleaseEntry release);

  std::unique_ptr<platform::SharedModule> module_;
  CreateEntry create_;
  ReleaseEntry release_;
};

inline constexpr const char* kEngineModuleName = "server.so";

}  // namespace vex
