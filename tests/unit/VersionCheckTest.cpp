#include <gtest/gtest.h>

#include "app/Config.h"
#include "fakes/FakeApp.h"
#include "ui/WindowFields.h"
#include "update/VersionCheck.h"

namespace {

const std::string kInfUrl = UpdateBase() + "inf.txt";
const std::string kNewer = "检测到最新版本,点击确定下载新版本！";
const std::string kCurrent = "当前版本已是最新！";

void ServeRelease(FakeApp& app, const std::string& body, std::uint32_t status = 200) {
    FakeHttpTransport::Response r;
    r.body = body;
    r.status = status;
    app.http.responses[kInfUrl] = r;
}

}  // namespace

// The server's text against the built-in "1.5.1.1", compared byte by byte.
TEST(VersionCheck, ServerTextIsComparedAsBytes) {
    struct Case { std::string server; bool newer; } cases[] = {
        {"1.5.1.1", false},
        {"1.5.1.2", true},
        {"1.5.2", true},
        {"1.6", true},
        {"2", true},
        {"1.5.1.10", true},       // "1.5.1.1" is its prefix
        {"1.5.1.1\r\n", true},    // the same number, but longer
        {"1.10.0.0", false},      // '1' sorts before '5'
        {"1.5.1.0", false},
        {"1.5", false},
        {"0.9", false},
        {" 1.5.1.2", false},      // a space sorts before '1'
        {"", false},
        {"\xA3\xB2.0", true},     // GBK full-width "２": bytes above 0x7F sort after digits
        {"1.5.1.1\xA1\xA1", true},
    };
    for (const auto& c : cases) {
        FakeApp app;
        app.window.texts[TextField::ReleaseUrl] = ReleasePackageUrl();
        ServeRelease(app, c.server);
        CheckProgramVersion(app.ctx);
        EXPECT_EQ(app.window.texts[TextField::CurrentVersion], "1.5.1.1") << c.server;
        EXPECT_EQ(app.window.texts[TextField::OnlineVersion], c.server) << c.server;
        ASSERT_EQ(app.messages.shown.size(), 1u) << c.server;
        EXPECT_EQ(app.messages.shown[0].text, c.newer ? kNewer : kCurrent) << c.server;
        EXPECT_EQ(app.messages.shown[0].caption, "版本更新") << c.server;
        EXPECT_EQ(app.shell.downloads, c.newer ? std::vector<std::string>{ReleasePackageUrl()}
                                               : std::vector<std::string>{})
            << c.server;
        EXPECT_EQ(IsNewerRelease("1.5.1.1", c.server), c.newer) << c.server;
    }
}

TEST(VersionCheck, NewerReleaseShowsBothVersionsThenTheMessageThenTheDownload) {
    FakeApp app;
    app.window.texts[TextField::ReleaseUrl] = ReleasePackageUrl();
    ServeRelease(app, "1.5.1.2");
    CheckProgramVersion(app.ctx);
    const std::vector<std::string> expected = {
        "open url " + kInfUrl,
        "field 4=1.5.1.1",
        "field 5=1.5.1.2",
        "message " + kNewer,
        "download " + ReleasePackageUrl(),
    };
    EXPECT_EQ(app.journal.entries, expected);
}

TEST(VersionCheck, FailedFetchCountsAsCurrentWithAnEmptyOnlineVersion) {
    struct Case { const char* name; bool serve; std::uint32_t status; } cases[] = {
        {"unreachable", false, 0},
        {"404 with a body", true, 404},
        {"500 with a body", true, 500},
    };
    for (const auto& c : cases) {
        FakeApp app;
        app.window.texts[TextField::OnlineVersion] = "typed by the user";
        if (c.serve) ServeRelease(app, "9.9.9.9", c.status);
        CheckProgramVersion(app.ctx);
        EXPECT_EQ(app.window.texts[TextField::OnlineVersion], "") << c.name;
        EXPECT_EQ(app.window.texts[TextField::CurrentVersion], "1.5.1.1") << c.name;
        ASSERT_EQ(app.messages.shown.size(), 1u) << c.name;
        EXPECT_EQ(app.messages.shown[0].text, kCurrent) << c.name;
        EXPECT_TRUE(app.shell.downloads.empty()) << c.name;
    }
}

TEST(VersionCheck, DownloadTakesTheReleaseUrlFieldAsItIsAtThatMoment) {
    FakeApp app;
    app.window.texts[TextField::ReleaseUrl] = "http://mirror.example:81/eset/其他.zip";
    ServeRelease(app, "2");
    CheckProgramVersion(app.ctx);
    EXPECT_EQ(app.shell.downloads, std::vector<std::string>{"http://mirror.example:81/eset/其他.zip"});
}

TEST(VersionCheck, EveryClickFetchesAgain) {
    FakeApp app;
    ServeRelease(app, "1.5.1.1");
    CheckProgramVersion(app.ctx);
    ServeRelease(app, "1.5.1.3");
    CheckProgramVersion(app.ctx);
    EXPECT_EQ(app.http.opens.size(), 2u);
    EXPECT_EQ(app.window.texts[TextField::OnlineVersion], "1.5.1.3");
    ASSERT_EQ(app.messages.shown.size(), 2u);
    EXPECT_EQ(app.messages.shown[0].text, kCurrent);
    EXPECT_EQ(app.messages.shown[1].text, kNewer);
    EXPECT_TRUE(app.http.AllClosed());
}
