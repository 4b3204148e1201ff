#include "engine/EngineModule.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/ExecutablePath.h"
#include "platform/FileSystem.h"
#include "platform/SharedModule.h"

namespace vex {

CEngineModule::CEngineModule(std::unique_ptr<platform::SharedModule> module, CreateEntry create,
                             ReleaseEntry release)
    : module_(std::move(module)), create_(create), release_(release) {}

CEngineModule::~CEngineModule() = default;

std::unique_ptr<CEngineModule> CEngineModule::Load(std::string& error, std::string& warning) {
  warning.clear();
  const std::string local = std::string("./") + kEngineModuleName;
  if (access(local.c_str(), F_OK) == 0) {
    if (platform::WritableByOthers(".")) {
      warning = std::string("Warning: ") + kEngineModuleName +
                " is loaded from the working directory, which other users can write to; any of "
                "them could have put their own module there.";
    }
    return LoadFrom(local, error);
  }
  const std::string besideProgram = platform::ExecutableDirectory() + "/" + kEngineModuleName;
  if (access(besideProgram.c_str(), F_OK) != 0) {
    std::error_code unknown;
    error = std::string(kEngineModuleName) + " is neither in the working directory (" +
            std::filesystem::current_path(unknown).string() + ") nor beside the program (" +
            platform::ExecutableDirectory() + ").";
    return nullptr;
  }
  return LoadFrom(besideProgram, error);
}

std::unique_ptr<CEngineModule> CEngineModule::LoadFrom(const std::string& path,
                                                       std::string& error) {
  auto module = platform::SharedModule::Open(path, error);
  if (!module) {
    return nullptr;
  }
  void* create = module->Symbol(kCreateEntryName, error);
  if (create == nullptr) {
    return nullptr;
  }
  void* release = module->Symbol(kReleaseEntryName, error);
  if (release == nullptr) {
    return nullptr;
  }
  return std::unique_ptr<CEngineModule>(new CEngineModule(std::move(module),
                                                          reinterpret_cast<CreateEntry>(create),
                                                          reinterpret_cast<ReleaseEntry>(release)));
}

int CEngineModule::Create(IServerEngine** engine) const {
  return create_(kServerEngineVersion, kServerEngineInterfaceId.data(), engine);
}

void CEngineModule::Release() const {
  release_();
}

void CEngineModule::KeepLoaded() {
  module_->KeepLoaded();
}

}  // namespace vex
