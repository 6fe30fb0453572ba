#include "ui/CrystalProgressBar_win.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/WinHandles.h"
#include "platform/win32/WinText.h"
#include "ui/SkinResources_win.h"
#include "update/ProgressText.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x4B53;  // one skin per control
// The corners' diameter: 8 pixels on the 26-pixel bar as laid out at 96 DPI,
// in proportion on a bar scaled to another DPI.
int CornerDiameter(int height) { return std::max(4, MulDiv(8, height, 26)); }

// The fill colour of each colour style.
constexpr COLORREF kStyleColours[8] = {
    RGB(96, 140, 200),   // 0: slate blue
    RGB(54, 168, 72),    // 1: green
    RGB(40, 110, 222),   // 2: blue
    RGB(236, 138, 30),   // 3: orange
    RGB(24, 150, 206),   // 4: crystal cyan
    RGB(212, 58, 58),    // 5: red
    RGB(138, 78, 200),   // 6: purple
    RGB(204, 168, 36),   // 7: gold
};
constexpr COLORREF kTextColour = RGB(16, 16, 16);       // on the trough
constexpr COLORREF kShadowColour = RGB(255, 255, 255);
constexpr COLORREF kTextOnFill = RGB(255, 255, 255);     // on the fill
constexpr COLORREF kShadowOnFill = RGB(0, 48, 80);

COLORREF Mix(COLORREF a, COLORREF b, int bPercent) {
    const auto blend = [&](int x, int y) { return (x * (100 - bPercent) + y * bPercent) / 100; };
    return RGB(blend(GetRValue(a), GetRValue(b)), blend(GetGValue(a), GetGValue(b)), blend(GetBValue(a), GetBValue(b)));
}

// A vertical gradient from `top` to `bottom` over the rows [y0, y1) of a band.
void VerticalGradient(HDC dc, int left, int right, int y0, int y1, COLORREF top, COLORREF bottom) {
    const int rows = y1 - y0;
    for (int y = y0; y < y1; ++y) {
        const int percent = rows > 1 ? (y - y0) * 100 / (rows - 1) : 0;
        unique_gdi brush(CreateSolidBrush(Mix(top, bottom, percent)));
        RECT row{left, y, right, y + 1};
        FillRect(dc, &row, static_cast<HBRUSH>(brush.get()));
    }
}

}  // namespace

CrystalProgressBar::~CrystalProgressBar() { Detach(); }

bool CrystalProgressBar::Attach(HWND bar) {
    if (hwnd_ && IsWindow(hwnd_)) return false;
    if (!bar || !IsWindow(bar)) return false;
    Detach();
    hwnd_ = bar;
    colorStyle_ = 0;
    textStyle_ = kBarTextPlain;
    text_.clear();
    paintedFill_ = -1;
    paintedStyle_ = -1;
    paintedText_ = L"\x1";  // nothing painted yet
    SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    // The skin paints everything: no sunken edge, a rounded window.
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & ~LONG_PTR{WS_EX_STATICEDGE});
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ShapeWindow();
    Refresh();
    return true;
}

void CrystalProgressBar::Detach() {
    if (hwnd_ && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    hwnd_ = nullptr;
    paintedFill_ = -1;
    paintedText_.clear();
    paintedStyle_ = -1;
}

void CrystalProgressBar::SetColorStyle(int style) {
    if (style < 1 || style > 7) return;
    colorStyle_ = style;
    if (hwnd_) Refresh();
}

void CrystalProgressBar::SetText(int textStyle, const std::string& text) {
    if (!hwnd_) return;
    textStyle_ = textStyle;
    text_ = Utf8ToWide(text);
    Refresh();
}

std::wstring CrystalProgressBar::ShownText() const {
    if (!hwnd_ || textStyle_ != kBarTextWithPercent) return text_;
    PBRANGE range{};
    SendMessageW(hwnd_, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const int position = static_cast<int>(SendMessageW(hwnd_, PBM_GETPOS, 0, 0));
    const int percent = BarPercent(position - range.iLow, range.iHigh - range.iLow);
    return text_ + std::to_wstring(percent) + L"%";
}

void CrystalProgressBar::ShapeWindow() {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const int corner = CornerDiameter(r.bottom - r.top);
    HRGN region = CreateRoundRectRgn(0, 0, r.right - r.left + 1, r.bottom - r.top + 1, corner, corner);
    if (!SetWindowRgn(hwnd_, region, TRUE)) DeleteObject(region);  // the window owns it once set
}

int CrystalProgressBar::FilledPixels() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    PBRANGE range{};
    SendMessageW(hwnd_, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const int position = static_cast<int>(SendMessageW(hwnd_, PBM_GETPOS, 0, 0));
    const int span = range.iHigh - range.iLow;
    const long long done = span > 0 ? static_cast<long long>(position - range.iLow) * client.right / span : 0;
    return static_cast<int>(done < 0 ? 0 : done > client.right ? client.right : done);
}

// The window text follows what is shown; then the bar is painted at once if
// anything on it looks different.
void CrystalProgressBar::Refresh() {
    const std::wstring shown = ShownText();
    const int filled = FilledPixels();
    if (shown == paintedText_ && filled == paintedFill_ && colorStyle_ == paintedStyle_) return;
    if (shown != paintedText_) SetWindowTextW(hwnd_, shown.c_str());
    paintedText_ = shown;
    paintedFill_ = filled;
    paintedStyle_ = colorStyle_;
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE);
}

void CrystalProgressBar::Paint(HDC target, const RECT& client) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;

    // Drawn off screen, then copied in one go: no flicker at many updates a second.
    HDC dc = CreateCompatibleDC(target);
    unique_gdi bitmap(CreateCompatibleBitmap(target, width, height));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap.get());

    const SkinResources& skin = ProgramSkinResources();
    const COLORREF face = skin.buttonFace ? skin.buttonFace : GetSysColor(COLOR_BTNFACE);
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);

    // The trough: light at the top, the button face below.
    VerticalGradient(dc, 0, width, 0, height, Mix(face, white, 75), Mix(face, white, 25));

    // The fill: a glassy band, bright upper half over the saturated lower half.
    const int filled = std::min(FilledPixels(), width);
    if (filled > 0) {
        const COLORREF base = kStyleColours[colorStyle_ >= 0 && colorStyle_ <= 7 ? colorStyle_ : 0];
        const int middle = height / 2;
        VerticalGradient(dc, 0, filled, 0, middle, Mix(base, white, 65), Mix(base, white, 30));
        VerticalGradient(dc, 0, filled, middle, height, base, Mix(base, black, 20));
        unique_gdi edge(CreateSolidBrush(Mix(base, black, 30)));
        RECT end{filled - 1, 0, filled, height};
        if (filled < width) FillRect(dc, &end, static_cast<HBRUSH>(edge.get()));
    }

    // The rim, following the rounded window.
    unique_gdi rim(CreateRoundRectRgn(0, 0, width, height, CornerDiameter(height), CornerDiameter(height)));
    unique_gdi rimBrush(CreateSolidBrush(Mix(face, black, 45)));
    FrameRgn(dc, static_cast<HRGN>(rim.get()), static_cast<HBRUSH>(rimBrush.get()), 1, 1);

    // The text, centred, over a one-pixel shadow: dark on the trough, light on the fill.
    const std::wstring text = ShownText();
    if (!text.empty()) {
        HGDIOBJ oldFont = SelectObject(dc, skin.font ? skin.font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        const auto draw = [&](int left, int right, COLORREF ink, COLORREF shadowInk) {
            if (right <= left) return;
            SaveDC(dc);
            IntersectClipRect(dc, left, 0, right, height);
            const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
            RECT shadow{1, 1, width + 1, height + 1};
            SetTextColor(dc, shadowInk);
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shadow, format);
            RECT all{0, 0, width, height};
            SetTextColor(dc, ink);
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &all, format);
            RestoreDC(dc, -1);
        };
        draw(0, filled, kTextOnFill, kShadowOnFill);
        draw(filled, width, kTextColour, kShadowColour);
        SelectObject(dc, oldFont);
    }

    BitBlt(target, client.left, client.top, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
}

LRESULT CALLBACK CrystalProgressBar::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                                  DWORD_PTR data) {
    auto* self = reinterpret_cast<CrystalProgressBar*>(data);
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT client{};
            GetClientRect(hwnd, &client);
            self->Paint(dc, client);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT: {
            RECT client{};
            GetClientRect(hwnd, &client);
            self->Paint(reinterpret_cast<HDC>(wp), client);
            return 0;
        }
        case PBM_SETPOS:
        case PBM_DELTAPOS:
        case PBM_STEPIT:
        case PBM_SETRANGE:
        case PBM_SETRANGE32: {
            // A new position changes the percentage: the text and the bar follow at once.
            const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
            self->Refresh();
            return result;
        }
        case WM_SIZE: {
            const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
            self->ShapeWindow();
            return result;
        }
        case WM_NCDESTROY:
            // The control goes away: the skin is free to be attached again.
            RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
            self->hwnd_ = nullptr;
            return DefSubclassProc(hwnd, msg, wp, lp);
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}
