#include "remote/HttpRequest.h"

#include <algorithm>
#include <charconv>

namespace vex::remote {

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsTokenChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsFieldText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == '\t' || (byte >= 32 && byte != 127);
  });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  c = Lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::optional<std::string> DecodeFormText(std::string_view text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      decoded += ' ';
    } else if (text[i] != '%') {
      decoded += text[i];
    } else {
      if (i + 2 >= text.size()) {
        return std::nullopt;
      }
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high < 0 || low < 0) {
        return std::nullopt;
      }
      decoded += static_cast<char>(high * 16 + low);
      i += 2;
    }
  }
  return decoded;
}

}  // namespace

std::optional<std::string_view> HttpRequest::Header(std::string_view lowerName) const {
  for (const auto& [name, value] : Headers) {
    if (name == lowerName) {
      return std::string_view(value);
    }
  }
  return std::nullopt;
}

std::string_view HttpRequest::Path() const {
  const std::string_view target(Target);
  return target.substr(0, target.find('?'));
}

HttpRequestReader::State HttpRequestReader::Fail(int status) {
  state_ = State::Failed;
  failureStatus_ = status;
  buffer_.clear();
  return state_;
}

HttpRequestReader::State HttpRequestReader::Feed(std::string_view bytes) {
  if (state_ != State::Reading) {
    return state_;
  }
  if (!headRead_) {
    buffer_.append(bytes);
    ReadHeadLines();
    if (state_ != State::Reading || !headRead_) {
      return state_;
    }
  } else {
    buffer_.append(bytes.substr(0, bodyLength_ - buffer_.size()));
  }
  // What follows the body is not read, however it arrives: every answer ends the exchange.
  if (buffer_.size() >= bodyLength_) {
    buffer_.resize(bodyLength_);
    request_.Body = std::move(buffer_);
    buffer_.clear();
    state_ = State::Complete;
  }
  return state_;
}

void HttpRequestReader::ReadHeadLines() {
  std::size_t start = 0;
  std::size_t lineFeed = 0;
  while (!headRead_ && (lineFeed = buffer_.find('\n', start)) != std::string::npos) {
    const bool crlf = lineFeed > start && buffer_[lineFeed - 1] == '\r';
    const std::string_view line(buffer_.data() + start, lineFeed - start - (crlf ? 1 : 0));
    if (!TakeLine(line, crlf)) {
      return;
    }
    start = lineFeed + 1;
  }
  buffer_.erase(0, start);
  if (!headRead_) {
    // The unfinished line is held to the limits that the finished one will meet, counted as
    // the finished one will be: a CR that may yet start its CRLF is not part of it.
    const std::size_t length =
        buffer_.size() - (!buffer_.empty() && buffer_.back() == '\r' ? 1 : 0);
    CheckLineLength(length);
  }
}

bool HttpRequestReader::CheckLineLength(std::size_t length) {
  if (!requestLineRead_ && length > limits_.RequestLine) {
    Fail(414);
  } else if (headBytes_ + length > limits_.HeaderBytes) {
    Fail(431);
  }
  return state_ == State::Reading;
}

// Each check comes in the order in which its limit is reached while the line arrives, so that
// the answer never depends on where the bytes were split.
bool HttpRequestReader::TakeLine(std::string_view line, bool crlf) {
  if (!CheckLineLength(line.size())) {
    return false;
  }
  if (!crlf) {
    Fail(400);
    return false;
  }
  if (requestLineRead_ && line.empty()) {
    headRead_ = true;
    return FinishHead();
  }
  headBytes_ += line.size() + 2;
  if (headBytes_ > limits_.HeaderBytes) {
    Fail(431);
    return false;
  }
  if (!requestLineRead_) {
    requestLineRead_ = true;
    return ParseRequestLine(line);
  }
  return ParseHeaderLine(line);
}

bool HttpRequestReader::ParseRequestLine(std::string_view line) {
  const std::size_t firstSpace = line.find(' ');
  const std::size_t secondSpace = line.find(' ', firstSpace + 1);
  if (firstSpace == std::string_view::npos || secondSpace == std::string_view::npos ||
      (line.substr(secondSpace + 1) != "HTTP/1.1" && line.substr(secondSpace + 1) != "HTTP/1.0")) {
    Fail(400);
    return false;
  }
  request_.Method = std::string(line.substr(0, firstSpace));
  request_.Target = std::string(line.substr(firstSpace + 1, secondSpace - firstSpace - 1));
  if (request_.Method.empty() ||
      !std::all_of(request_.Method.begin(), request_.Method.end(), IsTokenChar) ||
      request_.Target.empty() || request_.Target.front() != '/' || !IsFieldText(request_.Target) ||
      request_.Target.find_first_of(" \t") != std::string::npos) {
    Fail(400);
    return false;
  }
  return true;
}

bool HttpRequestReader::ParseHeaderLine(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == 0 || colon == std::string_view::npos ||
      !std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon), IsTokenChar) ||
      !IsFieldText(line.substr(colon + 1))) {
    Fail(400);
    return false;
  }
  if (request_.Headers.size() == limits_.HeaderCount) {
    Fail(431);
    return false;
  }
  std::string name(line.substr(0, colon));
  std::transform(name.begin(), name.end(), name.begin(), Lower);
  request_.Headers.emplace_back(std::move(name), std::string(Trim(line.substr(colon + 1))));
  return true;
}

std::size_t HttpRequest::HeaderCount(std::string_view lowerName) const {
  return static_cast<std::size_t>(
      std::count_if(Headers.begin(), Headers.end(),
                    [&](const auto& header) { return header.first == lowerName; }));
}

bool HttpRequestReader::FinishHead() {
  // A request names its host once (HTTP/1.0 may leave it out, but then it cannot say which site it
  // is for, and the page answers for its own names only).
  if (request_.HeaderCount("host") != 1) {
    Fail(400);
    return false;
  }
  if (request_.Header("transfer-encoding")) {
    Fail(501);
    return false;
  }
  std::optional<std::string_view> length;
  for (const auto& [name, value] : request_.Headers) {
    if (name != "content-length") {
      continue;
    }
    // Two lengths that differ leave the body's end in doubt.
    if (length && *length != value) {
      Fail(400);
      return false;
    }
    length = value;
  }
  if (!length) {
    return true;
  }
  std::size_t value = 0;
  const auto [end, error] = std::from_chars(length->data(), length->data() + length->size(), value);
  if (length->empty() || error != std::errc{} || end != length->data() + length->size()) {
    Fail(400);
    return false;
  }
  if (value > limits_.Body) {
    Fail(413);
    return false;
  }
  bodyLength_ = value;
  return true;
}

std::optional<std::string> FormField(std::string_view form, std::string_view name) {
  while (!form.empty()) {
    const std::size_t end = form.find('&');
    const std::string_view pair = form.substr(0, end);
    form = end == std::string_view::npos ? std::string_view() : form.substr(end + 1);
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && pair.substr(0, equals) == name) {
      return DecodeFormText(pair.substr(equals + 1));
    }
  }
  return std::nullopt;
}

std::optional<std::string_view> CookieValue(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    const std::size_t end = header.find(';');
    const std::string_view pair = Trim(header.substr(0, end));
    header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && pair.substr(0, equals) == name) {
      return pair.substr(equals + 1);
    }
  }
  return std::nullopt;
}

}  // namespace vex::remote
