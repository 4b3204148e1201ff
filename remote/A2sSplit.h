#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "remote/A2sMessages.h"

namespace vex::remote {

// The datagrams that carry an answer. One that fits a datagram goes as it is; a larger one in
// the split form of the query protocol: each part starts with -2, the answer's id (its top bit
// clear: nothing is compressed), the number of parts, the part's number from 0 and the largest
// datagram's size, then its share of the answer, whose first part starts with the answer's own
// header. Answers are built no larger than kA2sMostParts parts.
std::vector<std::string> SplitA2sAnswer(std::string_view answer, std::uint32_t id);

}  // namespace vex::remote
