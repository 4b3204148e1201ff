#include <charconv>

#include "framework/Dialog.h"

namespace vex::fw {

void CDataExchange::Text(int controlId, std::string& value) {
  CWnd& control = dialog_.Item(controlId);
  if (save_) {
    value = control.GetWindowText();
  } else {
    control.SetWindowText(value);
  }
}

void CDataExchange::Number(int controlId, std::uint32_t& value) {
  CWnd& control = dialog_.Item(controlId);
  if (!save_) {
    control.SetWindowText(std::to_string(value));
    return;
  }
  // A field that does not hold a decimal number leaves the member as it was.
  const std::string text = control.GetWindowText();
  std::uint32_t parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error == std::errc() && end == text.data() + text.size() && !text.empty()) {
    value = parsed;
  }
}

}  // namespace vex::fw
