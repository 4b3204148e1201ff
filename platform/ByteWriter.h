#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vex::platform {

// A cursor over a fixed buffer that remembers its first error: once a put does not fit, it and
// every later put write nothing and return false, so a caller may check Ok() once at the end.
class ByteWriter {
 public:
  explicit ByteWriter(std::span<std::uint8_t> buffer) : buffer_(buffer) {}

  bool PutByte(std::uint8_t value);
  bool PutText(std::string_view text);  // no terminator; all or nothing
  bool PutDecimal(long long value);     // plain decimal text, "-" for negatives

  std::size_t Position() const { return position_; }
  bool Ok() const { return ok_; }

 private:
  bool Reserve(std::size_t count);

  std::span<std::uint8_t> buffer_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

}  // namespace vex::platform
