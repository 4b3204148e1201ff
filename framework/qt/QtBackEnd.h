#pragma once

#include <memory>

namespace vex::fw {

class IBackEnd;

// The window driver on Qt Widgets; creates the QApplication when none exists.
std::unique_ptr<IBackEnd> CreateQtBackEnd(int& argc, char** argv);

}  // namespace vex::fw
