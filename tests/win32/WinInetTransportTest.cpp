// The WinINet transport and FetchUrlBody over it, against the local test server.
#include <gtest/gtest.h>

#include "Driver.h"
#include "platform/win32/WinInetTransport.h"
#include "update/FetchUrlBody.h"

namespace {

const std::string kBase = "http://127.0.0.1:81";
const std::string kPath = "/eset/Update/info.txt";

struct WinInetTest : ::testing::Test {
    void SetUp() override { e2e::server::Reset(); }
    WinInetTransport http;
};

}  // namespace

TEST_F(WinInetTest, FetchesTheBodyUnchangedWithTheAgentAndNoCache) {
    e2e::server::SetBody(kPath, "27830\r\n");
    EXPECT_EQ(FetchUrlBody(http, "  " + kBase + kPath + "\xA1\xA1"), "27830\r\n");
    const auto log = e2e::server::Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, "GET");
    EXPECT_EQ(log[0].path, kPath);
    EXPECT_EQ(log[0].Header("User-Agent"), "HTTPREAD");
    // A second fetch goes to the server again: nothing is taken from a cache.
    e2e::server::SetBody(kPath, "27831");
    EXPECT_EQ(FetchUrlBody(http, kBase + kPath), "27831");
    EXPECT_EQ(e2e::server::Hits(kPath), 2);
}

TEST_F(WinInetTest, BodyFormsAndFaults) {
    struct Case {
        const char* name;
        std::string body;
        const char* kind;     // fault kind, or nullptr
        const char* params;
        std::string expected;
    } cases[] = {
        {"error status with a body", "<html>not here</html>", "status", "code=404", ""},
        {"server error", "oops", "status", "code=500", ""},
        {"chunked, 5000 bytes", std::string(5000, 'c'), "chunked", "chunk=700", std::string(5000, 'c')},
        {"no length, close-delimited", std::string(3000, 'n'), "nolength", "", std::string(3000, 'n')},
        {"empty body", "", nullptr, "", ""},
        {"cut after 3 of 10", "0123456789", "cut", "after=3", std::string("012\0\0\0\0\0\0\0", 10)},
        {"zero byte inside", std::string("1.5\0x", 5), nullptr, "", std::string("1.5\0x", 5)},
        {"2 GB announced", "27830", "length", "value=2147483648", ""},
        {"4 GB + 1 announced", "27830", "length", "value=4294967297", ""},
    };
    for (const auto& c : cases) {
        e2e::server::Reset();
        e2e::server::SetBody(kPath, c.body);
        if (c.kind) e2e::server::Fault(kPath, c.kind, c.params);
        EXPECT_EQ(FetchUrlBody(http, kBase + kPath), c.expected) << c.name;
    }
}

TEST_F(WinInetTest, AnswerThatIsNotHttpNeverReadsAsAVersionText) {
    // WinINet takes a non-HTTP answer as an HTTP/0.9 body; its text must not be
    // taken for a version (the fixture's bytes hold a zero byte after its first line).
    e2e::server::SetBody(kPath, "27830");
    e2e::server::Fault(kPath, "garbage");
    EXPECT_EQ(FetchUrlText(http, kBase + kPath), "");
}

TEST_F(WinInetTest, UnreachableServerGivesEmptyBody) {
    // Nothing listens on port 9 of the loopback.
    EXPECT_EQ(FetchUrlBody(http, "http://127.0.0.1:9/eset/Update/info.txt"), "");
}

TEST_F(WinInetTest, TransportReportsStatusLengthAndReadsToTheWantedCount) {
    e2e::server::SetBody(kPath, std::string(25000, 'r'));
    e2e::server::Fault(kPath, "slow", "chunk=1000&delay_ms=5");
    const HttpHandle root = http.OpenRoot("Agent123", ProxyMode::PreconfigNoAutoProxy);
    ASSERT_NE(root, 0u);
    const HttpHandle request =
        http.OpenUrl(root, kBase + kPath, "Accept: */*\r\nX-Test: 1", kOpenReloadNoCacheWritePragma);
    ASSERT_NE(request, 0u);
    std::uint32_t status = 0;
    std::uint64_t length = 0;
    EXPECT_TRUE(http.QueryStatus(request, status));
    EXPECT_EQ(status, 200u);
    EXPECT_TRUE(http.QueryContentLength(request, length));
    EXPECT_EQ(length, 25000u);
    std::string buffer(10240, '\0');
    std::uint32_t got = 0;
    ASSERT_TRUE(http.Read(request, buffer.data(), 10240, got));
    EXPECT_EQ(got, 10240u) << "a read waits for the wanted count";
    ASSERT_TRUE(http.Read(request, buffer.data(), 10240, got));
    EXPECT_EQ(got, 10240u);
    ASSERT_TRUE(http.Read(request, buffer.data(), 10240, got));
    EXPECT_EQ(got, 4520u);
    ASSERT_TRUE(http.Read(request, buffer.data(), 10240, got));
    EXPECT_EQ(got, 0u);
    http.Close(request);
    http.Close(root);

    const auto log = e2e::server::Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].Header("X-Test"), "1");
    EXPECT_EQ(log[0].Header("User-Agent"), "Agent123");
    EXPECT_EQ(log[0].Header("Pragma"), "no-cache");
}

TEST_F(WinInetTest, ServerThatNeverAnswersIsGivenUpAfterTheReceiveTimeOut) {
    e2e::server::Fault(kPath, "hang");
    http.receiveTimeoutMs = 2000;
    const auto start = GetTickCount();
    EXPECT_EQ(FetchUrlBody(http, kBase + kPath), "");
    const auto elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1500u);
    EXPECT_LT(elapsed, 10000u) << "the request must not wait much longer than its time-out";
    e2e::server::Reset();
}
