// The progress display's arithmetic and texts (ProgressText.*) over any 32-bit
// figures: the total comes from the server's Content-Length and the running count
// from what arrived, so every value is possible.
//
// Input layout (little-endian; missing fields read as 0):
//   0  i32 total   4  i32 downloaded   8  i32 bar position   12  i32 bar range
//
// Properties: no undefined arithmetic (UBSan: float to int conversions, overflow);
// the bar position is 0 without a total, within 0..10000 for a count within the
// total, and the count times 10000 over the total cut toward zero (give or take
// the last unit of a floating-point quotient, clipped to the int range); the percentage is the position
// times 100 over the range rounded down, 0 for an empty range; a KB figure reads
// back as the bytes over 1024 within half a hundredth, with at most two decimals,
// no trailing zeros and no "-0"; the label holds both figures in their places.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "update/ProgressText.h"

namespace {

void CheckKbFigure(std::int32_t bytes) {
    const std::string text = KbFigure(bytes);
    FUZZ_CHECK(!text.empty() && text != "-0", "a KB figure is a number, never -0");
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    FUZZ_CHECK(end && *end == '\0', "a KB figure is a plain number");
    FUZZ_CHECK(std::fabs(value - bytes / 1024.0) <= 0.005 + 1e-9, "a KB figure is bytes / 1024 rounded to 2 decimals");
    const std::size_t point = text.find('.');
    if (point != std::string::npos) {
        FUZZ_CHECK(text.size() - point - 1 <= 2, "at most two decimals");
        FUZZ_CHECK(text.back() != '0', "no trailing zeros");
    }
}

// position * 100 / range, rounded toward minus infinity, in exact integers.
long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    if (a % b != 0 && ((a < 0) != (b < 0))) --q;
    return q;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FrontReader in(data, size);
    const auto total = static_cast<std::int32_t>(in.U32());
    const auto downloaded = static_cast<std::int32_t>(in.U32());
    const auto position = static_cast<std::int32_t>(in.U32());
    const auto range = static_cast<std::int32_t>(in.U32());

    CheckKbFigure(total);
    CheckKbFigure(downloaded);
    const std::string label = ProgressLabel(total, downloaded);
    FUZZ_CHECK(label == "  文件大小:" + KbFigure(total) + "KB  " + "已下载:" + KbFigure(downloaded) + "KB  ",
               "the label: size, then downloaded");

    const int bar = ProgressPosition(total, downloaded);
    if (total == 0) {
        FUZZ_CHECK(bar == 0, "no total: position 0");
    } else {
        // Cut toward zero; far outside the bar it is clipped to the int range.
        const long long exact = std::clamp<long long>(static_cast<long long>(downloaded) * 10000 / total,
                                                      INT32_MIN, INT32_MAX);
        FUZZ_CHECK(std::llabs(bar - exact) <= 1, "count * 10000 / total, cut toward zero");
        if (total > 0 && downloaded >= 0 && downloaded <= total) {
            FUZZ_CHECK(bar >= 0 && bar <= 10000, "a count within the total stays on the bar");
        }
    }

    const int percent = BarPercent(position, range);
    if (range <= 0) {
        FUZZ_CHECK(percent == 0, "an empty range: 0 per cent");
    } else {
        // The real bar hands over a position within its range; only a percentage that
        // an int can hold is defined (a position of 800 million on a range of 39 is not).
        const long long expected = FloorDiv(static_cast<long long>(position) * 100, range);
        if (expected >= INT32_MIN && expected <= INT32_MAX) {
            FUZZ_CHECK(percent == expected, "position * 100 / range, rounded down");
        }
        if (position >= 0 && position <= range) {
            FUZZ_CHECK(percent >= 0 && percent <= 100, "a position within the range: 0 to 100 per cent");
        }
    }
    return 0;
}
