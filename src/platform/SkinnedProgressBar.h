#pragma once
#include <string>

// Text styles of the skinned bar: the text alone, or the text followed by the
// bar's whole-number percentage (position / range, rounded down) and "%".
inline constexpr int kBarTextPlain = 1;
inline constexpr int kBarTextWithPercent = 5;

// The skinned progress bar of the database update, as the program's logic uses
// it. GUI thread only.
struct SkinnedProgressBar {
    virtual ~SkinnedProgressBar() = default;
    // Binds the skin to the update group's progress bar and gives it colour style 0.
    // False, changing nothing, when it is already bound to a live window.
    virtual bool Attach() = 0;
    // Colour style 1 to 7.
    virtual void SetColorStyle(int style) = 0;
    // Stores the text style and text and shows them; nothing is shown while unbound.
    virtual void SetText(int textStyle, const std::string& text) = 0;
};
