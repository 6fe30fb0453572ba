// The feed client over WinINet, against the local forum server on port 80.
#include <gtest/gtest.h>

#include <chrono>

#include "Driver.h"
#include "platform/win32/WinFeedClient.h"

namespace {

const std::string kFeedPath = "/forum.php?mod=rss";
const std::string kFeedUrl = "http://127.0.0.1" + kFeedPath;
const std::string kAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

struct FeedClientTest : ::testing::Test {
    void SetUp() override { e2e::server::Reset(); }
    Bytes Fetch(const std::string& url, std::size_t maxBytes = 1024 * 1024) {
        return feed.Fetch({url, kAgent, "*/*", maxBytes});
    }
    WinFeedClient feed;
};

}  // namespace

TEST_F(FeedClientTest, Http10GetWithTheAgentAndAcceptAlwaysFromTheServer) {
    const std::string body = "<?xml version=\"1.0\" encoding=\"gbk\"?>\n<rss><channel>\xB0\xB2</channel></rss>\n";
    e2e::server::SetBody(kFeedPath, body);
    EXPECT_EQ(Fetch(kFeedUrl), body);
    EXPECT_EQ(Fetch(kFeedUrl), body);  // the second fetch is not taken from a cache
    const auto log = e2e::server::Log();
    ASSERT_EQ(log.size(), 2u);
    for (const auto& r : log) {
        EXPECT_EQ(r.server, "forum");
        EXPECT_EQ(r.method, "GET");
        EXPECT_EQ(r.path, kFeedPath);
        EXPECT_EQ(r.version, "HTTP/1.0");
        EXPECT_EQ(r.Header("User-Agent"), kAgent);
        EXPECT_EQ(r.Header("Accept"), "*/*");
    }
}

TEST_F(FeedClientTest, BodyWhateverTheStatusAndTheBytesThatArrived) {
    const std::string feedText = "<rss><channel><title>t</title></channel></rss>";
    struct Case {
        const char* name;
        const char* kind;  // fault kind, or nullptr
        const char* params;
        std::string expected;
    } cases[] = {
        {"served", nullptr, "", feedText},
        {"404 with the body", "status", "code=404", feedText},
        {"500 with the body", "status", "code=500", feedText},
        {"no Content-Length", "nolength", "", feedText},
        {"chunked", "chunked", "chunk=7", feedText},
        {"cut after 10 bytes", "cut", "after=10", feedText.substr(0, 10)},
    };
    for (const auto& c : cases) {
        e2e::server::Reset();
        e2e::server::SetBody(kFeedPath, feedText);
        if (c.kind) e2e::server::Fault(kFeedPath, c.kind, c.params);
        EXPECT_EQ(Fetch(kFeedUrl), c.expected) << c.name;
    }
}

TEST_F(FeedClientTest, ForumErrorPageArrivesAsItIs) {
    e2e::server::Delete(kFeedPath);
    const Bytes body = Fetch(kFeedUrl);
    EXPECT_NE(body.find("404 Not Found"), Bytes::npos) << body;
}

TEST_F(FeedClientTest, ReadingStopsOneBytePastTheBound) {
    e2e::server::Fault(kFeedPath, "big", "size=50000000");
    const auto start = std::chrono::steady_clock::now();
    const Bytes body = Fetch(kFeedUrl, 100000);
    EXPECT_EQ(body.size(), 100001u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    e2e::server::Reset();
    e2e::server::SetBody(kFeedPath, std::string(100000, 'x'));
    EXPECT_EQ(Fetch(kFeedUrl, 100000).size(), 100000u);  // exactly at the bound: whole
}

TEST_F(FeedClientTest, NothingToReachGivesAnEmptyBody) {
    for (const char* url : {"http://127.0.0.1:9/forum.php?mod=rss", "ftp://127.0.0.1/forum.php", "not a url", ""}) {
        EXPECT_EQ(Fetch(url), "") << url;
    }
}
