#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/SkinnedProgressBar.h"

// Our skin for a standard progress bar control: a rounded window, a trough and a
// glassy fill drawn as colour gradients, and a text drawn centred with a
// one-pixel shadow in the skin's 12-pixel 宋体 font. The text shown is also the
// control's window text, so screen readers and UI automation read what the user
// sees. GUI thread only.
class CrystalProgressBar {
public:
    CrystalProgressBar() = default;
    ~CrystalProgressBar();
    CrystalProgressBar(const CrystalProgressBar&) = delete;
    CrystalProgressBar& operator=(const CrystalProgressBar&) = delete;

    // Binds to an existing progress bar control and skins it, colour style 0.
    // False, changing nothing, when already bound to a live window or `bar` is none.
    bool Attach(HWND bar);
    // Colour style 1 to 7; other values change nothing.
    void SetColorStyle(int style);
    // Text style 1: the text alone; 5: the text, the whole-number percentage
    // (rounded down) and "%". Ignored while unbound.
    void SetText(int textStyle, const std::string& text);

    HWND Window() const { return hwnd_; }
    int ColorStyle() const { return colorStyle_; }
    // The text as shown right now.
    std::wstring ShownText() const;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    void Refresh();
    void Paint(HDC dc, const RECT& client);
    void ShapeWindow();
    void Detach();

    // What the bar showed when last painted: a change of position that moves
    // neither the fill by a pixel nor the percentage needs no painting.
    int FilledPixels() const;
    int paintedFill_ = -1;
    std::wstring paintedText_;
    int paintedStyle_ = -1;

    HWND hwnd_ = nullptr;
    int colorStyle_ = 0;
    int textStyle_ = kBarTextPlain;
    std::wstring text_;
};

// The skin as the update's logic uses it: Attach binds to the update group's bar.
class UpdateBarSkin final : public SkinnedProgressBar {
public:
    UpdateBarSkin(CrystalProgressBar& bar, std::function<HWND()> control)
        : bar_(bar), control_(std::move(control)) {}
    bool Attach() override { return bar_.Attach(control_()); }
    void SetColorStyle(int style) override { bar_.SetColorStyle(style); }
    void SetText(int textStyle, const std::string& text) override { bar_.SetText(textStyle, text); }

private:
    CrystalProgressBar& bar_;
    std::function<HWND()> control_;
};
