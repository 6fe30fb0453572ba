#pragma once
#include <cstdint>
#include <string>

#include "platform/Bytes.h"

struct HttpTransport;

// The largest body FetchUrlBody accepts. It fetches version texts of a few bytes;
// an answer announcing (or sending) more than this is treated as a failure, so a
// broken or hostile server cannot make the program reserve gigabytes.
constexpr std::uint64_t kMaxTextBodyBytes = 1024 * 1024;

// Removes ASCII spaces and full-width spaces (GBK A1 A1, UTF-8 E3 80 80) at both ends.
std::string TrimUrlSpaces(const std::string& url);

// A blocking GET of a small document: the body bytes of a 200 answer, unchanged.
// Empty on any failure or any other status. Never shows anything.
Bytes FetchUrlBody(HttpTransport& http, const std::string& url);

// bodyToText(FetchUrlBody(url)): the text every caller shows or compares.
std::string FetchUrlText(HttpTransport& http, const std::string& url);
