#include "attrib/CharReader.h"

namespace vex {

void CharReader::Attach(std::FILE* stream, std::int32_t characterOffset) {
  stream_ = stream;
  offset_ = characterOffset;
  line_ = 0;
  atLineStart_ = true;
  current_ = 0;
  endOfInput_ = false;
  readFailed_ = false;
  filled_ = 0;
  cursor_ = 0;
}

void CharReader::Detach() {
  stream_ = nullptr;
}

void CharReader::Refill() {
  const std::size_t got = stream_ == nullptr || std::feof(stream_)
                              ? 0
                              : std::fread(buffer_.data(), 1, kBlockSize, stream_);
  filled_ = got;
  cursor_ = 0;
  buffer_[got] = '\0';
  if (got == 0) {
    readFailed_ = stream_ != nullptr && std::ferror(stream_) != 0;
    endOfInput_ = !readFailed_;
    current_ = 0;
    // The end of an empty file still lies on its first line.
    if (line_ == 0) {
      line_ = 1;
    }
  }
}

}  // namespace vex
