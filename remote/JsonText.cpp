#include "remote/JsonText.h"

#include <cstdio>

#include "remote/Utf8.h"

namespace vex::remote {

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text[0]);
    std::size_t used = 1;
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else if (const std::size_t length = Utf8SequenceLength(text)) {
      out.append(text.substr(0, length));
      used = length;
    } else {
      out += "\xEF\xBF\xBD";
    }
    text.remove_prefix(used);
  }
  out += '"';
}

}  // namespace vex::remote
