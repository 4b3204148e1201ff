#include "attrib/TransitionTable.h"

#include <initializer_list>
#include <string_view>

#include "attrib/AttributeTypes.h"

namespace vex {
namespace {

using Classes = std::initializer_list<CharClass>;
using State = std::uint16_t;
using enum CharClass;

constexpr Classes kWhitespace = {LineFeed, CarriageReturn, Space, Tab};
constexpr Classes kSigns = {Plus, Minus};
constexpr Classes kNameChars = {D, W, O, R, E, F, L, A, T, B, Y, OtherLetter, Digit, Underscore};
constexpr Classes kNameStart = {D, W, O, R, E, F, L, A, T, B, Y, OtherLetter, Underscore};

}  // namespace

// Writes the table state by state. An entry that is never set stays an error; Otherwise() fills
// every entry still unset, so it comes last for a state.
class TableBuilder {
 public:
  explicit TableBuilder(TransitionTable& table) : rows_(table.rows_) {}

  State NewState() {
    rows_.emplace_back();
    return static_cast<State>(rows_.size() - 1);
  }

  void Store(State from, Classes on, State to) { Set(from, on, ScanAction::Store, to); }
  void Skip(State from, Classes on, State to) { Set(from, on, ScanAction::Skip, to); }
  void Accept(State from, Classes on, ScanAction how, AttributeToken kind) {
    Set(from, on, how, static_cast<std::uint16_t>(kind));
  }
  void Otherwise(State from, ScanAction how, std::uint16_t target, Classes except = {}) {
    for (std::size_t c = 0; c < kCharClassCount; ++c) {
      Transition& entry = rows_[from][c];
      if (entry.action == ScanAction::Error && !Contains(except, static_cast<CharClass>(c))) {
        entry = {how, target, 0};
      }
    }
  }
  void OtherwiseAccept(State from, AttributeToken kind) {
    Otherwise(from, ScanAction::AcceptBefore, static_cast<std::uint16_t>(kind));
  }
  void OtherwiseSkip(State from, State to, Classes except = {}) {
    Otherwise(from, ScanAction::Skip, to, except);
  }
  void OtherwiseStore(State from, State to, Classes except) {
    Otherwise(from, ScanAction::Store, to, except);
  }
  void Copy(State from, State to, Classes on) {
    for (CharClass c : on) {
      rows_[to][static_cast<std::size_t>(c)] = rows_[from][static_cast<std::size_t>(c)];
    }
  }

  // A letter sequence spelled in either case, each letter stored; returns the state after it.
  State Word(State from, std::string_view letters);

  // sp* N sp* separated by commas, `count` numbers, closed by `close`; enters at `first`, which
  // is the state after the opening character and any spaces.
  void NumberList(State first, int count, CharClass close, AttributeToken kind);
  // The signed integers of a Point (2) or Rect (4) after "(" and any spaces.
  void IntegerList(State first);

 private:
  void Set(State from, Classes on, ScanAction how, std::uint16_t target) {
    for (CharClass c : on) {
      rows_[from][static_cast<std::size_t>(c)] = {how, target, 0};
    }
  }

  static bool Contains(Classes set, CharClass c) {
    for (CharClass member : set) {
      if (member == c) {
        return true;
      }
    }
    return false;
  }

  std::vector<TransitionTable::Row>& rows_;
};

State TableBuilder::Word(State from, std::string_view letters) {
  State at = from;
  for (char letter : letters) {
    const State next = NewState();
    Store(at, {ClassOf(static_cast<std::uint8_t>(letter))}, next);
    at = next;
  }
  return at;
}

void TableBuilder::NumberList(State first, int count, CharClass close, AttributeToken kind) {
  State start = first;
  for (int index = 1; index <= count; ++index) {
    const State sign = NewState();
    const State digits = NewState();
    const State point = NewState();
    const State pointPlus = NewState();
    const State fraction = NewState();
    const State exponent = NewState();
    const State exponentSign = NewState();
    const State exponentDigits = NewState();
    const State after = NewState();
    const State next = index < count ? NewState() : 0;

    Store(start, {Space}, start);
    Store(start, kSigns, sign);
    Store(start, {Digit}, digits);
    Store(sign, {Digit}, digits);
    Store(digits, {Digit}, digits);
    Store(digits, {FullStop}, point);
    Store(digits, {E}, exponent);
    Store(point, {Plus}, pointPlus);
    Store(point, {Digit}, fraction);
    Store(pointPlus, {Digit}, fraction);
    Store(fraction, {Digit}, fraction);
    Store(fraction, {E}, exponent);
    Store(exponent, kSigns, exponentSign);
    Store(exponent, {Digit}, exponentDigits);
    Store(exponentSign, {Digit}, exponentDigits);
    Store(exponentDigits, {Digit}, exponentDigits);
    for (State end : {digits, fraction, exponentDigits, after}) {
      Store(end, {Space}, after);
      if (index < count) {
        Store(end, {Comma}, next);
      } else {
        Accept(end, {close}, ScanAction::AcceptIncluding, kind);
      }
    }
    start = next;
  }
}

void TableBuilder::IntegerList(State first) {
  constexpr int kMost = 4;
  State start = first;
  for (int index = 1; index <= kMost; ++index) {
    const State sign = NewState();
    const State digits = NewState();
    const State after = NewState();
    const State next = index < kMost ? NewState() : 0;

    if (index > 1) {
      Store(start, {Space}, start);
    }
    Store(start, kSigns, sign);
    Store(start, {Digit}, digits);
    Store(sign, {Digit}, digits);
    Store(digits, {Digit}, digits);
    for (State end : {digits, after}) {
      Store(end, {Space}, after);
      if (index < kMost) {
        Store(end, {Comma}, next);
      }
      if (index == 2) {
        Accept(end, {CloseParen}, ScanAction::AcceptIncluding, AttributeToken::Point);
      } else if (index == kMost) {
        Accept(end, {CloseParen}, ScanAction::AcceptIncluding, AttributeToken::Rect);
      }
    }
    start = next;
  }
}

TransitionTable::TransitionTable() {
  TableBuilder b(*this);
  start_ = b.NewState();
  const State start = start_;
  b.Accept(start, {End}, ScanAction::AcceptBefore, AttributeToken::EndOfFile);
  b.Accept(start, {CloseBracket}, ScanAction::AcceptIncluding, AttributeToken::TagClose);
  b.Accept(start, {Equals}, ScanAction::AcceptIncluding, AttributeToken::Equals);

  const State whitespace = b.NewState();
  b.Skip(start, kWhitespace, whitespace);
  b.Skip(whitespace, kWhitespace, whitespace);
  b.OtherwiseAccept(whitespace, AttributeToken::Skip);

  const State slash = b.NewState();
  const State lineComment = b.NewState();
  const State blockComment = b.NewState();
  const State blockStar = b.NewState();
  b.Skip(start, {Slash}, slash);
  b.Skip(slash, {Slash}, lineComment);
  b.Skip(slash, {Asterisk}, blockComment);
  b.Accept(lineComment, {LineFeed, End}, ScanAction::AcceptBefore, AttributeToken::Skip);
  b.OtherwiseSkip(lineComment, lineComment);
  b.Skip(blockComment, {Asterisk}, blockStar);
  b.OtherwiseSkip(blockComment, blockComment, {End});
  b.Skip(blockStar, {Asterisk}, blockStar);
  b.Accept(blockStar, {Slash}, ScanAction::AcceptConsuming, AttributeToken::Skip);
  b.OtherwiseSkip(blockStar, blockComment, {End});

  const State name = b.NewState();
  b.Store(start, kNameStart, name);
  b.Store(name, kNameChars, name);
  b.OtherwiseAccept(name, AttributeToken::Identifier);

  // Unsigned digits become a name at a letter, E included; a sign makes them a number that may
  // take a fraction, an exponent or the float suffix.
  const State digits = b.NewState();
  const State plus = b.NewState();
  const State minus = b.NewState();
  const State plusDigits = b.NewState();
  const State minusDigits = b.NewState();
  const State point = b.NewState();
  const State pointPlus = b.NewState();
  const State fraction = b.NewState();
  const State exponent = b.NewState();
  const State exponentSign = b.NewState();
  const State exponentDigits = b.NewState();
  b.Store(start, {Digit}, digits);
  b.Store(digits, {Digit}, digits);
  b.Store(digits, kNameStart, name);
  b.Store(digits, {FullStop}, point);
  b.OtherwiseAccept(digits, AttributeToken::Integer);
  b.Store(start, {Plus}, plus);
  b.Store(start, {Minus}, minus);
  b.Store(plus, {Digit}, plusDigits);
  b.Store(minus, {Digit}, minusDigits);
  for (const auto& [signedDigits, kind] :
       {std::pair{plusDigits, AttributeToken::Integer},
        std::pair{minusDigits, AttributeToken::NegativeInteger}}) {
    b.Store(signedDigits, {Digit}, signedDigits);
    b.Store(signedDigits, {FullStop}, point);
    b.Store(signedDigits, {E}, exponent);
    b.Accept(signedDigits, {F}, ScanAction::AcceptIncluding, AttributeToken::Float);
    b.OtherwiseAccept(signedDigits, kind);
  }
  b.Store(point, {Plus}, pointPlus);
  b.Store(point, {Digit}, fraction);
  b.Store(pointPlus, {Digit}, fraction);
  b.Store(fraction, {Digit}, fraction);
  b.Store(fraction, {E}, exponent);
  b.Accept(fraction, {F}, ScanAction::AcceptIncluding, AttributeToken::Float);
  b.OtherwiseAccept(fraction, AttributeToken::Double);
  b.Store(exponent, kSigns, exponentSign);
  b.Store(exponent, {Digit}, exponentDigits);
  b.Store(exponentSign, {Digit}, exponentDigits);
  b.Store(exponentDigits, {Digit}, exponentDigits);
  b.Accept(exponentDigits, {F}, ScanAction::AcceptIncluding, AttributeToken::Float);
  b.OtherwiseAccept(exponentDigits, AttributeToken::Double);

  // The enclosing quotes are dropped; a doubled quote inside stands for one.
  const State text = b.NewState();
  const State quote = b.NewState();
  b.Skip(start, {DoubleQuote}, text);
  b.Skip(text, {DoubleQuote}, quote);
  b.OtherwiseStore(text, text, {LineFeed, CarriageReturn, End});
  b.Store(quote, {DoubleQuote}, text);
  b.OtherwiseAccept(quote, AttributeToken::String);

  const State bracket = b.NewState();
  const State rangeStart = b.NewState();
  b.Store(start, {OpenBracket}, bracket);
  b.NumberList(rangeStart, 2, CloseBracket, AttributeToken::Range);
  b.Copy(rangeStart, bracket, {Space, Plus, Minus, Digit});
  b.OtherwiseAccept(bracket, AttributeToken::TagOpen);

  const State vectorStart = b.NewState();
  b.Store(start, {Less}, vectorStart);
  b.NumberList(vectorStart, 3, Greater, AttributeToken::Vector);

  const State paren = b.NewState();
  b.Store(start, {OpenParen}, paren);
  b.Store(paren, {Space}, paren);
  b.IntegerList(paren);
  for (const auto& [word, kind] : {std::pair{"DWORD", AttributeToken::DwordPrefix},
                                   std::pair{"FLOAT", AttributeToken::FloatPrefix},
                                   std::pair{"BYTE", AttributeToken::BytePrefix}}) {
    const State spelled = b.Word(paren, word);
    b.Store(spelled, {Space}, spelled);
    b.Accept(spelled, {CloseParen}, ScanAction::AcceptIncluding, kind);
  }
  FindLoops();
}

void TransitionTable::FindLoops() {
  loops_.assign(rows_.size(), Loops{});
  for (std::size_t state = 0; state < rows_.size(); ++state) {
    for (std::size_t c = 0; c < kCharClassCount; ++c) {
      const Transition& entry = rows_[state][c];
      if (entry.target != state) {
        continue;
      }
      if (entry.action == ScanAction::Store) {
        loops_[state].stored |= std::uint64_t{1} << c;
      } else if (entry.action == ScanAction::Skip) {
        loops_[state].skipped |= std::uint64_t{1} << c;
      }
    }
  }
}

const TransitionTable& TransitionTable::Get() {
  static const TransitionTable table;
  return table;
}

}  // namespace vex
