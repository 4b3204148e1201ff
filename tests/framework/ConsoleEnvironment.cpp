#include "framework/testing/BackEndForTests.h"

static auto* const consoleBackEnd = ::testing::AddGlobalTestEnvironment(
    new vex::fw::testing::BackEndEnvironment(vex::fw::FrontEnd::Console));
