#include "scan/ScanCommands.h"

namespace {

// The scanner is named relative to the working directory, which is the run directory.
constexpr const char* kCustomHead = "data\\ecls.exe \"";
constexpr const char* kCustomTail =
    "\" /unwanted /unsafe /clean-mode=rigorous /quarantine /quar-dir=c:\\KorvaneScanData\\data\\quarantine "
    "/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind";

// The fixed lines keep the scanner's expected spacing: two blanks after "ecls.exe",
// and two before "/quar-dir" in the full scan.
constexpr const char* kFullCleanLine =
    "data\\ecls.exe  c: d: e: f: g: h: i: j: k: l: m: n: o: p: q: r: s: t: u: v: w: x: y: z: /boots /memory "
    "/unwanted /unsafe /clean-mode=rigorous  /quar-dir=c:\\KorvaneScanData\\data\\quarantine "
    "/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind";
constexpr const char* kFastLine =
    "data\\ecls.exe  c: /boots /memory /unwanted /unsafe /clean-mode=rigorous "
    "/quar-dir=c:\\KorvaneScanData\\data\\quarantine /log-file=c:\\KorvaneScanData\\ScanLog.txt /aind";
constexpr const char* kFullAskLine =
    "data\\ecls.exe  /auto /quar-dir=c:\\KorvaneScanData\\data\\quarantine "
    "/log-file=c:\\KorvaneScanData\\ScanLog.txt /aind";

}  // namespace

std::string BuildScanCommandLine(ScanMode mode, const std::string& folder) {
    switch (mode) {
        case ScanMode::CustomFolder: return kCustomHead + folder + kCustomTail;
        case ScanMode::FullClean: return kFullCleanLine;
        case ScanMode::Fast: return kFastLine;
        case ScanMode::FullAsk: return kFullAskLine;
    }
    return {};
}
