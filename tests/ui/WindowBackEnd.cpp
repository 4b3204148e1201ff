#include "framework/testing/BackEndForTests.h"

namespace {

// The status window as the operator sees it: real Qt widgets on the offscreen platform.
auto* const backEnd = ::testing::AddGlobalTestEnvironment(
    new vex::test::BackEndEnvironment(vex::fw::FrontEnd::Window));

}  // namespace
