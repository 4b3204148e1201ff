#pragma once

#include <string>
#include <string_view>

namespace vex::services {

// One complete HTTP answer, with the headers every answer of the page carries: a strict
// Content-Security-Policy, no sniffing, referrers only to itself, no caching, and the connection
// closed.
std::string WebAnswer(int status, std::string_view contentType, std::string_view body,
                      std::string_view extraHeaders = {});

// The head of the event stream; the connection stays open for the events.
std::string EventStreamHead();

// The page's compiled-in file at this path, or nothing.
bool PageFile(std::string_view path, std::string& body, std::string& contentType);

}  // namespace vex::services
