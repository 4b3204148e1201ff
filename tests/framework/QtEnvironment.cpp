#include "framework/testing/BackEndForTests.h"

static auto* const qtBackEnd = ::testing::AddGlobalTestEnvironment(
    new vex::test::BackEndEnvironment(vex::fw::FrontEnd::Window));
