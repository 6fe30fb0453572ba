#pragma once
#include "platform/HeadProbe.h"

// The HEAD request through the system's "msxml2.XMLHTTP" automation object,
// late-bound by member name. The object has no time-out of its own and waits
// for ever on a server that accepts and never answers, so the request runs on
// a thread of its own (with its own COM apartment) and is given up after
// `timeoutMs`, counting as a failure; the window keeps painting meanwhile.
struct WinHeadProbe final : HeadProbe {
    explicit WinHeadProbe(unsigned long timeoutMs = 30000) : timeoutMs(timeoutMs) {}
    long HeadStatus(const std::string& url) override;
    unsigned long timeoutMs;
};
