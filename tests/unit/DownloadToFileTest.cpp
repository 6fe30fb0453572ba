#include <gtest/gtest.h>

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeHttpTransport.h"
#include "fakes/FakeServices.h"
#include "fakes/FakeUpdate.h"
#include "update/DownloadToFile.h"

namespace {

const std::string kUrl = "http://localhost:81/eset/Update/em001_32.dat";
const std::string kPath = "C:\\run\\data\\temp\\em001_32.dat.p2p";
const std::string kHeaders =
    "Accept: */*\r\nAccept-Language: zh-cn\r\nAccept-Encoding: gzip, deflate\r\n"
    "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";

std::string Pattern(size_t n, char seed = 'a') {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i % 23);
    return s;
}

// One downloader with fakes: a local folder, a scripted server, messages and a clock.
struct DownloadRig {
    FakeFileSystem fs;
    FakeLocalFiles files{fs};
    FakeHttpTransport http;
    FakeMessages messages;
    FakeClock clock;
    DownloadServices sys{http, files, messages, clock};
    struct Call { std::int32_t total, downloaded, elapsed, bytesThisCall; };
    std::vector<Call> calls;

    DownloadRig() { fs.AddFolder("C:\\run\\data\\temp"); }

    FakeHttpTransport::Response& Serve(const std::string& body, std::uint32_t status = 200) {
        auto& r = http.responses[kUrl];
        r.body = body;
        r.status = status;
        return r;
    }
    std::int32_t Fetch(std::int32_t startOffset = 0, bool resume = false) {
        return DownloadToFile(
            sys, kUrl, kPath,
            [this](std::int32_t t, std::int32_t d, std::int32_t e, std::int32_t b) { calls.push_back({t, d, e, b}); },
            startOffset, resume);
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (const auto& m : messages.shown) out.push_back(m.text);
        return out;
    }
    void ExpectEverythingClosed() {
        EXPECT_TRUE(http.AllClosed());
        EXPECT_TRUE(files.AllClosed());
    }
};

struct Download : ::testing::Test, DownloadRig {};

}  // namespace

TEST_F(Download, RequestCarriesAgentFixedHeadersAndFlags) {
    Serve("x");
    clock.now = 123456;
    EXPECT_EQ(Fetch(), 0);
    EXPECT_EQ(http.agents, std::vector<std::string>{"Agent123456"});
    ASSERT_EQ(http.opens.size(), 1u);
    EXPECT_EQ(http.opens[0].url, kUrl);
    EXPECT_EQ(http.opens[0].headers, kHeaders);
    EXPECT_EQ(http.opens[0].flags, 0x84000100u);
}

TEST_F(Download, AgentWritesTheTickCountAsASigned32BitNumber) {
    EXPECT_EQ(DownloadAgent(0), "Agent0");
    EXPECT_EQ(DownloadAgent(2147483647u), "Agent2147483647");
    EXPECT_EQ(DownloadAgent(2147483648u), "Agent-2147483648");
    EXPECT_EQ(DownloadAgent(0xFFFFFFFFu), "Agent-1");
}

TEST_F(Download, ProxyFlagChoosesTheAccessType) {
    for (bool proxy : {true, false}) {
        FakeHttpTransport h;
        h.throughProxy = proxy;
        h.responses[kUrl].body = "x";
        DownloadServices s{h, files, messages, clock};
        EXPECT_EQ(DownloadToFile(s, kUrl, kPath, nullptr, 0, false), 0);
        EXPECT_EQ(h.proxyModes,
                  std::vector<ProxyMode>{proxy ? ProxyMode::Preconfig : ProxyMode::PreconfigNoAutoProxy});
    }
}

TEST_F(Download, RangeLineOnlyWhenResuming) {
    struct Case { std::int32_t offset; bool resume; std::string headers; } cases[] = {
        {4096, true, kHeaders + "\r\nRange:bytes=4096-"},
        {0, true, kHeaders + "\r\nRange:bytes=0-"},
        {-5, true, kHeaders + "\r\nRange:bytes=-5-"},
        {4096, false, kHeaders},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DownloadRequestHeaders(c.offset, c.resume), c.headers) << c.offset << c.resume;
    }
}

TEST_F(Download, BodyArrivesInChunksWithProgressAfterEach) {
    const std::string body = Pattern(25000);
    Serve(body).readSizes = {10240, 10240, 4520};
    EXPECT_EQ(Fetch(), 0);
    EXPECT_EQ(fs.FileData(kPath), body);
    ASSERT_EQ(calls.size(), 3u);
    const std::int32_t downloaded[] = {10240, 20480, 25000};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(calls[i].total, 25000);
        EXPECT_EQ(calls[i].downloaded, downloaded[i]);
        EXPECT_EQ(calls[i].bytesThisCall, downloaded[i]);
    }
    // Every read asks for one full buffer.
    EXPECT_EQ(http.readRequests, (std::vector<std::uint32_t>{10240, 10240, 10240, 10240}));
    EXPECT_TRUE(Shown().empty());
    ExpectEverythingClosed();
}

TEST_F(Download, ShortReadsAreWrittenExactly) {
    Serve(Pattern(13240)).readSizes = {3000, 10240};
    EXPECT_EQ(Fetch(), 0);
    EXPECT_EQ(files.writeSizes, (std::vector<std::uint32_t>{3000, 10240}));
    EXPECT_EQ(fs.FileData(kPath), Pattern(13240));
}

TEST_F(Download, EmptyBodyMakesAnEmptyFileWithoutProgress) {
    fs.AddFile(kPath, "stale bytes");
    Serve("");
    EXPECT_EQ(Fetch(), 0);
    EXPECT_TRUE(fs.HasFile(kPath));
    EXPECT_EQ(fs.FileData(kPath), "");
    EXPECT_TRUE(calls.empty());
    ExpectEverythingClosed();
}

TEST_F(Download, WithoutContentLengthTotalIsZero) {
    Serve(Pattern(15000)).hasLength = false;
    EXPECT_EQ(Fetch(), 0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].total, 0);
    EXPECT_EQ(calls[1].total, 0);
    EXPECT_EQ(calls[1].downloaded, 15000);
}

TEST_F(Download, ElapsedCountsFromTheFirstReadAndZeroIsReportedAsTen) {
    struct Case { std::uint32_t start, step; std::int32_t first, second; } cases[] = {
        {1000, 0, 10, 10},               // same tick: 10
        {1000, 7, 7, 14},                // agent, start, then one tick read per chunk
        {0xFFFFFFF0u, 16, 16, 32},       // across the wrap of the tick count
    };
    for (const auto& c : cases) {
        calls.clear();
        clock.now = c.start;
        clock.stepPerCall = c.step;
        Serve(Pattern(20000)).readSizes = {10240, 9760};
        EXPECT_EQ(Fetch(), 0);
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].elapsed, c.first) << c.start;
        EXPECT_EQ(calls[1].elapsed, c.second) << c.start;
    }
}

TEST_F(Download, ResumeAppendsAfterTheOffsetAndCountsFromIt) {
    const std::string old = Pattern(4096, 'A');
    const std::string rest = Pattern(6000, 'k');
    fs.AddFile(kPath, old);
    Serve(rest, 206);
    EXPECT_EQ(Fetch(4096, true), 0);
    EXPECT_EQ(http.opens[0].headers, kHeaders + "\r\nRange:bytes=4096-");
    EXPECT_EQ(fs.FileData(kPath), old + rest);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].total, 6000);  // the remaining part
    EXPECT_EQ(calls[0].downloaded, 4096 + 6000);
    EXPECT_EQ(calls[0].bytesThisCall, 6000);
}

TEST_F(Download, ResumeCreatesAMissingFileAndStillSendsTheRange) {
    Serve("abc", 206);
    EXPECT_EQ(Fetch(0, true), 0);
    EXPECT_EQ(http.opens[0].headers, kHeaders + "\r\nRange:bytes=0-");
    EXPECT_EQ(fs.FileData(kPath), "abc");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].downloaded, 3);
}

TEST_F(Download, WithoutResumeAnExistingFileIsEmptiedFirst) {
    fs.AddFile(kPath, Pattern(9000, 'Z'));
    Serve("new");
    EXPECT_EQ(Fetch(4096, false), 0);
    EXPECT_EQ(fs.FileData(kPath), "new");
    EXPECT_EQ(calls[0].downloaded, 3);
}

// Every failure: its message, -1, what is left of an existing 5000-byte file, and
// every handle that was opened closed exactly once.
TEST_F(Download, FailuresShowTheirMessageAndLeaveTheFileAsTold) {
    const std::string existing = Pattern(5000, 'E');
    struct Case {
        const char* name;
        std::function<void(DownloadRig&)> arrange;
        bool resume;
        const char* message;
        std::string fileAfter;  // "-" when the file must not exist
    } cases[] = {
        {"no root handle", [](DownloadRig& t) { t.http.rootFails = true; }, false, kMsgInternetError, existing},
        {"url cannot be opened", [](DownloadRig& t) { t.Serve("x").openFails = true; }, false, kMsgCannotOpenUrl, existing},
        {"404 page", [](DownloadRig& t) { t.Serve("<html>404</html>", 404); }, false, kMsgCannotOpenUrl, existing},
        {"500 page", [](DownloadRig& t) { t.Serve("<html>500</html>", 500); }, false, kMsgCannotOpenUrl, existing},
        {"206 without a range", [](DownloadRig& t) { t.Serve("part", 206); }, false, kMsgCannotOpenUrl, existing},
        {"range ignored: 200", [](DownloadRig& t) { t.Serve("whole file"); }, true, kMsgCannotOpenUrl, existing},
        {"status unreadable", [](DownloadRig& t) { t.Serve("x").statusFails = true; }, false, kMsgCannotOpenUrl, existing},
        {"reply not HTTP", [](DownloadRig& t) { t.Serve("SSH-2.0-x").notHttp = true; }, false, kMsgCannotOpenUrl,
         existing},
        {"local file locked", [](DownloadRig& t) { t.Serve("x"); t.files.failOpen.insert(kPath); }, false,
         kMsgCannotOpenLocalFile, existing},
        {"first read fails", [](DownloadRig& t) { t.Serve("abcdef").failAfterBytes = 0; }, false, kMsgReadError, ""},
        {"read fails after 3 bytes", [](DownloadRig& t) { t.Serve("abcdef").failAfterBytes = 3; }, false, kMsgReadError,
         "abc"},
        {"body shorter than its length", [](DownloadRig& t) {
             auto& r = t.Serve("abc");
             r.lengthFromBody = false;
             r.length = 10;
         }, false, kMsgReadError, "abc"},
        {"write fails", [](DownloadRig& t) { t.Serve("abc"); t.files.failWrites = true; }, false, kMsgReadError, ""},
    };
    for (const auto& c : cases) {
        DownloadRig t;
        t.fs.AddFile(kPath, existing);
        c.arrange(t);
        EXPECT_EQ(t.Fetch(c.resume ? 5000 : 0, c.resume), -1) << c.name;
        EXPECT_EQ(t.Shown(), std::vector<std::string>{c.message}) << c.name;
        if (!t.messages.shown.empty()) {
            EXPECT_EQ(t.messages.shown[0].caption, "信息：") << c.name;
        }
        EXPECT_EQ(t.fs.FileData(kPath), c.fileAfter) << c.name;
        EXPECT_TRUE(t.http.AllClosed()) << c.name;
        EXPECT_TRUE(t.files.AllClosed()) << c.name;
    }
}

TEST_F(Download, MissingLocalFolderCreatesNoFile) {
    const std::string path = "C:\\run\\data\\nofolder\\em001_32.dat.p2p";
    for (bool resume : {false, true}) {
        Serve("abc", resume ? 206 : 200);
        EXPECT_EQ(DownloadToFile(sys, kUrl, path, nullptr, 0, resume), -1);
        EXPECT_FALSE(fs.HasFile(path));
    }
    EXPECT_EQ(Shown(), (std::vector<std::string>{kMsgCannotOpenLocalFile, kMsgCannotOpenLocalFile}));
    ExpectEverythingClosed();
}

TEST_F(Download, MessageComesBeforeTheHandlesAreClosed) {
    Journal journal;
    http.journal = &journal;
    messages.journal = &journal;
    files.journal = &journal;
    Serve("abcdef").failAfterBytes = 2;
    EXPECT_EQ(Fetch(), -1);
    const std::vector<std::string> expected = {
        "open url " + kUrl, "open truncate " + kPath, "message 读文件出错!", "close local file"};
    EXPECT_EQ(journal.entries, expected);
    EXPECT_TRUE(http.AllClosed());
}
