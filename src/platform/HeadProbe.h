#pragma once
#include <string>

// One synchronous HEAD request. Blocks until the answer has arrived or the
// exchange failed.
struct HeadProbe {
    virtual ~HeadProbe() = default;
    // The numeric status of the answer; 0 on any failure.
    virtual long HeadStatus(const std::string& url) = 0;
};
