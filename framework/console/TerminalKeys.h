#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vex::fw {

// Cuts the bytes a terminal sends into whole keys: one character (UTF-8), a control byte, an
// escape sequence (CSI, SS3) or Alt with a key (Esc first, for Alt with an arrow two of them).
// A line editor handed only whole keys never waits on the terminal for the rest of one. Bytes that
// no key can begin with (a stray UTF-8 continuation, a malformed sequence) are dropped.
class TerminalKeys {
 public:
  void Feed(std::string_view bytes);
  // The next whole key, taken out; nothing while none is whole.
  std::optional<std::string> Next();
  // Bytes wait for the rest of a key (an Esc on its own, the first byte of a character).
  bool Waiting() const { return !pending_.empty(); }
  // The rest did not come in time: what waits is dropped, as a lone Esc does nothing.
  void GiveUp() { pending_.clear(); }

 private:
  std::string pending_;
};

}  // namespace vex::fw
