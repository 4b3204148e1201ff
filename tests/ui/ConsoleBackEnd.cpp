#include "framework/testing/BackEndForTests.h"

namespace {

// Dialogs of this program run on the console back-end, as the server does without a display.
auto* const backEnd = ::testing::AddGlobalTestEnvironment(
    new vex::test::BackEndEnvironment(vex::fw::FrontEnd::Console));

}  // namespace
