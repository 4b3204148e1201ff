#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "framework/Application.h"

namespace vex::fw {
namespace {

TEST(FrontEndChoice, ConsoleUnlessAWindowCanBeShown) {
  struct Case {
    bool forceConsole;
    bool windowBuilt;
    const char* display;
    const char* wayland;
    FrontEnd expected;
  };
  const Case cases[] = {
      {false, true, ":0", "", FrontEnd::Window},
      {false, true, "", "wayland-0", FrontEnd::Window},
      {false, true, ":0", "wayland-0", FrontEnd::Window},
      {false, true, "", "", FrontEnd::Console},
      {true, true, ":0", "wayland-0", FrontEnd::Console},
      {false, false, ":0", "wayland-0", FrontEnd::Console},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseFrontEnd(c.forceConsole, c.windowBuilt, c.display, c.wayland), c.expected)
        << c.forceConsole << c.windowBuilt << " '" << c.display << "' '" << c.wayland << "'";
  }
}

// Restores an environment variable when the test ends.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      old_ = old;
    }
    if (value == nullptr) {
      unsetenv(name);
    } else {
      setenv(name, value, 1);
    }
  }
  ~ScopedVariable() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(FrontEndChoice, ReadsTheDisplayVariables) {
  const FrontEnd withDisplay = WindowFrontEndBuilt() ? FrontEnd::Window : FrontEnd::Console;
  {
    ScopedVariable display("DISPLAY", nullptr);
    ScopedVariable wayland("WAYLAND_DISPLAY", nullptr);
    EXPECT_EQ(ChooseFrontEnd(false), FrontEnd::Console);
  }
  {
    ScopedVariable display("DISPLAY", ":1");
    ScopedVariable wayland("WAYLAND_DISPLAY", nullptr);
    EXPECT_EQ(ChooseFrontEnd(false), withDisplay);
    EXPECT_EQ(ChooseFrontEnd(true), FrontEnd::Console);
  }
  {
    ScopedVariable display("DISPLAY", "");
    ScopedVariable wayland("WAYLAND_DISPLAY", "wayland-1");
    EXPECT_EQ(ChooseFrontEnd(false), withDisplay);
  }
}

}  // namespace
}  // namespace vex::fw
