// Bad answers from the network, end to end: the program never crashes, shows
// no foreign bytes as a version or a post, and tells the user what it always tells.
#include <gtest/gtest.h>

#include "Driver.h"

using namespace e2e;

namespace {

const char* kInfo = "/eset/Update/info.txt";
const char* kInf = "/eset/Update/inf.txt";
const char* kFeed = "/forum.php?mod=rss";

struct BadInput : ::testing::Test {
    void SetUp() override {
        DeleteRegTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KorvaneScan");
        server::Reset();
    }
};

struct Fault {
    const char* name;
    const char* kind;
    const char* params;
};

const Fault kFaults[] = {
    {"garbage instead of HTTP", "garbage", ""},
    {"2 GB Content-Length", "length", "value=2147483648"},
    {"4 GB + 1 Content-Length", "length", "value=4294967297"},
    {"a body of 50 MB", "big", "size=52428800"},
    {"cut after 2 bytes", "cut", "after=2"},
};

}  // namespace

TEST_F(BadInput, StartUpShowsNoForeignVersionAndNoPosts) {
    for (const Fault& f : kFaults) {
        SCOPED_TRACE(f.name);
        server::Reset();
        server::SetBody(kInfo, "27830 (20231201)");
        server::Fault(kInfo, f.kind, f.params);
        server::Fault(kFeed, f.kind, f.params);
        App app;
        ASSERT_TRUE(app.Launch(MakeRunFolder(L"bad start")));
        ASSERT_TRUE(app.WaitIdle(90s));
        EXPECT_TRUE(app.Running());
        // A cut answer shows the bytes that arrived; nothing else shows anything.
        const std::string online = app.Text("编辑框2");
        EXPECT_TRUE(online.empty() || std::string("27830 (20231201)").rfind(online, 0) == 0) << online;
        // A wrong length over the whole, intact feed still shows the sample's six posts
        // (the feed is read to its end, whatever was announced); nothing else shows any.
        EXPECT_EQ(app.ListRowCount(), std::string(f.kind) == "length" ? 6 : 0);
        EXPECT_TRUE(app.OpenMessageBoxes().empty());
        app.Close();
        EXPECT_TRUE(app.WaitExit(10s));
    }
}

TEST_F(BadInput, VersionCheckCountsABadAnswerAsNoNewerRelease) {
    App app;
    ASSERT_TRUE(app.Launch(MakeRunFolder(L"bad version")));
    ASSERT_TRUE(app.WaitIdle());
    app.SelectPage(Page::Update);
    for (const Fault& f : kFaults) {
        SCOPED_TRACE(f.name);
        server::Reset();
        server::SetBody(kInf, "9.9.9.9");
        server::Fault(kInf, f.kind, f.params);
        app.Click("按钮4");
        const MessageBoxInfo box = app.WaitMessageBox(90s);
        ASSERT_TRUE(box);
        // "9" sorts after "1": only a body whose first byte arrived reads as newer.
        if (std::string(f.kind) == "cut") {
            EXPECT_EQ(box.text, "检测到最新版本,点击确定下载新版本！");
        } else {
            EXPECT_EQ(box.text, "当前版本已是最新！");
            EXPECT_EQ(app.Text("编辑框5"), "");
        }
        EXPECT_EQ(box.caption, "版本更新");
        ASSERT_TRUE(app.PressOk(box));
        ASSERT_TRUE(app.WaitIdle());
        EXPECT_TRUE(app.Running());
    }
}
