#pragma once
#include <string>
#include <vector>

#include "fakes/Journal.h"
#include "platform/FeedClient.h"
#include "platform/XmlReader.h"

// A feed client that answers every request with one body and records the requests.
struct FakeFeedClient : FeedClient {
    Bytes body;
    std::vector<FeedRequest> requests;
    Journal* journal = nullptr;
    Bytes Fetch(const FeedRequest& request) override {
        requests.push_back(request);
        if (journal) journal->Add("fetch feed " + request.url);
        return body;
    }
};

// An XML reader that hands back a prepared document (or a parse failure) and
// records the bytes it was given.
struct FakeXmlReader : XmlReader {
    XmlDocument document;  // parsed == false: the bytes "do not parse"
    std::vector<Bytes> parsed;
    bool Parse(const Bytes& bytes, XmlDocument& out) override {
        parsed.push_back(bytes);
        out = document;
        return document.parsed;
    }
};
