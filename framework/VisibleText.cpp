#include "framework/VisibleText.h"

#include <cstdio>

namespace vex::fw {
namespace {

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 character at the start of `text`, or 0.
std::size_t Utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) {
    return 0;
  }
  for (std::size_t i = 2; i < length; ++i) {
    if (!IsContinuation(byte(i))) {
      return 0;
    }
  }
  return length;
}

bool IsC1Control(std::string_view character) {
  return character.size() == 2 && static_cast<unsigned char>(character[0]) == 0xC2 &&
         static_cast<unsigned char>(character[1]) < 0xA0;
}

void AppendEscape(std::string& out, unsigned char byte) {
  switch (byte) {
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default: {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      out += escape;
    }
  }
}

}  // namespace

std::string VisibleText(std::string_view text, LineFeeds lineFeeds) {
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x20 && byte < 0x7F) {
      out.push_back(static_cast<char>(byte));
      ++at;
    } else if (byte == '\n' && lineFeeds == LineFeeds::Keep) {
      out.push_back('\n');
      ++at;
    } else if (const std::size_t length = byte >= 0x80 ? Utf8Length(text.substr(at)) : 0;
               length > 0 && !IsC1Control(text.substr(at, length))) {
      out.append(text.substr(at, length));
      at += length;
    } else {
      const std::size_t count = length > 0 ? length : 1;
      for (std::size_t i = 0; i < count; ++i) {
        AppendEscape(out, static_cast<unsigned char>(text[at + i]));
      }
      at += count;
    }
  }
  return out;
}

std::string ConsoleTextForTerminal(std::string_view text) {
  std::string out;
  std::size_t lineStart = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string_view::npos;
       at = text.find("\r\n", lineStart)) {
    std::size_t lineEnd = at;
    while (lineEnd > lineStart && text[lineEnd - 1] == '\r') {
      --lineEnd;
    }
    out += VisibleText(text.substr(lineStart, lineEnd - lineStart), LineFeeds::Escape);
    out += '\n';
    lineStart = at + 2;
  }
  out += VisibleText(text.substr(lineStart), LineFeeds::Escape);
  return out;
}

}  // namespace vex::fw
