#pragma once

#include <cstdint>
#include <string_view>

namespace vex {

// Conversions of token texts whose form the scanner has already checked. Each stops at the first
// character that cannot continue its number, as strtol and strtod do, and ignores the locale.

// Decimal with optional sign; values beyond 32 bits saturate to the 32-bit limits.
std::int32_t TextToInt(std::string_view text);
// Decimal with optional "+"; values above 4294967295 become 4294967295.
std::uint32_t TextToDword(std::string_view text);
// Optional sign, digits, fraction, exponent; overflow gives an infinity, underflow zero.
double TextToDouble(std::string_view text);
// Values beyond the float range become infinities instead of an undefined conversion.
float NarrowToFloat(double value);

// The `count` comma-separated integers or numbers of a bracketed form such as "( 1 , -2 )".
void TextToInts(std::string_view text, std::int32_t* out, int count);
void TextToDoubles(std::string_view text, double* out, int count);

}  // namespace vex
