// The program version check on page 更新, against the test update server.
#include <gtest/gtest.h>

#include <string>

#include "Driver.h"

using namespace e2e;

namespace {

const std::string kInfPath = "/eset/Update/inf.txt";
const std::string kPackagePath = "/eset/Korvane_Scan.zip";
const std::string kNewer = "检测到最新版本,点击确定下载新版本！";
const std::string kCurrent = "当前版本已是最新！";

}  // namespace

TEST(Version, EachCheckFetchesComparesAndTellsTheUser) {
    DeleteRegTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KorvaneScan");
    server::Reset();
    App app;
    ASSERT_TRUE(app.Launch(MakeRunFolder(L"version check")));
    ASSERT_TRUE(app.WaitIdle(60s));
    app.SelectPage(Page::Update);

    struct Case {
        const char* name;
        const char* body;  // nullptr: the file answers 404
        bool newer;
    } cases[] = {
        {"newer", "1.5.1.2", true},
        {"equal", "1.5.1.1", false},
        {"sorts before: 1.10 < 1.5 byte by byte", "1.10.0.0", false},
        {"empty file", "", false},
        {"missing file", nullptr, false},
        {"same number with a line end", "1.5.1.1\r\n", true},
    };
    int fetches = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.body) {
            server::SetBody(kInfPath, c.body);
        } else {
            server::Delete(kInfPath);
        }
        app.Click("按钮4");
        const MessageBoxInfo box = app.WaitMessageBox();
        ASSERT_TRUE(box);
        ++fetches;
        EXPECT_EQ(box.text, c.newer ? kNewer : kCurrent);
        EXPECT_EQ(box.caption, "版本更新");
        // Both fields are written before the message shows.
        EXPECT_EQ(app.Text("编辑框4"), "1.5.1.1");
        EXPECT_EQ(app.Text("编辑框5"), c.body ? c.body : "");
        EXPECT_EQ(server::Hits(kInfPath), fetches) << "every click fetches again";
        ASSERT_TRUE(app.PressOk(box));

        // After the box comes DoFileDownload for "newer". Wine's does nothing, so
        // all that shows here is that the program comes back at once, with no
        // other box, and that nothing was fetched from the package address.
        EXPECT_TRUE(app.WaitIdle(10s));
        EXPECT_TRUE(app.OpenMessageBoxes().empty());
        EXPECT_EQ(server::Hits(kPackagePath), 0);
    }
    // The release URL field still holds the address handed to the dialog.
    EXPECT_EQ(app.Text("编辑框6"), "http://localhost:81/eset/Korvane_Scan.zip");
    Sleep(300);
    server::Screenshot("version-check");
}
