#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vex::remote {

// The length of the valid UTF-8 sequence at the start of the text, 0 when it is none (an
// overlong form, a surrogate, a stray continuation byte, a cut sequence).
std::size_t Utf8SequenceLength(std::string_view text);

// Text for a peer that shows what it gets: valid UTF-8 without a control character. Each C0 and
// C1 control, DEL, and each byte outside a valid sequence is written as an escape (\n, \r, \t,
// \xHH), the way the console and the log show the same text.
std::string PrintableUtf8(std::string_view text);

}  // namespace vex::remote
