#pragma once
#include "platform/FeedClient.h"

// FeedClient over WinINet: InternetConnect, HttpOpenRequest with "HTTP/1.0".
struct WinFeedClient final : FeedClient {
    Bytes Fetch(const FeedRequest& request) override;
};
