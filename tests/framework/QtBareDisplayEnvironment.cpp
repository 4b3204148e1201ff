#include <cstdlib>

#include "framework/testing/BackEndForTests.h"

// The window back-end on a display that no window manager runs: windows get no frames, as on a
// bare X server. Qt then has no frame to measure and guesses one when it places a dialog itself.
static auto* const qtBackEnd = [] {
  setenv("QT_QPA_PLATFORM",
         "offscreen:configfile=" VEX_SOURCE_DIR "/tests/framework/bare-display.json", 1);
  return ::testing::AddGlobalTestEnvironment(
      new vex::test::BackEndEnvironment(vex::fw::FrontEnd::Window));
}();
