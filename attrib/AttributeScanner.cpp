#include "attrib/AttributeScanner.h"

#include "attrib/CharClass.h"
#include "attrib/Keywords.h"
#include "attrib/TransitionTable.h"

namespace vex {

void AttributeScanner::Attach(std::FILE* stream, std::int32_t characterOffset) {
  reader_.Attach(stream, characterOffset);
  kind_ = AttributeToken::Skip;
  value_ = 0;
  length_ = 0;
  text_[0] = '\0';
}

void AttributeScanner::Detach() {
  reader_.Detach();
}

bool AttributeScanner::NextToken() {
  do {
    if (!ScanOne()) {
      return false;
    }
  } while (kind_ == AttributeToken::Skip);
  return true;
}

bool AttributeScanner::Append() {
  if (length_ >= kMaxTokenLength) {
    errors_.Report(reader_.Line(), "Token too long.");
    return false;
  }
  text_[length_++] = static_cast<char>(reader_.Current());
  return true;
}

bool AttributeScanner::ScanOne() {
  const TransitionTable& table = TransitionTable::Get();
  length_ = 0;
  std::uint16_t state = table.Start();
  for (;;) {
    // A 0 from the file itself would otherwise end the input silently and lose the rest.
    if (reader_.Current() == 0 && !reader_.EndOfInput()) {
      errors_.Report(reader_.Line(), reader_.ReadFailed() ? "The file could not be read."
                                                          : "Zero byte encountered.");
      return false;
    }
    const Transition& entry = table.At(state, ClassOf(reader_.Current()));
    switch (entry.action) {
      case ScanAction::Error:
        errors_.Report(reader_.Line(), "Bad symbol encountered.");
        return false;
      case ScanAction::Store:
        if (!Append()) {
          return false;
        }
        reader_.ReadChar();
        state = entry.target;
        continue;
      case ScanAction::Skip:
        reader_.ReadChar();
        state = entry.target;
        continue;
      case ScanAction::AcceptIncluding:
        if (!Append()) {
          return false;
        }
        reader_.ReadChar();
        break;
      case ScanAction::AcceptConsuming:
        reader_.ReadChar();
        break;
      case ScanAction::AcceptBefore:
        break;
    }
    text_[length_] = '\0';
    kind_ = static_cast<AttributeToken>(entry.target);
    value_ = entry.value;
    if (kind_ == AttributeToken::Identifier) {
      if (const auto keyword = FindKeyword(text_.data())) {
        kind_ = keyword->kind;
        value_ = keyword->value;
      }
    }
    return true;
  }
}

}  // namespace vex
