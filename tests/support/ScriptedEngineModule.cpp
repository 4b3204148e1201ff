#include "tests/support/ScriptedEngine.h"

namespace {

vex::test::ScriptedEngine* engine = nullptr;

}  // namespace

extern "C" __attribute__((visibility("default"))) int VexServerCreate(
    int, const std::uint8_t*, vex::IServerEngine** created) {
  if (engine == nullptr) {
    engine = new vex::test::ScriptedEngine();
  }
  *created = engine;
  return 0;
}

extern "C" __attribute__((visibility("default"))) int VexServerRelease() {
  delete engine;
  engine = nullptr;
  return 0;
}
