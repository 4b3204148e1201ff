// An engine module whose create entry makes an engine and then fails, handing the engine back.
// Its release entry leaves the file "released" in the working directory, so a test sees the call
// after the module is gone.
#include <fstream>

#include "tests/support/ScriptedEngine.h"

namespace {

vex::test::ScriptedEngine* engine = nullptr;

}  // namespace

extern "C" __attribute__((visibility("default"))) int VexServerCreate(
    int, const std::uint8_t*, vex::IServerEngine** created) {
  engine = new vex::test::ScriptedEngine();
  *created = engine;
  return 1;
}

extern "C" __attribute__((visibility("default"))) int VexServerRelease() {
  delete engine;
  engine = nullptr;
  std::ofstream("released") << "1";
  return 0;
}
