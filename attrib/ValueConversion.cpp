#include "attrib/ValueConversion.h"

#include <cctype>
#include <charconv>
#include <limits>

namespace vex {
namespace {

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Digits after an optional sign, saturating at `limit`; `negative` tells which sign was written.
std::uint64_t ReadMagnitude(std::string_view text, std::uint64_t limit, bool& negative) {
  std::size_t at = 0;
  negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  std::uint64_t magnitude = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[at] - '0');
    if (magnitude > limit) {
      magnitude = limit;
    }
  }
  return magnitude;
}

// Decimal position of the leading significant digit plus the exponent: positive for values too
// large for a double, otherwise the value was too small.
long Magnitude(std::string_view number) {
  std::size_t at = 0;
  long lead = 0;
  bool significant = false;
  for (; at < number.size() && IsDigit(number[at]); ++at) {
    significant = significant || number[at] != '0';
    lead += significant ? 1 : 0;
  }
  if (at < number.size() && number[at] == '.') {
    for (++at; at < number.size() && IsDigit(number[at]); ++at) {
      if (!significant && number[at] != '0') {
        significant = true;
      } else if (!significant) {
        --lead;
      }
    }
  }
  long exponent = 0;
  if (at < number.size() && (number[at] == 'e' || number[at] == 'E')) {
    bool negative = false;
    exponent = static_cast<long>(ReadMagnitude(number.substr(at + 1), 1000000, negative));
    exponent = negative ? -exponent : exponent;
  }
  return lead + exponent;
}

std::string_view SkipToNumber(std::string_view text, std::size_t& at) {
  while (at < text.size() && !IsDigit(text[at]) && text[at] != '+' && text[at] != '-') {
    ++at;
  }
  const std::size_t start = at;
  while (at < text.size() && text[at] != ',') {
    ++at;
  }
  return text.substr(start, at - start);
}

}  // namespace

std::int32_t TextToInt(std::string_view text) {
  bool negative = false;
  constexpr std::uint64_t kMostNegative = std::uint64_t{1} << 31;
  const std::uint64_t magnitude = ReadMagnitude(text, kMostNegative, negative);
  if (negative) {
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  }
  return magnitude >= kMostNegative ? std::numeric_limits<std::int32_t>::max()
                                    : static_cast<std::int32_t>(magnitude);
}

std::uint32_t TextToDword(std::string_view text) {
  bool negative = false;
  return static_cast<std::uint32_t>(
      ReadMagnitude(text, std::numeric_limits<std::uint32_t>::max(), negative));
}

double TextToDouble(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    const std::string_view parsed(text.data(), static_cast<std::size_t>(end - text.data()));
    value = Magnitude(parsed) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

float NarrowToFloat(double value) {
  // Halfway between the largest float and the next power of two: anything below rounds to the
  // largest float (3.4028235e38 is how that one is usually written), anything from here on is
  // an infinity.
  constexpr double kOverflow = 0x1.ffffffp127;
  if (value >= kOverflow) {
    return std::numeric_limits<float>::infinity();
  }
  if (value <= -kOverflow) {
    return -std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(value);
}

void TextToInts(std::string_view text, std::int32_t* out, int count) {
  std::size_t at = 0;
  for (int i = 0; i < count; ++i) {
    out[i] = TextToInt(SkipToNumber(text, at));
  }
}

void TextToDoubles(std::string_view text, double* out, int count) {
  std::size_t at = 0;
  for (int i = 0; i < count; ++i) {
    out[i] = TextToDouble(SkipToNumber(text, at));
  }
}

}  // namespace vex
