#pragma once
#include "platform/HeadProbe.h"

// The HEAD request through the system's "msxml2.XMLHTTP" automation object,
// late-bound by member name. Needs COM initialised on the calling thread.
struct WinHeadProbe final : HeadProbe {
    long HeadStatus(const std::string& url) override;
};
