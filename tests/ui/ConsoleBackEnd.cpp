#include "framework/testing/BackEndForTests.h"

namespace {

// Dialogs of this program run on the console back-end, as the server does without a display.
auto* const backEnd = ::testing::AddGlobalTestEnvironment(
    new vex::fw::testing::BackEndEnvironment(vex::fw::FrontEnd::Console));

}  // namespace
