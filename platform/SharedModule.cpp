#include "platform/SharedModule.h"

#include <dlfcn.h>

namespace vex::platform {
namespace {

std::string LoaderMessage(const char* fallback) {
  const char* message = ::dlerror();
  return message != nullptr ? std::string(message) : std::string(fallback);
}

}  // namespace

std::unique_ptr<SharedModule> SharedModule::Open(const std::string& path, std::string& error) {
  ::dlerror();
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    error = LoaderMessage("cannot load module");
    return nullptr;
  }
  error.clear();
  return std::unique_ptr<SharedModule>(new SharedModule(handle));
}

SharedModule::~SharedModule() {
  if (!keepLoaded_) {
    ::dlclose(handle_);
  }
}

void* SharedModule::Symbol(const char* name, std::string& error) const {
  ::dlerror();
  void* symbol = ::dlsym(handle_, name);
  if (symbol == nullptr) {
    error = LoaderMessage("symbol not found");
    return nullptr;
  }
  error.clear();
  return symbol;
}

}  // namespace vex::platform
