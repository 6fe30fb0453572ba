#include <gtest/gtest.h>

#include <string>

#include "fakes/FakeApp.h"
#include "shellmenu/ContextMenu.h"
#include "shellmenu/RegistryItems.h"

namespace {

const std::string kSwitches =
    " /unwanted /unsafe /clean-mode=rigorous /quarantine /quar-dir=c:\\KorvaneScanData\\data\\quarantine "
    "/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind \"%1\"";
const std::string kCommandKey = "*\\shell\\KorvaneScan\\command";
const std::string kMenuKey = "*\\shell\\KorvaneScan";

struct MenuWorld : FakeApp {
    MenuWorld() {
        window.texts[TextField::MenuName] = "KorvaneScan";
        program.runDirectory = "C:\\Program Files\\Korvane Scan";
        program.installPath = "C:\\Program Files\\Korvane Scan";
        // What start-up left: the install key with its Path value.
        registry.keys[{RegRoot::LocalMachine, "SOFTWARE\\KorvaneScan"}]["Path"] = program.runDirectory;
    }
    std::string Message() const { return messages.shown.empty() ? std::string() : messages.shown.back().text; }
};

}  // namespace

TEST(ContextMenuCommand, ScannerAndFileAreQuoted) {
    struct Case {
        const char* installPath;
        std::string command;
    } cases[] = {
        {"D:\\Tools\\Scan", "\"D:\\Tools\\Scan\\data\\ecls.exe\"" + kSwitches},
        {"C:\\Program Files\\Scan", "\"C:\\Program Files\\Scan\\data\\ecls.exe\"" + kSwitches},
        {"D:\\杀毒 工具", "\"D:\\杀毒 工具\\data\\ecls.exe\"" + kSwitches},
        {"", "\"\\data\\ecls.exe\"" + kSwitches},  // start-up found no install path
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.installPath);
        EXPECT_EQ(BuildContextMenuCommand(c.installPath), c.command);
    }
}

TEST(ContextMenuRegistryItems, ValueNameIsAfterTheLastBackslash) {
    struct Case {
        const char* path;
        const char* key;
        const char* value;
    } cases[] = {
        {"SOFTWARE\\KorvaneScan\\Path", "SOFTWARE\\KorvaneScan", "Path"},
        {"SOFTWARE\\KorvaneScan\\", "SOFTWARE\\KorvaneScan", ""},  // the key's default value
        {"*\\shell\\KorvaneScan\\command\\", "*\\shell\\KorvaneScan\\command", ""},
        {"*\\shell\\KorvaneScan\\command", "*\\shell\\KorvaneScan", "command"},
        {"Path", "", "Path"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const RegistryItem item = SplitItemPath(c.path);
        EXPECT_EQ(item.key, c.key);
        EXPECT_EQ(item.valueName, c.value);
    }
}

TEST(ContextMenuRegistryItems, DeleteTakesTheValueElseTheWholePathAsKey) {
    FakeRegistry reg;
    const RegRoot lm = RegRoot::LocalMachine;
    reg.keys[{lm, "A\\B"}]["v"] = "1";
    reg.keys[{lm, "A\\B"}][""] = "default";
    reg.keys[{lm, "A\\B\\v"}];
    // A value of that name exists: only the value goes, the like-named key stays.
    EXPECT_TRUE(DeleteRegistryItem(reg, lm, "A\\B\\v"));
    EXPECT_EQ(reg.ReadText(lm, "A\\B", "v"), "");
    EXPECT_TRUE(reg.HasKey(lm, "A\\B\\v"));
    // No such value now: the key named by the whole path goes.
    EXPECT_TRUE(DeleteRegistryItem(reg, lm, "A\\B\\v"));
    EXPECT_FALSE(reg.HasKey(lm, "A\\B\\v"));
    // Trailing backslash: the default value first, then the key itself.
    EXPECT_TRUE(DeleteRegistryItem(reg, lm, "A\\B\\"));
    EXPECT_TRUE(reg.HasKey(lm, "A\\B"));
    EXPECT_TRUE(DeleteRegistryItem(reg, lm, "A\\B\\"));
    EXPECT_FALSE(reg.HasKey(lm, "A\\B"));
    // Nothing there; a key with subkeys does not go.
    EXPECT_FALSE(DeleteRegistryItem(reg, lm, "A\\B\\"));
    reg.keys[{lm, "X\\Y"}];
    reg.keys[{lm, "X"}];
    EXPECT_FALSE(DeleteRegistryItem(reg, lm, "X"));
    EXPECT_TRUE(reg.HasKey(lm, "X"));
}

TEST(ContextMenuEntry, AddTwiceThenRemoveTwice) {
    MenuWorld app;
    const std::string command = BuildContextMenuCommand(app.program.installPath);
    for (int round = 0; round < 2; ++round) {
        app.registry.keys[{RegRoot::LocalMachine, "SOFTWARE\\KorvaneScan"}]["Path"] = "D:\\stale";
        AddContextMenuEntry(app.ctx);
        EXPECT_EQ(app.Message(), "添加右键扫描成功！");
        EXPECT_EQ(app.registry.ReadText(RegRoot::ClassesRoot, kCommandKey, ""), command);
        ASSERT_TRUE(app.registry.HasKey(RegRoot::ClassesRoot, kMenuKey));
        const auto& menuValues = app.registry.keys[FakeRegistry::KeyId(RegRoot::ClassesRoot, kMenuKey)];
        EXPECT_TRUE(menuValues.empty());  // no menu text value: Explorer shows the key name
        EXPECT_EQ(app.registry.ReadText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScan", "Path"),
                  app.program.runDirectory);
    }
    app.registry.keys[{RegRoot::ClassesRoot, "*\\shell\\open"}];  // another entry stays

    RemoveContextMenuEntry(app.ctx);
    EXPECT_EQ(app.Message(), "右键扫描已卸载！");
    EXPECT_FALSE(app.registry.HasKey(RegRoot::ClassesRoot, kCommandKey));
    EXPECT_FALSE(app.registry.HasKey(RegRoot::ClassesRoot, kMenuKey));
    EXPECT_FALSE(app.registry.HasKey(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScan"));
    EXPECT_TRUE(app.registry.HasKey(RegRoot::ClassesRoot, "*\\shell\\open"));

    app.registry.keys[{RegRoot::LocalMachine, "SOFTWARE\\KorvaneScan"}]["Path"] = "C:\\again";
    RemoveContextMenuEntry(app.ctx);
    EXPECT_EQ(app.Message(), "卸载右键扫描失败，未找到相应键值！");
    EXPECT_EQ(app.registry.ReadText(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScan", "Path"), "C:\\again");
    EXPECT_EQ(app.messages.shown.size(), 4u);
}

TEST(ContextMenuEntry, RefusedWriteReportsFailureAndWritesNoPath) {
    MenuWorld app;
    app.registry.refuseWrites = true;
    AddContextMenuEntry(app.ctx);
    const std::vector<std::string> expected = {
        "registry write " + kCommandKey + "\\=" + BuildContextMenuCommand(app.program.installPath),
        "message 添加右键扫描失败！",
    };
    EXPECT_EQ(app.journal.entries, expected);
}

TEST(ContextMenuEntry, MenuNameComesFromTheHiddenField) {
    MenuWorld app;
    app.window.texts[TextField::MenuName] = "Other Name";
    AddContextMenuEntry(app.ctx);
    EXPECT_TRUE(app.registry.HasKey(RegRoot::ClassesRoot, "*\\shell\\Other Name\\command"));
    RemoveContextMenuEntry(app.ctx);
    EXPECT_EQ(app.Message(), "右键扫描已卸载！");
    EXPECT_FALSE(app.registry.HasKey(RegRoot::ClassesRoot, "*\\shell\\Other Name"));
}

TEST(ContextMenuEntry, CommandKeyWithASubkeyIsNotRemoved) {
    MenuWorld app;
    AddContextMenuEntry(app.ctx);
    app.registry.keys[{RegRoot::ClassesRoot, kCommandKey + "\\extra"}];
    RemoveContextMenuEntry(app.ctx);
    EXPECT_EQ(app.Message(), "卸载右键扫描失败，未找到相应键值！");
    EXPECT_TRUE(app.registry.HasKey(RegRoot::ClassesRoot, kCommandKey));
    EXPECT_TRUE(app.registry.HasKey(RegRoot::LocalMachine, "SOFTWARE\\KorvaneScan"));
}
