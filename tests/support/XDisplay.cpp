#include "tests/support/XDisplay.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "tests/support/WaitUntil.h"

namespace vex::test {

namespace {

using namespace std::chrono_literals;

constexpr auto kToolLimit = std::chrono::seconds(20);
constexpr auto kPollInterval = std::chrono::milliseconds(100);

std::optional<int> ShellNumber(const std::string& output, const std::string& name) {
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(name + "=", 0) == 0) {
      return std::atoi(line.c_str() + name.size() + 1);
    }
  }
  return std::nullopt;
}

}  // namespace

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path == nullptr ? "/usr/bin:/bin" : path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = folder + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

XDisplay::XDisplay() {
  const std::string xvfb = FindProgram("Xvfb");
  if (xvfb.empty()) {
    failure_ = "Xvfb is not installed (scripts/install-deps installs it)";
    return;
  }
  server_.emplace(xvfb,
                  std::vector<std::string>{
                      "-displayfd", "1", "-screen", "0",
                      std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24",
                      "-nolisten", "tcp"},
                  "/");
  // Xvfb writes the display number it took once it accepts connections.
  if (!server_->WaitForOutput("\n", 30s)) {
    failure_ = "Xvfb announced no display: " + server_->Errors();
    return;
  }
  const std::string& output = server_->Output();
  name_ = ":" + output.substr(0, output.find('\n'));
}

XDisplay::~XDisplay() {
  End();
}

std::vector<std::string> XDisplay::Environment() const {
  // The test programs run on Qt's offscreen platform; a program under test must not inherit it.
  return {"DISPLAY=" + name_, "QT_QPA_PLATFORM=xcb"};
}

void XDisplay::End() {
  windowManager_.reset();
  if (server_) {
    server_->Signal(SIGTERM);
    server_->WaitForExit(30s);
    server_.reset();
  }
}

bool XDisplay::StartWindowManager() {
  const std::string path = FindProgram("evilwm");
  if (path.empty() || name_.empty()) {
    return false;
  }
  // The X server's own font: evilwm gives up when its default font is not installed.
  windowManager_.emplace(path, std::vector<std::string>{"-fn", "fixed"}, "/", Environment());
  // Only a window manager answers for the current desktop.
  return WaitUntil([&] { return Run("xdotool", {"get_desktop"}).has_value(); }, kToolLimit,
                   kPollInterval);
}

std::optional<std::string> XDisplay::Run(const std::string& program,
                                         const std::vector<std::string>& arguments) {
  const std::string path = FindProgram(program);
  if (path.empty() || name_.empty()) {
    return std::nullopt;
  }
  ChildProcess tool(path, arguments, "/", Environment());
  if (tool.WaitForExit(kToolLimit) != 0) {
    return std::nullopt;
  }
  return tool.Output();
}

std::vector<unsigned long> XDisplay::WindowsTitled(const std::string& title) {
  std::vector<unsigned long> windows;
  if (const auto found = Run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"})) {
    std::istringstream ids(*found);
    unsigned long id = 0;
    // xdotool's search ignores case: Qt titles a window without a title of its own (the splash)
    // with the program's file name, "vexserver".
    while (ids >> id) {
      if (Run("xdotool", {"getwindowname", std::to_string(id)}) == title + "\n") {
        windows.push_back(id);
      }
    }
  }
  return windows;
}

unsigned long XDisplay::WaitForWindow(const std::string& title, unsigned long except,
                                      std::chrono::seconds limit) {
  return WaitForWindow(title, std::vector<unsigned long>{except}, limit);
}

unsigned long XDisplay::WaitForWindow(const std::string& title,
                                      const std::vector<unsigned long>& except,
                                      std::chrono::seconds limit) {
  unsigned long window = 0;
  WaitUntil(
      [&] {
        for (const unsigned long id : WindowsTitled(title)) {
          if (std::find(except.begin(), except.end(), id) == except.end()) {
            window = id;
            return true;
          }
        }
        return false;
      },
      limit, kPollInterval);
  return window;
}

std::vector<unsigned long> XDisplay::WaitForWindows(const std::string& title, std::size_t count,
                                                    std::chrono::seconds limit) {
  std::vector<unsigned long> windows;
  WaitUntil(
      [&] {
        windows = WindowsTitled(title);
        return windows.size() >= count;
      },
      limit, kPollInterval);
  return windows;
}

bool XDisplay::WaitUntilNoWindow(const std::string& title, std::chrono::seconds limit) {
  return WaitUntil([&] { return WindowsTitled(title).empty(); }, limit, kPollInterval);
}

bool XDisplay::WaitForFocus(unsigned long window, std::chrono::seconds limit) {
  return WaitUntil(
      [&] {
        const auto focused = Run("xdotool", {"getwindowfocus"});
        return focused && std::strtoul(focused->c_str(), nullptr, 10) == window;
      },
      limit, kPollInterval);
}

std::optional<XDisplay::Geometry> XDisplay::WindowGeometry(unsigned long window) {
  const auto shell = Run("xdotool", {"getwindowgeometry", "--shell", std::to_string(window)});
  if (!shell) {
    return std::nullopt;
  }
  const auto x = ShellNumber(*shell, "X");
  const auto y = ShellNumber(*shell, "Y");
  const auto width = ShellNumber(*shell, "WIDTH");
  const auto height = ShellNumber(*shell, "HEIGHT");
  if (!x || !y || !width || !height) {
    return std::nullopt;
  }
  return Geometry{*x, *y, *width, *height};
}

unsigned long XDisplay::WaitForWindowAt(int x, int y, unsigned long except,
                                        std::chrono::seconds limit) {
  unsigned long window = 0;
  WaitUntil(
      [&] {
        const auto shell = Run("xdotool", {"mousemove", "--sync", std::to_string(x),
                                           std::to_string(y), "getmouselocation", "--shell"});
        const auto under = shell ? ShellNumber(*shell, "WINDOW") : std::nullopt;
        window = under && *under > 0 ? static_cast<unsigned long>(*under) : 0;
        return window != 0 && window != except;
      },
      limit, kPollInterval);
  return window != except ? window : 0;
}

bool XDisplay::Resize(unsigned long window, int width, int height) {
  return Run("xdotool", {"windowsize", "--sync", std::to_string(window), std::to_string(width),
                         std::to_string(height)})
      .has_value();
}

bool XDisplay::Click(unsigned long window, int x, int y) {
  return Run("xdotool", {"mousemove", "--sync", "--window", std::to_string(window),
                         std::to_string(x), std::to_string(y), "click", "1"})
      .has_value();
}

bool XDisplay::MovePointer(unsigned long window, int x, int y) {
  return Run("xdotool", {"mousemove", "--sync", "--window", std::to_string(window),
                         std::to_string(x), std::to_string(y)})
      .has_value();
}

bool XDisplay::Type(const std::string& text) {
  return Run("xdotool", {"type", "--delay", "30", text}).has_value();
}

bool XDisplay::Key(const std::string& key) {
  return Run("xdotool", {"key", key}).has_value();
}

bool XDisplay::Screenshot(const std::string& pngPath) {
  return Run("import", {"-window", "root", pngPath}).has_value();
}

std::optional<res::Picture> XDisplay::ScreenPixels(const Geometry& area) {
  const std::string crop = std::to_string(area.Width) + "x" + std::to_string(area.Height) + "+" +
                           std::to_string(area.X) + "+" + std::to_string(area.Y);
  const auto ppm =
      Run("import", {"-window", "root", "-crop", crop, "+repage", "-depth", "8", "ppm:-"});
  if (!ppm) {
    return std::nullopt;
  }
  // A binary PPM: "P6", width, height, the largest value, one blank, then the pixels.
  std::istringstream header(*ppm);
  std::string magic;
  res::Picture picture;
  int largest = 0;
  header >> magic >> picture.width >> picture.height >> largest;
  if (!header || magic != "P6" || largest != 255 || picture.width <= 0 || picture.height <= 0) {
    return std::nullopt;
  }
  const auto pixels = static_cast<std::size_t>(header.tellg()) + 1;
  const auto size = static_cast<std::size_t>(picture.width) * picture.height * 3;
  if (ppm->size() != pixels + size) {
    return std::nullopt;
  }
  picture.rgb.assign(ppm->begin() + static_cast<std::ptrdiff_t>(pixels), ppm->end());
  return picture;
}

}  // namespace vex::test
