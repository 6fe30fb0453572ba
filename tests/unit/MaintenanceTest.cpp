#include <gtest/gtest.h>

#include <string>

#include "fakes/FakeApp.h"
#include "scan/Maintenance.h"

namespace {

bool Touched(const Journal& journal, const std::string& path) {
    const std::string lower = FakeFileSystem::Lower(path);
    for (const auto& e : journal.entries) {
        if (FakeFileSystem::Lower(e).find(lower) != std::string::npos) return true;
    }
    return false;
}

}  // namespace

TEST(MaintenanceDeleteFolderTree, RefusesBlankPathsAndRootsWithoutTouchingTheDisk) {
    const char* paths[] = {"", " ", "   ", "C:", "C:\\", "c:", "d:\\", "Z:", "  C:\\", "C:/", "C:\\\\", "\\", "/"};
    for (const char* path : paths) {
        SCOPED_TRACE(std::string("[") + path + "]");
        FakeApp app;
        app.files.AddFile("C:\\keep.txt", "x");
        app.files.AddFile("D:\\keep.txt", "x");
        app.journal.entries.clear();
        EXPECT_FALSE(DeleteFolderTree(app.files, path));
        EXPECT_TRUE(app.journal.entries.empty());
        EXPECT_TRUE(app.files.HasFile("C:\\keep.txt"));
        EXPECT_TRUE(app.files.HasFile("D:\\keep.txt"));
    }
}

TEST(MaintenanceDeleteFolderTree, RemovesANestedTree) {
    for (const char* path : {"data\\temp", "  data\\temp", "data\\temp\\", "C:\\run\\data\\temp"}) {
        SCOPED_TRACE(path);
        FakeApp app;
        app.files.AddFile("data\\temp\\info.txt", "1");
        app.files.AddFile("data\\temp\\a\\b\\c\\em000_32.dat.p2p", "2");
        app.files.AddFolder("data\\temp\\empty");
        app.files.AddFile("data\\temp.txt", "beside, not inside");
        EXPECT_TRUE(DeleteFolderTree(app.files, path));
        EXPECT_FALSE(app.files.HasFolder("data\\temp"));
        EXPECT_FALSE(app.files.HasFile("data\\temp\\a\\b\\c\\em000_32.dat.p2p"));
        EXPECT_TRUE(app.files.HasFile("data\\temp.txt"));
        EXPECT_TRUE(app.files.HasFolder("data"));
    }
}

TEST(MaintenanceDeleteFolderTree, FileThatWillNotGoKeepsItsFoldersAndGivesFalse) {
    FakeApp app;
    app.files.AddFile("data\\temp\\x\\locked.dat", "held open");
    app.files.AddFile("data\\temp\\x\\free.dat", "1");
    app.files.AddFile("data\\temp\\y\\free.dat", "2");
    app.files.undeletable.insert(app.files.Normalize("data\\temp\\x\\locked.dat"));
    EXPECT_FALSE(DeleteFolderTree(app.files, "data\\temp"));
    EXPECT_TRUE(app.files.HasFile("data\\temp\\x\\locked.dat"));
    EXPECT_FALSE(app.files.HasFile("data\\temp\\x\\free.dat"));  // the walk went on past the failure
    EXPECT_FALSE(app.files.HasFolder("data\\temp\\y"));
    EXPECT_TRUE(app.files.HasFolder("data\\temp\\x"));
}

TEST(MaintenanceDeleteFolderTree, MissingFolderGivesFalse) {
    FakeApp app;
    EXPECT_FALSE(DeleteFolderTree(app.files, "data\\temp"));
}

TEST(MaintenanceDeleteFolderTree, LinksAreRemovedAsLinksAndNeverEntered) {
    FakeApp app;
    app.files.AddFile("data\\temp\\file.dat", "1");
    app.files.AddFolder("data\\temp\\sub\\to-windows");
    app.files.links.insert(app.files.Normalize("data\\temp\\sub\\to-windows"));
    app.files.AddFolder("data\\temp\\to-home");
    app.files.links.insert(app.files.Normalize("data\\temp\\to-home"));
    EXPECT_TRUE(DeleteFolderTree(app.files, "data\\temp"));
    EXPECT_FALSE(app.files.HasFolder("data\\temp"));
    for (const auto& e : app.journal.entries) {
        EXPECT_EQ(e.find("list folder data\\temp\\to-home"), std::string::npos) << e;
        EXPECT_EQ(e.find("list folder data\\temp\\sub\\to-windows"), std::string::npos) << e;
    }
    const auto& j = app.journal.entries;
    EXPECT_NE(std::find(j.begin(), j.end(), "remove folder data\\temp\\to-home"), j.end());
    EXPECT_NE(std::find(j.begin(), j.end(), "remove folder data\\temp\\sub\\to-windows"), j.end());
}

TEST(MaintenanceDeleteFolderTree, FolderThatIsItselfALinkLosesOnlyTheLink) {
    FakeApp app;
    app.files.AddFolder("data\\temp");
    app.files.links.insert(app.files.Normalize("data\\temp"));
    EXPECT_TRUE(DeleteFolderTree(app.files, "data\\temp"));
    EXPECT_EQ(app.journal.entries, std::vector<std::string>{"remove folder data\\temp"});
}

TEST(MaintenanceActions, MessagesAndEffects) {
    struct Case {
        const char* name;
        void (*action)(AppContext&);
        void (*setUp)(FakeApp&);
        const char* message;  // nullptr: none
    } cases[] = {
        {"view log, none", ViewScanLog, [](FakeApp&) {}, "未发现扫描日志！"},
        {"view log", ViewScanLog, [](FakeApp& a) { a.files.AddFile("c:\\KorvaneScanData\\ScanLog.txt", "x"); },
         nullptr},
        {"clear log", ClearScanLog, [](FakeApp& a) { a.files.AddFile("c:\\KorvaneScanData\\ScanLog.txt", "x"); },
         "扫描日志已成功清除！"},
        {"clear log, none", ClearScanLog, [](FakeApp&) {}, "未发现扫描日志！"},
        {"clear log, in use", ClearScanLog,
         [](FakeApp& a) {
             a.files.AddFile("c:\\KorvaneScanData\\ScanLog.txt", "x");
             a.files.undeletable.insert(a.files.Normalize("c:\\KorvaneScanData\\ScanLog.txt"));
         },
         "未发现扫描日志！"},
        {"clear quarantine", ClearQuarantine,
         [](FakeApp& a) { a.files.AddFile("c:\\KorvaneScanData\\data\\quarantine\\q1.NQF", "x"); },
         "隔离文件已成功清除！"},
        {"clear quarantine, none", ClearQuarantine, [](FakeApp&) {}, "未发现已隔离文件！"},
        {"clear cache", ClearUpdateCache, [](FakeApp& a) { a.files.AddFile("data\\temp\\a\\b.dat", "x"); },
         "更新缓存已成功清除！"},
        {"clear cache, none", ClearUpdateCache, [](FakeApp&) {}, "更新缓存清除失败或未发现缓存文件！"},
        {"clear cache, in use", ClearUpdateCache,
         [](FakeApp& a) {
             a.files.AddFile("data\\temp\\em001_32.dat.p2p", "x");
             a.files.undeletable.insert(a.files.Normalize("data\\temp\\em001_32.dat.p2p"));
         },
         "更新缓存清除失败或未发现缓存文件！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeApp app;
        c.setUp(app);
        c.action(app.ctx);
        if (c.message) {
            ASSERT_EQ(app.messages.shown.size(), 1u);
            EXPECT_EQ(app.messages.shown[0].text, c.message);
            EXPECT_EQ(app.messages.shown[0].caption, "信息：");
        } else {
            EXPECT_TRUE(app.messages.shown.empty());
        }
    }
}

TEST(MaintenanceActions, ViewScanLogOpensNotepadOnTheLog) {
    FakeApp app;
    app.files.AddFile("c:\\KorvaneScanData\\ScanLog.txt", "x");
    ViewScanLog(app.ctx);
    ASSERT_EQ(app.shell.documents.size(), 1u);
    EXPECT_EQ(app.shell.documents[0].file, "notepad.exe");
    EXPECT_EQ(app.shell.documents[0].parameters, "c:\\KorvaneScanData\\ScanLog.txt");

    // Cleared, the log is gone for the next view.
    ClearScanLog(app.ctx);
    ViewScanLog(app.ctx);
    EXPECT_EQ(app.shell.documents.size(), 1u);
    EXPECT_EQ(app.messages.shown.back().text, "未发现扫描日志！");
}

TEST(MaintenanceActions, ClearQuarantineTakesTheDataFolderAndOnlyThat) {
    FakeApp app;
    app.files.AddFile("c:\\KorvaneScanData\\data\\quarantine\\q1.NQF", "x");
    app.files.AddFile("c:\\KorvaneScanData\\ScanLog.txt", "log");
    ClearQuarantine(app.ctx);
    EXPECT_FALSE(app.files.HasFolder("c:\\KorvaneScanData\\data\\quarantine"));
    EXPECT_FALSE(app.files.HasFolder("c:\\KorvaneScanData\\data"));
    EXPECT_TRUE(app.files.HasFile("c:\\KorvaneScanData\\ScanLog.txt"));
    ClearQuarantine(app.ctx);
    EXPECT_EQ(app.messages.shown.back().text, "未发现已隔离文件！");
    EXPECT_FALSE(Touched(app.journal, "ScanLog"));
}

TEST(MaintenanceActions, OpenQuarantineFolderOpensItEvenWhenMissing) {
    FakeApp app;
    OpenQuarantineFolder(app.ctx);
    ASSERT_EQ(app.shell.documents.size(), 1u);
    EXPECT_EQ(app.shell.documents[0].file, "c:\\KorvaneScanData\\data\\quarantine");
    EXPECT_EQ(app.shell.documents[0].parameters, "");
    EXPECT_TRUE(app.messages.shown.empty());
}
