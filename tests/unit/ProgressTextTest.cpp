#include <gtest/gtest.h>

#include "update/ProgressText.h"

TEST(ProgressText, KbFigureRoundsHalfAwayFromZeroAndDropsTrailingZeros) {
    struct Case { std::int32_t bytes; const char* kb; } cases[] = {
        {0, "0"},
        {9, "0.01"},           // 0.0087890625
        {128, "0.13"},         // 0.125: a half rounds up
        {384, "0.38"},         // 0.375
        {1000, "0.98"},        // 0.9765625
        {1536, "1.5"},         // no trailing zero
        {10240, "10"},         // no trailing point
        {1234567, "1205.63"},  // 1205.6318359375
        {5, "0"},              // 0.0048828125 rounds to nothing
        {2147483647, "2097152"},
        {-128, "-0.13"},
        {-1536, "-1.5"},
        {-1234567, "-1205.63"},
        {-1, "0"},             // rounds to nothing: no "-0"
        {-2147483647 - 1, "-2097152"},
    };
    for (const auto& c : cases) EXPECT_EQ(KbFigure(c.bytes), c.kb) << c.bytes;
}

TEST(ProgressText, FormatG13KeepsThirteenSignificantDigits) {
    EXPECT_EQ(FormatG13(1.0 / 3.0), "0.3333333333333");
    EXPECT_EQ(FormatG13(1234567890123.0), "1234567890123");
    EXPECT_EQ(FormatG13(12345678901234.0), "1.234567890123e+13");
    EXPECT_EQ(FormatG13(2.5), "2.5");
}

TEST(ProgressText, LabelShowsSizeThenDownloaded) {
    EXPECT_EQ(ProgressLabel(1234567, 10240), "  文件大小:1205.63KB  已下载:10KB  ");
    EXPECT_EQ(ProgressLabel(128, 128), "  文件大小:0.13KB  已下载:0.13KB  ");
    EXPECT_EQ(ProgressLabel(0, 20480), "  文件大小:0KB  已下载:20KB  ");
}

TEST(ProgressText, PositionIsCutTowardZeroAndZeroWithoutSize) {
    struct Case { std::int32_t total, downloaded; int position; } cases[] = {
        {0, 0, 0},
        {0, 5000, 0},              // no size: the bar stays empty
        {128, 128, 10000},
        {25000, 10240, 4096},
        {3, 1, 3333},              // 3333.33 cut
        {3, 2, 6666},              // 6666.67 cut, not rounded
        {1000, 1500, 15000},       // beyond the range: the control clips it
        {1000, -1, -10},           // toward zero
        {1, 2147483647, 2147483647},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressPosition(c.total, c.downloaded), c.position) << c.total << "/" << c.downloaded;
    }
}

TEST(ProgressText, BarPercentIsRoundedDown) {
    struct Case { int position, range, percent; } cases[] = {
        {0, 10000, 0}, {99, 10000, 0}, {100, 10000, 1}, {4599, 10000, 45},
        {9999, 10000, 99}, {10000, 10000, 100}, {-1, 10000, -1}, {5, 0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(BarPercent(c.position, c.range), c.percent) << c.position;
}

TEST(ProgressText, BarTextsKeepTheirBlanks) {
    EXPECT_EQ(FileCountText(9), "共 9 个文件需更新！ ");
    EXPECT_EQ(UpdatingFileText(3), "正在更新第 3 个文件， 当前已完成： ");
    EXPECT_EQ(UpdatingFileText(3) + "45%", "正在更新第 3 个文件， 当前已完成： 45%");
}
