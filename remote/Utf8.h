#pragma once

#include <cstddef>
#include <string_view>

namespace vex::remote {

// The length of the valid UTF-8 sequence at the start of the text, 0 when it is none (an
// overlong form, a surrogate, a stray continuation byte, a cut sequence).
std::size_t Utf8SequenceLength(std::string_view text);

}  // namespace vex::remote
