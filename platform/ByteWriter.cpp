#include "platform/ByteWriter.h"

#include <array>
#include <charconv>
#include <cstring>

namespace vex::platform {

bool ByteWriter::Reserve(std::size_t count) {
  if (ok_ && count > buffer_.size() - position_) {
    ok_ = false;
  }
  return ok_;
}

bool ByteWriter::PutByte(std::uint8_t value) {
  if (!Reserve(1)) {
    return false;
  }
  buffer_[position_++] = value;
  return true;
}

bool ByteWriter::PutText(std::string_view text) {
  if (!Reserve(text.size())) {
    return false;
  }
  if (!text.empty()) {
    std::memcpy(buffer_.data() + position_, text.data(), text.size());
  }
  position_ += text.size();
  return true;
}

bool ByteWriter::PutDecimal(long long value) {
  std::array<char, 24> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  return PutText(
      std::string_view(digits.data(), static_cast<std::size_t>(result.ptr - digits.data())));
}

}  // namespace vex::platform
