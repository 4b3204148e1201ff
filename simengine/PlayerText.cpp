#include "simengine/PlayerText.h"

namespace vex::sim {

std::string CleanText(std::string_view text, std::size_t limit) {
  std::string clean;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && !(clean.empty() && byte == ' ')) {
      clean += c;
    }
  }
  if (clean.size() > limit) {
    clean.resize(limit);
  }
  while (!clean.empty() && clean.back() == ' ') {
    clean.pop_back();
  }
  return clean;
}

}  // namespace vex::sim
