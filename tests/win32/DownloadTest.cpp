// The resumable downloader over WinINet and the real files, against the local
// test server: what reaches the wire, what lands on disk, and the failures.
#include <gtest/gtest.h>

#include "Driver.h"

#include <wininet.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "platform/Messages.h"
#include "platform/win32/WinInetTransport.h"
#include "platform/win32/WinLocalFiles.h"
#include "platform/win32/WinServices.h"
#include "update/DownloadToFile.h"

using namespace e2e;

namespace {

const std::string kBase = "http://127.0.0.1:81";
const std::string kPath = "/eset/Update/em001_32.dat";
const std::wstring kDir = L"C:\\korvane-download-test";
const std::wstring kFile = kDir + L"\\em001_32.dat.p2p";

struct RecordingMessages : Messages {
    std::vector<std::string> shown;
    void ShowMessage(const std::string& text, const std::string&) override { shown.push_back(text); }
};

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);  // zero bytes included
    return s;
}

// The request lines and header lines of every logged request, byte for byte as received.
std::vector<std::vector<std::string>> RawLog() {
    const std::string base = U8(EnvPath("KORVANE_E2E_CTL"));
    HINTERNET root = InternetOpenW(L"korvane-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET req = InternetOpenUrlW(root, W(base + "/_ctl/log?raw=1").c_str(), nullptr, 0,
                                     INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (req && InternetReadFile(req, buffer, sizeof buffer, &got) && got > 0) text.append(buffer, got);
    if (req) InternetCloseHandle(req);
    InternetCloseHandle(root);
    std::vector<std::vector<std::string>> requests;
    std::istringstream in(text);
    std::string line;
    bool inRequest = false;
    while (std::getline(in, line)) {
        if (line.empty()) {
            inRequest = false;
            continue;
        }
        if (!inRequest) requests.emplace_back();
        inRequest = true;
        requests.back().push_back(line);
    }
    return requests;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

struct WinDownload : ::testing::Test {
    WinInetTransport http;
    WinLocalFiles files;
    RecordingMessages messages;
    WinClock clock;
    DownloadServices sys{http, files, messages, clock};
    struct Call { std::int32_t total, downloaded, elapsed, bytesThisCall; };
    std::vector<Call> calls;

    void SetUp() override {
        server::Reset();
        RemoveTree(kDir);
        CreateDirectoryW(kDir.c_str(), nullptr);
    }
    void TearDown() override { RemoveTree(kDir); }
    std::int32_t Fetch(std::int32_t startOffset = 0, bool resume = false, const std::string& path = kPath) {
        return DownloadToFile(
            sys, kBase + path, U8(kFile),
            [this](std::int32_t t, std::int32_t d, std::int32_t e, std::int32_t b) { calls.push_back({t, d, e, b}); },
            startOffset, resume);
    }
};

}  // namespace

TEST_F(WinDownload, WholeFileLandsByteForByteWithTheFixedHeadersOnTheWire) {
    const std::string body = Pattern(30000);
    server::SetBody(kPath, body);
    EXPECT_EQ(Fetch(), 0);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(ReadFileBytes(kFile) == body);

    ASSERT_FALSE(calls.empty());
    std::int32_t previous = 0;
    for (const Call& c : calls) {
        EXPECT_EQ(c.total, 30000);
        EXPECT_GT(c.downloaded - previous, 0);
        EXPECT_LE(c.downloaded - previous, 10240);
        EXPECT_EQ(c.bytesThisCall, c.downloaded);
        EXPECT_GE(c.elapsed, 1);
        previous = c.downloaded;
    }
    EXPECT_EQ(previous, 30000);

    const auto log = RawLog();
    ASSERT_EQ(log.size(), 1u);
    const auto& lines = log[0];
    EXPECT_EQ(lines[0], "update GET " + kPath + " HTTP/1.1");
    for (const char* line : {"Accept: */*", "Accept-Language: zh-cn", "Accept-Encoding: gzip, deflate",
                             "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)",
                             "Pragma: no-cache"}) {
        EXPECT_TRUE(HasLine(lines, line)) << line;
    }
    EXPECT_FALSE(HasLineStarting(lines, "Range")) << "no range without resume";
    // Each header once: the block's User-Agent is the one that reaches the server.
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("User-Agent", 0) == 0; }),
              1);
}

TEST_F(WinDownload, ResumeSendsTheRangeLineAndAppendsTheRest) {
    const std::string body = Pattern(20000);
    server::SetBody(kPath, body);
    WriteFileBytes(kFile, body.substr(0, 4096));
    EXPECT_EQ(Fetch(4096, true), 0);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(ReadFileBytes(kFile) == body);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().total, 20000 - 4096);
    EXPECT_EQ(calls.back().downloaded, 20000);
    EXPECT_EQ(calls.back().bytesThisCall, 20000 - 4096);
    const auto log = RawLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(HasLine(log[0], "Range:bytes=4096-") || HasLine(log[0], "Range: bytes=4096-"));
}

TEST_F(WinDownload, FailuresKeepOrEmptyTheFileAsTold) {
    const std::string existing = Pattern(5000);
    struct Case {
        const char* name;
        std::function<void()> arrange;
        bool resume;
        std::string path;
        const char* message;
        std::string fileAfter;
    } cases[] = {
        {"404 page", [] { server::Delete(kPath); }, false, kPath, kMsgCannotOpenUrl, existing},
        {"500 page", [] { server::Fault(kPath, "status", "code=500"); }, false, kPath, kMsgCannotOpenUrl, existing},
        {"range answered with the whole file", [] { server::Fault(kPath, "status", "code=200"); }, true, kPath,
         kMsgCannotOpenUrl, existing},
        {"not HTTP", [] { server::Fault(kPath, "garbage"); }, false, kPath, kMsgCannotOpenUrl, existing},
        {"cut after 100 bytes", [] { server::Fault(kPath, "cut", "after=100"); }, false, kPath, kMsgReadError,
         Pattern(20000).substr(0, 100)},
    };
    for (const auto& c : cases) {
        server::Reset();
        server::SetBody(kPath, Pattern(20000));
        c.arrange();
        WriteFileBytes(kFile, existing);
        messages.shown.clear();
        EXPECT_EQ(Fetch(c.resume ? 5000 : 0, c.resume, c.path), -1) << c.name;
        EXPECT_EQ(messages.shown, std::vector<std::string>{c.message}) << c.name;
        EXPECT_TRUE(ReadFileBytes(kFile) == c.fileAfter) << c.name;
    }
}

TEST_F(WinDownload, UnreachableServerAndMissingFolder) {
    WriteFileBytes(kFile, "keep");
    EXPECT_EQ(DownloadToFile(sys, "http://127.0.0.1:1/eset/Update/em001_32.dat", U8(kFile), nullptr, 0, false), -1);
    EXPECT_EQ(messages.shown, std::vector<std::string>{kMsgCannotOpenUrl});
    EXPECT_EQ(ReadFileBytes(kFile), "keep");

    messages.shown.clear();
    server::SetBody(kPath, "abc");
    const std::wstring nowhere = kDir + L"\\missing\\em001_32.dat.p2p";
    EXPECT_EQ(DownloadToFile(sys, kBase + kPath, U8(nowhere), nullptr, 0, false), -1);
    EXPECT_EQ(messages.shown, std::vector<std::string>{kMsgCannotOpenLocalFile});
    EXPECT_FALSE(FileExists(nowhere));
}

TEST_F(WinDownload, SlowServerDeliversChunksAsTheyCome) {
    server::SetBody(kPath, Pattern(5000));
    server::Fault(kPath, "slow", "chunk=1000&delay_ms=60");
    EXPECT_EQ(Fetch(), 0);
    EXPECT_TRUE(ReadFileBytes(kFile) == Pattern(5000));
    // Each piece is handed on when it arrives, not after 10240 bytes have gathered.
    EXPECT_GE(calls.size(), 4u);
    EXPECT_EQ(calls.front().downloaded, 1000);
}

TEST_F(WinDownload, LargeBodyWithoutLengthAndChunked) {
    server::Fault(kPath, "big", "size=3000000");
    EXPECT_EQ(Fetch(), 0);
    const std::string got = ReadFileBytes(kFile);
    ASSERT_EQ(got.size(), 3000000u);
    bool pattern = true;
    for (size_t i = 0; i < got.size() && pattern; ++i) pattern = static_cast<unsigned char>(got[i]) == i % 251;
    EXPECT_TRUE(pattern);
    EXPECT_EQ(calls.back().total, 3000000);

    for (const char* kind : {"nolength", "chunked"}) {
        server::Reset();
        server::SetBody(kPath, Pattern(25000));
        server::Fault(kPath, kind);
        calls.clear();
        EXPECT_EQ(Fetch(), 0) << kind;
        EXPECT_TRUE(ReadFileBytes(kFile) == Pattern(25000)) << kind;
        EXPECT_EQ(calls.back().total, 0) << kind;
    }
}

TEST_F(WinDownload, StalledServerIsGivenUpAfterTheReceiveTimeOut) {
    server::SetBody(kPath, Pattern(5000));
    server::Fault(kPath, "slow", "chunk=1000&delay_ms=20000");
    http.receiveTimeoutMs = 1500;
    const DWORD start = GetTickCount();
    EXPECT_EQ(Fetch(), -1);
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 1400u);
    EXPECT_LT(took, 8000u) << "a stalled read must not wait much longer than its time-out";
    EXPECT_EQ(messages.shown, std::vector<std::string>{kMsgReadError});
    EXPECT_EQ(ReadFileBytes(kFile), Pattern(5000).substr(0, 1000));
    server::Reset();
}

TEST(WinLocalFilesTest, OpenModesSeekAndSharing) {
    RemoveTree(kDir);
    CreateDirectoryW(kDir.c_str(), nullptr);
    WinLocalFiles files;
    const std::string path = U8(kDir + L"\\文件 一.p2p");
    EXPECT_FALSE(files.Exists(path));
    LocalFileHandle f = files.OpenTruncate(path);
    ASSERT_NE(f, 0u);
    EXPECT_TRUE(files.Exists(path));
    EXPECT_TRUE(files.Write(f, "hello", 5));
    // Others may read the file while it is written.
    EXPECT_EQ(ReadFileBytes(kDir + L"\\文件 一.p2p"), "hello");
    files.Close(f);

    f = files.OpenKeep(path);
    ASSERT_NE(f, 0u);
    EXPECT_TRUE(files.Write(f, "J", 1));  // at position 0
    EXPECT_TRUE(files.SeekEnd(f));
    EXPECT_TRUE(files.Write(f, "!", 1));
    files.Close(f);
    EXPECT_EQ(ReadFileBytes(kDir + L"\\文件 一.p2p"), "Jello!");

    f = files.OpenTruncate(path);
    files.Close(f);
    EXPECT_EQ(ReadFileBytes(kDir + L"\\文件 一.p2p"), "");
    EXPECT_EQ(files.OpenKeep(U8(kDir + L"\\no\\x")), 0u);
    RemoveTree(kDir);
}
