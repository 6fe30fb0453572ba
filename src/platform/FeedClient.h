#pragma once
#include <cstddef>
#include <string>

#include "platform/Bytes.h"

// One document fetched the way a browser of the old days fetched it: a GET over
// HTTP/1.0 with the given user agent and Accept header, through the system's proxy
// settings, always from the server (no cache read, no cache write).
struct FeedRequest {
    std::string url;
    std::string userAgent;
    std::string accept;     // the Accept header's value
    std::size_t maxBytes;   // reading stops once more than this many bytes arrived
};

struct FeedClient {
    virtual ~FeedClient() = default;
    // The response body whatever the HTTP status. Empty when the host cannot be
    // resolved or reached or the request cannot be sent; the bytes that arrived when
    // the connection breaks part-way. At most maxBytes + 1 bytes, so that the caller
    // can tell a body above its bound from one that just fits.
    virtual Bytes Fetch(const FeedRequest& request) = 0;
};
