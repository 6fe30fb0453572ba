#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeApp.h"
#include "scan/HomeOk.h"
#include "scan/ScanCommands.h"

namespace {

// The ten Home choices in the order the OK button examines them.
const Choice kOrder[] = {
    Choice::ClearUpdateCache,    Choice::ScanCustomFolder, Choice::ScanFullClean, Choice::ScanFast,
    Choice::ScanFullAsk,         Choice::ViewScanLog,      Choice::ClearScanLog,  Choice::ClearQuarantine,
    Choice::AddContextMenuEntry, Choice::RemoveContextMenuEntry,
};

// A world in which every choice leaves one distinct first journal entry.
struct HomeWorld : FakeApp {
    HomeWorld() {
        shell.pickResult = "D:\\scan me";
        files.AddFile("c:\\KorvaneScanData\\ScanLog.txt", "log");
        window.texts[TextField::MenuName] = "KorvaneScan";
        program.installPath = "C:\\run";
    }
};

std::string FirstEffect(HomeWorld& app) {
    return app.journal.entries.empty() ? std::string("(nothing)") : app.journal.entries.front();
}

}  // namespace

TEST(ScanHomeOk, FirstSelectedChoiceInOrderWins) {
    // What each choice does first, when it is the one carried out.
    const std::string effects[] = {
        "list folder data\\temp",
        "start " + BuildScanCommandLine(ScanMode::CustomFolder, "D:\\scan me"),
        "start " + BuildScanCommandLine(ScanMode::FullClean, ""),
        "start " + BuildScanCommandLine(ScanMode::Fast, ""),
        "start " + BuildScanCommandLine(ScanMode::FullAsk, ""),
        "open notepad.exe c:\\KorvaneScanData\\ScanLog.txt",
        "remove file c:\\KorvaneScanData\\ScanLog.txt",
        "list folder c:\\KorvaneScanData\\data",
        "registry write *\\shell\\KorvaneScan\\command\\=\"C:\\run\\data\\ecls.exe\" /unwanted /unsafe "
        "/clean-mode=rigorous /quarantine /quar-dir=c:\\KorvaneScanData\\data\\quarantine "
        "/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind \"%1\"",
        "message 卸载右键扫描失败，未找到相应键值！",
    };
    for (size_t i = 0; i < std::size(kOrder); ++i) {
        SCOPED_TRACE(i);
        HomeWorld app;
        app.files.AddFolder("data\\temp");
        app.files.AddFolder("c:\\KorvaneScanData\\data");
        // The choice and every later one selected: the earlier choice wins.
        for (size_t j = i; j < std::size(kOrder); ++j) app.window.selected.insert(kOrder[j]);
        HandleHomeOk(app.ctx);
        EXPECT_EQ(FirstEffect(app), effects[i]);
        // Exactly one choice was carried out: at most one scanner start and one message.
        EXPECT_LE(app.processes.started.size() + app.messages.shown.size() + app.shell.documents.size(), 1u);
    }
}

TEST(ScanHomeOk, NothingSelectedOrOnlyOtherPagesChoicesDoesNothing) {
    const std::vector<std::vector<Choice>> selections = {
        {},
        {Choice::UpdateDatabase},
        {Choice::StopUpdate},
        {Choice::CopyToEsetQuarantine},
    };
    for (const auto& selection : selections) {
        HomeWorld app;
        for (Choice c : selection) app.window.selected.insert(c);
        HandleHomeOk(app.ctx);
        EXPECT_TRUE(app.journal.entries.empty());
        EXPECT_TRUE(app.shell.picks.empty());
    }
}

TEST(ScanHomeOk, ScansStartTheScannerShownNormallyWithABriefIdleWait) {
    for (Choice choice : {Choice::ScanCustomFolder, Choice::ScanFullClean, Choice::ScanFast, Choice::ScanFullAsk}) {
        HomeWorld app;
        app.window.selected.insert(choice);
        HandleHomeOk(app.ctx);
        ASSERT_EQ(app.processes.started.size(), 1u);
        EXPECT_EQ(app.processes.started[0].show, ShowMode::Normal);
        EXPECT_EQ(app.processes.started[0].wait, WaitMode::InputIdle1000);
        EXPECT_TRUE(app.messages.shown.empty());
    }
}

TEST(ScanHomeOk, ScannerThatCannotStartIsNotReported) {
    HomeWorld app;
    app.processes.failStart = true;
    app.window.selected.insert(Choice::ScanFast);
    HandleHomeOk(app.ctx);
    EXPECT_TRUE(app.messages.shown.empty());
}

TEST(ScanHomeOk, CustomScanAsksWithTheNewStyleBrowserAndKeepsTheFolder) {
    HomeWorld app;
    app.window.selected.insert(Choice::ScanCustomFolder);
    HandleHomeOk(app.ctx);
    ASSERT_EQ(app.shell.picks.size(), 1u);
    EXPECT_EQ(app.shell.picks[0].title, "请选择需要扫描的目录：");
    EXPECT_TRUE(app.shell.picks[0].newStyle);
    EXPECT_EQ(app.program.lastCustomFolder, "D:\\scan me");

    // Twice: two scanners, the last folder replaced.
    app.shell.pickResult = "C:\\";
    HandleHomeOk(app.ctx);
    ASSERT_EQ(app.processes.started.size(), 2u);
    EXPECT_EQ(app.processes.started[1].commandLine, BuildScanCommandLine(ScanMode::CustomFolder, "C:\\"));
    EXPECT_EQ(app.program.lastCustomFolder, "C:\\");
}

TEST(ScanHomeOk, CancelledBrowserStartsNothingAndKeepsTheLastFolder) {
    struct Case {
        const char* name;
        bool cancels;
        const char* result;  // what the browser yields when not cancelled
    } cases[] = {
        {"cancelled", true, ""},
        {"no file-system folder chosen", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HomeWorld app;
        app.program.lastCustomFolder = "D:\\earlier";
        app.shell.pickCancels = c.cancels;
        app.shell.pickResult = c.result;
        app.window.selected.insert(Choice::ScanCustomFolder);
        HandleHomeOk(app.ctx);
        EXPECT_EQ(app.shell.picks.size(), 1u);
        EXPECT_TRUE(app.processes.started.empty());
        EXPECT_TRUE(app.messages.shown.empty());
        EXPECT_EQ(app.program.lastCustomFolder, "D:\\earlier");
    }
}
