#include "framework/testing/BackEndForTests.h"

static auto* const consoleBackEnd = ::testing::AddGlobalTestEnvironment(
    new vex::test::BackEndEnvironment(vex::fw::FrontEnd::Console));
