#include "framework/testing/BackEndForTests.h"

static auto* const qtBackEnd = ::testing::AddGlobalTestEnvironment(
    new vex::fw::testing::BackEndEnvironment(vex::fw::FrontEnd::Window));
