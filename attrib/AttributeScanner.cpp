#include "attrib/AttributeScanner.h"

#include "attrib/CharClass.h"
#include "attrib/Keywords.h"

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

bool AttributeScanner::ReportTooLong() {
  errors_.Report(reader_.Line(), "Token too long.");
  return false;
}

bool AttributeScanner::ScanOne() {
  length_ = 0;
  std::uint16_t state = table_.Start();
  for (;;) {
    const CharClass characterClass = ClassOf(reader_.Current());
    // A 0 from the file itself would otherwise end the input silently and lose the rest.
    if (characterClass == CharClass::End && !reader_.EndOfInput()) {
      errors_.Report(reader_.Line(), reader_.ReadFailed() ? "The file could not be read."
                                                          : "Zero byte encountered.");
      return false;
    }
    const Transition& entry = table_.At(state, characterClass);
    // Most characters are stored or skipped; testing for those first keeps their path short.
    if (entry.action == ScanAction::Store) {
      if (entry.target == state) {
        if (length_ >= kMaxTokenLength) {
          return ReportTooLong();
        }
        length_ += static_cast<std::uint16_t>(reader_.ReadRun(
            StaysIn(state, ScanAction::Store), text_.data() + length_, kMaxTokenLength - length_));
        continue;
      }
      if (!Append()) {
        return false;
      }
      reader_.ReadChar();
      state = entry.target;
      continue;
    }
    if (entry.action == ScanAction::Skip) {
      if (entry.target == state) {
        reader_.ReadRun(StaysIn(state, ScanAction::Skip), nullptr, SIZE_MAX);
        continue;
      }
      reader_.ReadChar();
      state = entry.target;
      continue;
    }
    switch (entry.action) {
      case ScanAction::Error:
        errors_.Report(reader_.Line(), "Bad symbol encountered.");
        return false;
      case ScanAction::AcceptIncluding:
        if (!Append()) {
          return false;
        }
        reader_.ReadChar();
        break;
      case ScanAction::AcceptConsuming:
        reader_.ReadChar();
        break;
      case ScanAction::Store:
      case ScanAction::Skip:
      case ScanAction::AcceptBefore:
        break;
    }
    text_[length_] = '\0';
    kind_ = static_cast<AttributeToken>(entry.target);
    value_ = entry.value;
    if (kind_ == AttributeToken::Identifier) {
      if (const auto keyword = FindKeyword(std::string_view(text_.data(), length_))) {
        kind_ = keyword->kind;
        value_ = keyword->value;
      }
    }
    return true;
  }
}

}  // namespace vex
