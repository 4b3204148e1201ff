#include "attrib/CharClass.h"

#include <string_view>

namespace vex {
namespace {

constexpr std::array<CharClass, 256> BuildClasses() {
  std::array<CharClass, 256> classes{};
  classes.fill(CharClass::Other);
  for (char c = 'A'; c <= 'Z'; ++c) {
    classes[static_cast<unsigned char>(c)] = CharClass::OtherLetter;
    classes[static_cast<unsigned char>(c - 'A' + 'a')] = CharClass::OtherLetter;
  }
  constexpr std::string_view kOwnLetters = "DWOREFLATBY";
  for (std::size_t i = 0; i < kOwnLetters.size(); ++i) {
    const auto own = static_cast<CharClass>(i);
    classes[static_cast<unsigned char>(kOwnLetters[i])] = own;
    classes[static_cast<unsigned char>(kOwnLetters[i] - 'A' + 'a')] = own;
  }
  for (char c = '0'; c <= '9'; ++c) {
    classes[static_cast<unsigned char>(c)] = CharClass::Digit;
  }
  classes['\n'] = CharClass::LineFeed;
  classes['\r'] = CharClass::CarriageReturn;
  classes[' '] = CharClass::Space;
  classes['\t'] = CharClass::Tab;
  constexpr std::string_view kPunctuation = "&\"()*+-./:;<=>[]{}|,_#~`@\\'!^%$?";
  for (std::size_t i = 0; i < kPunctuation.size(); ++i) {
    classes[static_cast<unsigned char>(kPunctuation[i])] =
        static_cast<CharClass>(static_cast<std::size_t>(CharClass::Ampersand) + i);
  }
  classes[0] = CharClass::End;
  return classes;
}

}  // namespace

constexpr std::array<CharClass, 256> detail::kCharClasses = BuildClasses();

static_assert(detail::kCharClasses['?'] == CharClass::Question);
static_assert(static_cast<std::size_t>(CharClass::End) + 1 == kCharClassCount);

}  // namespace vex
