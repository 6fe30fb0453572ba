#include <gtest/gtest.h>

#include "scan/ScanCommands.h"

TEST(ScanCommandLine, FixedScansAreExactTextsAndIgnoreTheFolder) {
    struct Case {
        ScanMode mode;
        const char* line;
    } cases[] = {
        {ScanMode::FullClean,
         "data\\ecls.exe  c: d: e: f: g: h: i: j: k: l: m: n: o: p: q: r: s: t: u: v: w: x: y: z: /boots /memory "
         "/unwanted /unsafe /clean-mode=rigorous  /quar-dir=c:\\KorvaneScanData\\data\\quarantine "
         "/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind"},
        {ScanMode::Fast,
         "data\\ecls.exe  c: /boots /memory /unwanted /unsafe /clean-mode=rigorous "
         "/quar-dir=c:\\KorvaneScanData\\data\\quarantine /log-file=c:\\KorvaneScanData\\ScanLog.txt /aind"},
        {ScanMode::FullAsk,
         "data\\ecls.exe  /auto /quar-dir=c:\\KorvaneScanData\\data\\quarantine "
         "/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(BuildScanCommandLine(c.mode, ""), c.line);
        EXPECT_EQ(BuildScanCommandLine(c.mode, "D:\\My Files"), c.line);
    }
}

TEST(ScanCommandLine, CustomFolderStandsQuotedAndUnchanged) {
    const std::string tail =
        " /unwanted /unsafe /clean-mode=rigorous /quarantine /quar-dir=c:\\KorvaneScanData\\data\\quarantine "
        "/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind";
    struct Case {
        const char* folder;
        std::string line;
    } cases[] = {
        {"D:\\My Files", "data\\ecls.exe \"D:\\My Files\"" + tail},
        {"C:\\", "data\\ecls.exe \"C:\\\"" + tail},  // the drive root's backslash right before the quote
        {"E:\\资料\\新建 文件夹", "data\\ecls.exe \"E:\\资料\\新建 文件夹\"" + tail},
        {" D:\\x ", "data\\ecls.exe \" D:\\x \"" + tail},  // no trimming
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(BuildScanCommandLine(ScanMode::CustomFolder, c.folder), c.line);
    }
}
