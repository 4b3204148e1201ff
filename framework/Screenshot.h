#pragma once

#include <string>

namespace vex::fw {

class CDialog;

// Saves the dialog's window as a PNG picture; false when the back-end has no window to grab
// (the console one) or the file cannot be written.
bool SaveWindowImage(const CDialog& dialog, const std::string& pngPath);

}  // namespace vex::fw
