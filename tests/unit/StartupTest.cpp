#include <gtest/gtest.h>

#include "app/Config.h"
#include "app/EventBindings.h"
#include "app/Startup.h"
#include "fakes/FakeApp.h"
#include "ui/WindowFields.h"

namespace {

const std::string kInfoUrl = UpdateBase() + "info.txt";

void ServeOnlineVersion(FakeApp& app, const std::string& body) {
    FakeHttpTransport::Response r;
    r.body = body;
    app.http.responses[kInfoUrl] = r;
}

}  // namespace

TEST(Startup, UpdateBaseUsesTheConfiguredHostOnPort81) {
    EXPECT_EQ(UpdateBase(), "http://localhost:81/eset/Update/");
    EXPECT_EQ(ReleasePackageUrl(), "http://localhost:81/eset/Korvane_Scan.zip");
    EXPECT_EQ(ForumBase(), "http://localhost");
    EXPECT_EQ(NewsFeedUrl(), "http://localhost/forum.php?mod=rss");
}

TEST(Startup, CreatedEventRunsItsStepsInOrder) {
    FakeApp app;
    app.registry.refuseWrites = true;  // no install path: the message step runs too
    ServeOnlineVersion(app, "27830");
    app.files.AddFile("data\\info.txt", "27790");
    RunMainWindowCreatedEvent(app.ctx);
    const std::vector<std::string> expected = {
        "fetch feed " + NewsFeedUrl(),
        "registry write SOFTWARE\\KorvaneScan\\Path=C:\\run",
        "make folder C:\\KorvaneScanData",
        "make folder c:\\KorvaneScanData\\data",
        "make folder c:\\KorvaneScanData\\data\\quarantine",
        "registry read SOFTWARE\\KorvaneScan\\Path",
        "message 未发现KorvaneScan路径",
        "disable restore button",
        "open url " + kInfoUrl,
        "read file data\\info.txt",
        "field 2=27790",
        "field 3=27830",
    };
    EXPECT_EQ(app.journal.entries, expected);
    EXPECT_EQ(app.messages.shown.at(0).caption, "信息：");
}

TEST(Startup, InstallPathIsTheValueReadBack) {
    struct Case {
        const char* name;
        bool refuseWrites;
        const char* earlierValue;  // nullptr: none
        std::string installPath;
        bool message;
    } cases[] = {
        {"written and read back", false, nullptr, "C:\\run", false},
        {"written over an earlier folder", false, "D:\\old", "C:\\run", false},
        {"refused, earlier value kept", true, "D:\\old", "D:\\old", false},
        {"refused, nothing there", true, nullptr, "", true},
        {"refused, value reads empty (wrong type)", true, "", "", true},
    };
    for (const auto& c : cases) {
        FakeApp app;
        if (c.earlierValue) app.registry.keys[{RegRoot::LocalMachine, "SOFTWARE\\KorvaneScan"}]["Path"] = c.earlierValue;
        app.registry.refuseWrites = c.refuseWrites;
        OnMainWindowCreated(app.ctx);
        EXPECT_EQ(app.program.installPath, c.installPath) << c.name;
        EXPECT_EQ(app.window.restoreButtonDisabled, c.message) << c.name;
        EXPECT_EQ(app.messages.shown.size(), c.message ? 1u : 0u) << c.name;
    }
}

TEST(Startup, SecondStartFromAnotherFolderRecordsTheSecondFolder) {
    FakeApp app;
    OnMainWindowCreated(app.ctx);
    app.program.runDirectory = "D:\\Program Files\\Korvane";
    OnMainWindowCreated(app.ctx);
    EXPECT_EQ(app.registry.ReadText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScan", "Path"), "D:\\Program Files\\Korvane");
    EXPECT_EQ(app.program.installPath, "D:\\Program Files\\Korvane");
}

TEST(Startup, DataRootFoldersAreCreatedAndExistingOnesReportNothing) {
    FakeApp app;
    OnMainWindowCreated(app.ctx);
    EXPECT_TRUE(app.files.HasFolder("c:\\KorvaneScanData\\data\\quarantine"));
    app.journal.entries.clear();
    OnMainWindowCreated(app.ctx);
    EXPECT_TRUE(app.messages.shown.empty());
    EXPECT_TRUE(app.files.HasFolder("c:\\KorvaneScanData\\data\\quarantine"));
}

TEST(Startup, VersionFieldsHoldTheTextsUnchanged) {
    struct Case {
        const char* name;
        bool serve;
        std::string server;
        bool localPresent;
        std::string local;
        std::string onlineField, currentField;
    } cases[] = {
        {"plain", true, "27830", true, "27790", "27830", "27790"},
        {"server CR LF kept", true, "27830\r\n", true, "27790\r\n", "27830\r\n", "27790\r\n"},
        {"local cut at zero byte", true, "27830", true, std::string("27790\0garbage", 13), "27830", "27790"},
        {"no server, no local file", false, "", false, "", "", ""},
        {"server zero byte", true, std::string("1\0" "2", 3), true, "", "1", ""},
    };
    for (const auto& c : cases) {
        FakeApp app;
        if (c.serve) ServeOnlineVersion(app, c.server);
        if (c.localPresent) app.files.AddFile("data\\info.txt", c.local);
        OnMainWindowCreated(app.ctx);
        EXPECT_EQ(app.window.texts[TextField::OnlineDbVersion], c.onlineField) << c.name;
        EXPECT_EQ(app.window.texts[TextField::CurrentDbVersion], c.currentField) << c.name;
        EXPECT_TRUE(app.messages.shown.empty()) << c.name;
    }
}

TEST(Startup, RunDirectoryIsTheExeFolderWithoutTrailingBackslash) {
    EXPECT_EQ(RunDirectoryOf("C:\\Program Files\\Korvane\\KorvaneScan.exe"), "C:\\Program Files\\Korvane");
    EXPECT_EQ(RunDirectoryOf("C:\\KorvaneScan.exe"), "C:");
    EXPECT_EQ(RunDirectoryOf("\\\\server\\share\\扫描\\KorvaneScan.exe"), "\\\\server\\share\\扫描");
}

TEST(Startup, ProcessStartsInOrder) {
    struct RecordingHost : ProgramHost {
        std::vector<std::string> steps;
        bool windowCreated = true;
        void SetWorkingDirectory(const std::string& dir) override { steps.push_back("cd " + dir); }
        void CreateSkinResources() override { steps.push_back("skin"); }
        bool CreateMainWindow() override {
            steps.push_back("window");
            return windowCreated;
        }
        void RunCreatedEvent() override { steps.push_back("created"); }
        void RunEventLoop() override { steps.push_back("loop"); }
    };
    RecordingHost host;
    std::string runDirectory;
    EXPECT_EQ(RunProgram(host, "C:\\run\\KorvaneScan.exe", runDirectory), 0);
    EXPECT_EQ(runDirectory, "C:\\run");
    EXPECT_EQ(host.steps, (std::vector<std::string>{"cd C:\\run", "skin", "window", "created", "loop"}));

    RecordingHost failing;
    failing.windowCreated = false;
    EXPECT_NE(RunProgram(failing, "C:\\run\\KorvaneScan.exe", runDirectory), 0);
    EXPECT_EQ(failing.steps, (std::vector<std::string>{"cd C:\\run", "skin", "window"}));
}

TEST(EventBindings, ForumLinksOpenTheForumHomePage) {
    FakeApp app;
    HandleUiEvent(UiEvent::ForumLink, app.ctx);
    EXPECT_EQ(app.shell.addresses, std::vector<std::string>{"http://localhost/"});
    EXPECT_TRUE(app.messages.shown.empty());
}
