#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace vex::test {

// Qt's network classes need an application object, and a program may make only one: every
// fixture of the service tests shares it.
class NetworkServiceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "vex_remote_service_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
  }
};

}  // namespace vex::test
