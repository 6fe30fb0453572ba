#include "update/ProgressText.h"

#include <cmath>
#include <cstdio>

double RoundHalfAway(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = std::fabs(value) * scale + 0.000000000001;
    double whole = std::floor(scaled);
    if (scaled - whole >= 0.5) whole += 1;
    const double magnitude = whole / scale;
    // A magnitude that rounds to nothing is written "0", never "-0".
    return value < 0 && magnitude != 0 ? -magnitude : magnitude;
}

std::string FormatG13(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.13g", value);
    return text;
}

std::string KbFigure(std::int32_t bytes) { return FormatG13(RoundHalfAway(bytes / 1024.0, 2)); }

std::string ProgressLabel(std::int32_t total, std::int32_t downloaded) {
    std::string label = "  文件大小:" + KbFigure(total) + "KB  ";
    label += "已下载:" + KbFigure(downloaded) + "KB  ";
    return label;
}

int ProgressPosition(std::int32_t total, std::int32_t downloaded) {
    if (total == 0) return 0;
    const double position = static_cast<double>(downloaded) * 10000.0 / static_cast<double>(total);
    // Cut toward zero; far outside the bar's range it is clipped, never overflowed.
    if (position >= 2147483647.0) return 2147483647;
    if (position <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(position);
}

int BarPercent(int position, int range) {
    if (range <= 0) return 0;
    const long long percent = static_cast<long long>(position) * 100;
    // Rounded down, also for a position below 0.
    return static_cast<int>(percent >= 0 ? percent / range : -((-percent + range - 1) / range));
}

std::string FileCountText(std::int32_t fileCount) { return "共 " + std::to_string(fileCount) + " 个文件需更新！ "; }

std::string UpdatingFileText(int index) { return "正在更新第 " + std::to_string(index) + " 个文件， 当前已完成： "; }
