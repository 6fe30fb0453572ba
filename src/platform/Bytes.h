#pragma once
#include <string>

// Bytes that come from outside (HTTP bodies, version files) stay bytes: they are
// compared byte for byte and shown through the system's ANSI code page.
// Our own texts, paths and command lines are UTF-8 std::string.
using Bytes = std::string;

// The bytes before the first zero byte, all of them when there is none.
inline std::string bodyToText(const Bytes& body) {
    const auto zero = body.find('\0');
    return zero == Bytes::npos ? body : body.substr(0, zero);
}
