#include <gtest/gtest.h>

#include "fakes/FakeApp.h"
#include "quarantine/RestoreTools.h"

TEST(RestoreTool, StartsTheQuotedToolShownWithABriefIdleWait) {
    for (const char* runDirectory : {"C:\\run", "C:\\Program Files\\Korvane Scan", "D:\\杀毒"}) {
        SCOPED_TRACE(runDirectory);
        FakeApp app;
        app.program.runDirectory = runDirectory;
        RunRestoreTool(app.ctx);
        ASSERT_EQ(app.processes.started.size(), 1u);
        EXPECT_EQ(app.processes.started[0].commandLine, "\"" + std::string(runDirectory) + "\\data\\KorvaneQR.exe\"");
        EXPECT_EQ(app.processes.started[0].show, ShowMode::Normal);
        EXPECT_EQ(app.processes.started[0].wait, WaitMode::InputIdle1000);
        EXPECT_TRUE(app.messages.shown.empty());
    }
}

TEST(RestoreTool, MissingToolIsNotReported) {
    FakeApp app;
    app.processes.failStart = true;
    RunRestoreTool(app.ctx);
    EXPECT_TRUE(app.messages.shown.empty());
}

TEST(RestoreCopyToEset, WithoutTheRadioNothingHappens) {
    FakeApp app;
    app.window.selected = {Choice::ScanFast, Choice::UpdateDatabase};
    CopyToEsetQuarantine(app.ctx);
    EXPECT_TRUE(app.journal.entries.empty());
}

TEST(RestoreCopyToEset, RunsTheBatchHiddenToItsEndThenTells) {
    FakeApp app;
    app.window.selected = {Choice::CopyToEsetQuarantine};
    CopyToEsetQuarantine(app.ctx);
    ASSERT_EQ(app.processes.started.size(), 1u);
    EXPECT_EQ(app.processes.started[0].show, ShowMode::Hidden);
    EXPECT_EQ(app.processes.started[0].wait, WaitMode::UntilExit);
    const std::vector<std::string> expected = {"start data\\copyQ.cmd", "message 复制隔离文件到 ESET 隔离区。"};
    EXPECT_EQ(app.journal.entries, expected);
    EXPECT_EQ(app.messages.shown[0].caption, "信息：");
}

TEST(RestoreCopyToEset, BatchThatCannotStartIsNotReported) {
    FakeApp app;
    app.window.selected = {Choice::CopyToEsetQuarantine};
    app.processes.failStart = true;
    CopyToEsetQuarantine(app.ctx);
    EXPECT_TRUE(app.messages.shown.empty());
}
