#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vex::remote {

// Builds one JSON text; the commas between members and items come from the writer. Whatever the
// bytes of a string (a player's name, an engine line), the result is valid JSON: control
// characters are escaped and a byte that is no part of valid UTF-8 becomes U+FFFD.
class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the open object's next member, whose value comes next.
  JsonWriter& Key(std::string_view name);

  JsonWriter& String(std::string_view text);
  JsonWriter& Integer(std::int64_t value);
  // Rounded to `decimals` places; JSON has no infinity or NaN, so those are written as null.
  JsonWriter& Number(double value, int decimals);
  JsonWriter& Bool(bool value);

  const std::string& Text() const { return text_; }
  std::string Take() { return std::move(text_); }

 private:
  JsonWriter& Open(char bracket);
  JsonWriter& Close(char bracket);
  void BeginValue();
  void AppendString(std::string_view text);

  std::string text_;
  bool afterValue_ = false;
};

}  // namespace vex::remote
