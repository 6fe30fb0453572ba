#include <gtest/gtest.h>

#include "fakes/FakeHttpTransport.h"
#include "update/FetchUrlBody.h"

namespace {

const std::string kUrl = "http://localhost:81/eset/Update/info.txt";

FakeHttpTransport::Response Body(std::string body) {
    FakeHttpTransport::Response r;
    r.body = std::move(body);
    return r;
}

}  // namespace

TEST(TrimUrlSpaces, RemovesAsciiAndFullWidthSpacesAtBothEndsOnly) {
    struct Case { std::string in, out; } cases[] = {
        {"  http://a/b  ", "http://a/b"},
        {"\xA1\xA1http://a/b\xA1\xA1", "http://a/b"},
        {" \xA1\xA1 http://a/b \xA1\xA1 ", "http://a/b"},
        {"\xE3\x80\x80http://a/b\xE3\x80\x80", "http://a/b"},
        {"http://a/b c", "http://a/b c"},
        {"http://a/\xA1\xA1x", "http://a/\xA1\xA1x"},
        {"   ", ""},
        {"\xA1\xA1", ""},
        {"\xA1", "\xA1"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TrimUrlSpaces(c.in), c.out) << c.in;
}

TEST(FetchUrlBody, RequestsTrimmedUrlWithAgentFlagsAndNoHeaders) {
    FakeHttpTransport http;
    http.responses[kUrl] = Body("27830");
    EXPECT_EQ(FetchUrlBody(http, " \xA1\xA1" + kUrl + "\xA1\xA1 "), "27830");
    ASSERT_EQ(http.opens.size(), 1u);
    EXPECT_EQ(http.opens[0].url, kUrl);
    EXPECT_EQ(http.opens[0].headers, "");
    EXPECT_EQ(http.opens[0].flags, 0x80000002u);
    EXPECT_EQ(http.agents, std::vector<std::string>{"HTTPREAD"});
    EXPECT_EQ(http.proxyModes, std::vector<ProxyMode>{ProxyMode::Preconfig});
    EXPECT_TRUE(http.AllClosed());
}

TEST(FetchUrlBody, AnyStatusButExactly200GivesEmptyBody) {
    for (std::uint32_t status : {404u, 500u, 204u, 206u, 301u, 0u}) {
        FakeHttpTransport http;
        http.responses[kUrl] = Body("<html>error page</html>");
        http.responses[kUrl].status = status;
        EXPECT_EQ(FetchUrlBody(http, kUrl), "") << status;
        EXPECT_TRUE(http.readRequests.empty()) << status;
        EXPECT_TRUE(http.AllClosed()) << status;
    }
}

TEST(FetchUrlBody, KnownLengthIsReadOnceForTheWholeLength) {
    FakeHttpTransport http;
    http.responses[kUrl] = Body(std::string(5000, 'x'));
    EXPECT_EQ(FetchUrlBody(http, kUrl), std::string(5000, 'x'));
    EXPECT_EQ(http.readRequests, std::vector<std::uint32_t>{5000});
}

TEST(FetchUrlBody, WithoutLengthReadsChunksOf2048UntilZero) {
    FakeHttpTransport http;
    auto r = Body(std::string(5000, 'y'));
    r.hasLength = false;
    http.responses[kUrl] = r;
    EXPECT_EQ(FetchUrlBody(http, kUrl), std::string(5000, 'y'));
    EXPECT_EQ(http.readRequests, (std::vector<std::uint32_t>{2048, 2048, 2048, 2048}));
    EXPECT_TRUE(http.AllClosed());
}

TEST(FetchUrlBody, ShortChunkedReadsAreAppendedAsTheyCome) {
    FakeHttpTransport http;
    auto r = Body("abcdefghij");
    r.hasLength = false;
    r.readSizes = {3, 1, 6};
    http.responses[kUrl] = r;
    EXPECT_EQ(FetchUrlBody(http, kUrl), "abcdefghij");
}

TEST(FetchUrlBody, ContentLengthZeroReadsUntilEndAndGivesEmptyBody) {
    FakeHttpTransport http;
    http.responses[kUrl] = Body("");
    EXPECT_EQ(FetchUrlBody(http, kUrl), "");
    EXPECT_EQ(http.readRequests, std::vector<std::uint32_t>{2048});
    EXPECT_TRUE(http.AllClosed());
}

TEST(FetchUrlBody, CutAfterThreeOfTenBytesGivesTenBytesWithZeroTail) {
    FakeHttpTransport http;
    auto r = Body("abc");
    r.lengthFromBody = false;
    r.length = 10;
    http.responses[kUrl] = r;
    const Bytes body = FetchUrlBody(http, kUrl);
    EXPECT_EQ(body, std::string("abc\0\0\0\0\0\0\0", 10));
    EXPECT_EQ(bodyToText(body), "abc");
}

TEST(FetchUrlBody, ReadFailurePartWayKeepsWhatArrived) {
    FakeHttpTransport http;
    auto r = Body(std::string(3000, 'z'));
    r.hasLength = false;
    r.failAfterBytes = 2048;
    http.responses[kUrl] = r;
    EXPECT_EQ(FetchUrlBody(http, kUrl), std::string(2048, 'z'));
    EXPECT_TRUE(http.AllClosed());
}

TEST(FetchUrlBody, TextEndsAtZeroByteAndKeepsCrLf) {
    struct Case { std::string body, text; } cases[] = {
        {std::string("1.5\0junk", 8), "1.5"},
        {"27830\r\n", "27830\r\n"},
        {std::string("\0abc", 4), ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        FakeHttpTransport http;
        http.responses[kUrl] = Body(c.body);
        EXPECT_EQ(FetchUrlText(http, kUrl), c.text);
    }
}

TEST(FetchUrlBody, FailuresGiveEmptyBodyAndCloseWhatWasOpened) {
    {
        FakeHttpTransport http;
        http.rootFails = true;
        EXPECT_EQ(FetchUrlBody(http, kUrl), "");
        EXPECT_TRUE(http.opened.empty());
        EXPECT_TRUE(http.closed.empty());
    }
    {
        FakeHttpTransport http;  // unreachable: no response for the URL
        EXPECT_EQ(FetchUrlBody(http, kUrl), "");
        EXPECT_EQ(http.opened.size(), 1u);
        EXPECT_TRUE(http.AllClosed());
    }
    {
        FakeHttpTransport http;
        http.responses[kUrl] = Body("x");
        http.responses[kUrl].statusFails = true;
        EXPECT_EQ(FetchUrlBody(http, kUrl), "");
        EXPECT_EQ(http.opened.size(), 2u);
        EXPECT_TRUE(http.AllClosed());
    }
}

TEST(FetchUrlBody, AnnouncedLengthAboveTheBoundIsAFailureWithoutReading) {
    for (std::uint64_t length : {kMaxTextBodyBytes + 1, std::uint64_t{2147483648u}, std::uint64_t{1} << 40}) {
        FakeHttpTransport http;
        auto r = Body("1.5.1.2");
        r.lengthFromBody = false;
        r.length = length;
        http.responses[kUrl] = r;
        EXPECT_EQ(FetchUrlBody(http, kUrl), "") << length;
        EXPECT_TRUE(http.readRequests.empty()) << length;
        EXPECT_TRUE(http.AllClosed());
    }
    FakeHttpTransport http;
    auto r = Body(std::string(kMaxTextBodyBytes, 'a'));
    http.responses[kUrl] = r;
    EXPECT_EQ(FetchUrlBody(http, kUrl).size(), kMaxTextBodyBytes) << "the bound itself is accepted";
}

TEST(FetchUrlBody, UnannouncedBodyGrowingPastTheBoundIsAFailure) {
    FakeHttpTransport http;
    auto r = Body(std::string(kMaxTextBodyBytes + 1, 'a'));
    r.hasLength = false;
    http.responses[kUrl] = r;
    EXPECT_EQ(FetchUrlBody(http, kUrl), "");
    EXPECT_TRUE(http.AllClosed());
}
