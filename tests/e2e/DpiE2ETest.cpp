// The window at 96 DPI (pixel for pixel as laid out) and at 144 DPI (every size
// scaled by 1.5), set through the Wine prefix's LogPixels.
#include <gtest/gtest.h>

#include <windows.h>

#include "Driver.h"

using namespace e2e;

namespace {

// Where Wine and Windows read the screen DPI of new processes.
void SetLogPixels(DWORD dpi) {
    for (const auto& [root, key] : {std::pair{HKEY_CURRENT_USER, L"Control Panel\\Desktop"},
                                    std::pair{HKEY_CURRENT_CONFIG, L"Software\\Fonts"}}) {
        HKEY k = nullptr;
        if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS) continue;
        RegSetValueExW(k, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
        RegCloseKey(k);
    }
}

RECT RectInParent(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Every control's position and size, relative to its parent, at the given DPI.
void ExpectLayoutAt(const App& app, int dpi) {
    for (const LayoutRow& row : MainWindowLayout()) {
        HWND control = app.Control(row.name);
        ASSERT_NE(control, nullptr) << row.name;
        const Rect expected = PositionInContainer(row);
        const RECT r = RectInParent(control);
        EXPECT_EQ(r.left, MulDiv(expected.x, dpi, 96)) << row.name;
        EXPECT_EQ(r.top, MulDiv(expected.y, dpi, 96)) << row.name;
        EXPECT_EQ(r.right - r.left, MulDiv(expected.width, dpi, 96)) << row.name;
        EXPECT_EQ(r.bottom - r.top, MulDiv(expected.height, dpi, 96)) << row.name;
    }
    RECT outer{};
    GetWindowRect(app.Main(), &outer);
    EXPECT_EQ(outer.right - outer.left, MulDiv(kMainWindowWidth, dpi, 96));
    EXPECT_EQ(outer.bottom - outer.top, MulDiv(kMainWindowHeight, dpi, 96));
}

struct Dpi : ::testing::Test {
    void SetUp() override {
        DeleteRegTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KorvaneScan");
        server::Reset();
    }
    void TearDown() override { SetLogPixels(96); }
};

}  // namespace

TEST_F(Dpi, At96EveryControlHasItsLaidOutGeometry) {
    SetLogPixels(96);
    App app;
    ASSERT_TRUE(app.Launch(MakeRunFolder(L"dpi96")));
    ASSERT_TRUE(app.WaitIdle());
    ExpectLayoutAt(app, 96);
    Sleep(300);
    server::Screenshot("dpi-96");
}

TEST_F(Dpi, At144EverySizeIsScaledByOneAndAHalf) {
    SetLogPixels(144);
    App app;
    ASSERT_TRUE(app.Launch(MakeRunFolder(L"dpi144")));
    ASSERT_TRUE(app.WaitIdle());
    ExpectLayoutAt(app, 144);
    Sleep(300);
    server::Screenshot("dpi-144");
    app.SelectPage(Page::Notes);
    Sleep(300);
    server::Screenshot("dpi-144-notes");
}
