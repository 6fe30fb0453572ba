#pragma once
#include <cstdint>
#include <string>

// The texts and arithmetic of the update's progress display, apart from any window.

// A byte count in KB: divided by 1024, rounded to 2 decimals half away from zero,
// written with up to 13 significant digits and no trailing zeros ("%.13g").
// 128 bytes give "0.13", 1234567 bytes "1205.63".
std::string KbFigure(std::int32_t bytes);

// Rounds to `decimals` places: the magnitude times 10^decimals plus 0.000000000001,
// its integer part, plus 1 when the rest is 0.5 or more, divided back, sign restored.
double RoundHalfAway(double value, int decimals);

// "%.13g" of a value: up to 13 significant digits, no trailing zeros or point.
std::string FormatG13(double value);

// The progress text line: "  文件大小:" size "KB  " "已下载:" downloaded "KB  ".
std::string ProgressLabel(std::int32_t total, std::int32_t downloaded);

// The bar position, 0 to 10000 for a download in range: downloaded * 10000 / total in
// floating point, cut toward zero; 0 when total is 0.
int ProgressPosition(std::int32_t total, std::int32_t downloaded);

// The bar's whole-number percentage: position / range * 100, rounded down.
int BarPercent(int position, int range);

// Bar texts of the update.
std::string FileCountText(std::int32_t fileCount);  // "共 9 个文件需更新！ "
std::string UpdatingFileText(int index);            // "正在更新第 3 个文件， 当前已完成： "

inline constexpr const char* kBarUpdateDone = "数据库已更新完成：";
inline constexpr const char* kBarUpdateFailed = "数据库更新失败，请重新启动更新！";
inline constexpr const char* kBarUpdateStopped = "数据库更新已被用户停止，请重新启动更新！";
