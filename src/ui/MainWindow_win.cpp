#include "ui/MainWindow_win.h"

#include <commctrl.h>

#include "platform/win32/WinText.h"
#include "ui/Banner_win.h"

namespace {

constexpr wchar_t kWindowClass[] = L"KorvaneScanMainWindow";
constexpr COLORREF kGreenColour = RGB(0, 128, 0);
constexpr COLORREF kLinkText = RGB(0, 0, 255);
constexpr COLORREF kNewsText = RGB(0, 96, 192);
constexpr COLORREF kNewsBack = RGB(255, 255, 255);

bool OnPage(const LayoutRow& row) { return row.page != Page::None; }

// The screen's DPI for a window (per monitor where the system knows it), else the system DPI.
int DpiOf(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (hwnd && getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// A copy of the bitmap at the given size (smoothly scaled), owned by the caller.
HBITMAP ScaledBitmap(HBITMAP source, int width, int height) {
    BITMAP info{};
    if (!source || !GetObjectW(source, sizeof(info), &info)) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP result = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldFrom = SelectObject(from, source);
    HGDIOBJ oldTo = SelectObject(to, result);
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return result;
}

}  // namespace

bool MainWindow::Create(HINSTANCE instance, EventHandler onEvent, DestroyHandler onDestroying) {
    instance_ = instance;
    onEvent_ = std::move(onEvent);
    onDestroying_ = std::move(onDestroying);
    faceBrush_ = GetSysColorBrush(COLOR_BTNFACE);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);

    // Fixed size, scaled to the screen's DPI, centred on the work area of the primary screen.
    dpi_ = DpiOf(nullptr);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + (work.right - work.left - Scale(kMainWindowWidth)) / 2;
    const int y = work.top + (work.bottom - work.top - Scale(kMainWindowHeight)) / 2;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    hwnd_ = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kWindowClass, Utf8ToWide(kMainWindowTitle).c_str(),
                            style, x, y, Scale(kMainWindowWidth), Scale(kMainWindowHeight), nullptr, nullptr,
                            instance, this);
    if (!hwnd_) return false;
    // The monitor the window landed on may have another DPI than the system's.
    if (const int dpi = DpiOf(hwnd_); dpi != dpi_) ApplyDpi(dpi, nullptr);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    return true;
}

HWND MainWindow::Control(const LayoutRow& row) const {
    const auto index = static_cast<size_t>(ControlIdOf(row) - kFirstControlId);
    return index < controls_.size() ? controls_[index] : nullptr;
}

const LayoutRow* MainWindow::RowOfId(int id) const {
    const auto layout = MainWindowLayout();
    const int index = id - kFirstControlId;
    return index >= 0 && index < static_cast<int>(layout.size()) ? &layout[static_cast<size_t>(index)] : nullptr;
}

bool MainWindow::TranslateDialogKeys(MSG& msg) { return hwnd_ && IsDialogMessageW(hwnd_, &msg); }

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->HandleMessage(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

// Page controls are children of the tab control; their notifications go to the window.
LRESULT CALLBACK MainWindow::TabProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<MainWindow*>(data);
    switch (msg) {
        case WM_COMMAND:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return self->HandleMessage(msg, wp, lp);
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lp)->hwndFrom != hwnd) return self->HandleMessage(msg, wp, lp);
            break;

        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case WM_NOTIFY: {
            const auto* hdr = reinterpret_cast<NMHDR*>(lp);
            if (hdr->hwndFrom == tab_ && hdr->code == TCN_SELCHANGE) {
                ShowPage(static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0)));
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN: {
            const HDC dc = reinterpret_cast<HDC>(wp);
            HWND control = reinterpret_cast<HWND>(lp);
            const LayoutRow* row = RowOfId(GetDlgCtrlID(control));
            if (row && (row->flags & kGreenText)) SetTextColor(dc, kGreenColour);
            if (row && row->kind == ControlKind::Link) SetTextColor(dc, kLinkText);
            if (msg == WM_CTLCOLOREDIT) {
                SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            if (row && GetParent(control) == tab_ && row->kind != ControlKind::Edit) {
                // Labels, radio buttons and group boxes on a page show the page through.
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            }
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(faceBrush_);
        }
        case WM_SETCURSOR:
            if (const LayoutRow* row = RowOfId(GetDlgCtrlID(reinterpret_cast<HWND>(wp)));
                row && row->kind == ControlKind::Link) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_DPICHANGED:
            // Moved to a screen with another DPI: lay everything out again at the new scale.
            ApplyDpi(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_DESTROY:
            if (onDestroying_) onDestroying_();
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void MainWindow::OnCommand(int id, int code, HWND control) {
    if (id == IDCANCEL && !control) {
        // Esc (through the dialog keys) closes the window like the close box.
        SendMessageW(hwnd_, WM_CLOSE, 0, 0);
        return;
    }
    const LayoutRow* row = RowOfId(id);
    if (!row) return;
    if (row->kind == ControlKind::RadioButton && code == BN_CLICKED) {
        for (const LayoutRow& other : MainWindowLayout()) {
            if (other.kind == ControlKind::RadioButton && other.radioGroup == row->radioGroup) {
                SendMessageW(Control(other), BM_SETCHECK, &other == row ? BST_CHECKED : BST_UNCHECKED, 0);
            }
        }
        return;
    }
    const bool clicked = (row->kind == ControlKind::Button && code == BN_CLICKED) ||
                         (row->kind == ControlKind::Link && code == STN_CLICKED);
    if (clicked && row->event != UiEvent::None && onEvent_) {
        BusyScope busy(hwnd_);
        onEvent_(row->event);
    }
}

int MainWindow::Scale(int value) const { return MulDiv(value, dpi_, 96); }

void MainWindow::CreateFonts() {
    LOGFONTW arial{};
    arial.lfHeight = -Scale(12);
    arial.lfWeight = FW_NORMAL;
    arial.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(arial.lfFaceName, L"Arial");
    arialFont_.reset(CreateFontIndirectW(&arial));
    LOGFONTW link = arial;
    link.lfUnderline = TRUE;
    linkFont_.reset(CreateFontIndirectW(&link));
    // The default GUI font as it is at 96 DPI, scaled; at 96 DPI the stock font itself.
    guiFont_.reset();
    if (dpi_ != 96) {
        LOGFONTW gui{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
        const int systemDpi = DpiOf(nullptr);
        gui.lfHeight = MulDiv(MulDiv(gui.lfHeight, 96, systemDpi), dpi_, 96);
        gui.lfWidth = 0;
        guiFont_.reset(CreateFontIndirectW(&gui));
    }
}

HGDIOBJ MainWindow::FontFor(const LayoutRow& row) const {
    if (row.kind == ControlKind::Link) return linkFont_.get();
    if (row.flags & kFontArial) return arialFont_.get();
    return guiFont_ ? guiFont_.get() : GetStockObject(DEFAULT_GUI_FONT);
}

Rect MainWindow::ScaledPosition(const LayoutRow& row) const {
    const Rect r = PositionInContainer(row);
    return {Scale(r.x), Scale(r.y), Scale(r.width), Scale(r.height)};
}

void MainWindow::ApplyDpi(int dpi, const RECT* suggested) {
    dpi_ = dpi;
    if (suggested) {
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(hwnd_, nullptr, 0, 0, Scale(kMainWindowWidth), Scale(kMainWindowHeight),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
    CreateFonts();
    const auto layout = MainWindowLayout();
    for (size_t i = 0; i < layout.size(); ++i) {
        const LayoutRow& row = layout[i];
        const Rect r = ScaledPosition(row);
        SetWindowPos(controls_[i], nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(row)), TRUE);
        if (row.kind == ControlKind::Picture) SetBanner(controls_[i], r);
        if (row.kind == ControlKind::ListView) {
            for (int c = 0; c < 2; ++c) {
                SendMessageW(controls_[i], LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c),
                             MAKELPARAM(Scale(kNewsColumnWidths[c]), 0));
            }
        }
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::SetBanner(HWND control, const Rect& r) {
    if (!bannerSource_) bannerSource_.reset(LoadBannerBitmap(instance_));
    HBITMAP source = static_cast<HBITMAP>(bannerSource_.get());
    if (dpi_ == 96) {
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(source));
    } else {
        BITMAP info{};
        GetObjectW(source, sizeof(info), &info);
        bannerBitmap_.reset(ScaledBitmap(source, Scale(info.bmWidth), Scale(info.bmHeight)));
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bannerBitmap_.get()));
    }
    // The picture keeps its laid-out size; the banner is clipped to it.
    SetWindowPos(control, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::CreateControls() {
    CreateFonts();

    const auto layout = MainWindowLayout();
    controls_.assign(layout.size(), nullptr);
    for (size_t i = 0; i < layout.size(); ++i) {
        const LayoutRow& row = layout[i];
        controls_[i] = CreateControl(row, OnPage(row) ? tab_ : hwnd_);
        if (row.kind == ControlKind::Tab) tab_ = controls_[i];
    }
    // Group boxes go to the bottom of the z-order so they never cover their contents.
    for (size_t i = 0; i < layout.size(); ++i) {
        if (layout[i].kind == ControlKind::GroupBox) {
            SetWindowPos(controls_[i], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    ShowPage(static_cast<int>(Page::Home));
}

HWND MainWindow::CreateControl(const LayoutRow& row, HWND parent) {
    const Rect r = ScaledPosition(row);
    const std::wstring text = Utf8ToWide(InitialText(row));
    DWORD style = WS_CHILD;
    DWORD exStyle = 0;
    const wchar_t* cls = WC_STATICW;
    if (!OnPage(row) && !(row.flags & kHidden)) style |= WS_VISIBLE;
    if (row.flags & kDisabled) style |= WS_DISABLED;

    switch (row.kind) {
        case ControlKind::Picture: style |= SS_BITMAP; break;
        case ControlKind::Tab:
            cls = WC_TABCONTROLW;
            style |= WS_CLIPSIBLINGS | WS_TABSTOP;
            exStyle |= WS_EX_CONTROLPARENT;
            break;
        case ControlKind::GroupBox: cls = WC_BUTTONW; style |= BS_GROUPBOX; break;
        case ControlKind::Label:
            style |= (row.flags & kCentered) ? SS_CENTER : (row.flags & kWordWrap) ? SS_LEFT : SS_LEFTNOWORDWRAP;
            style |= SS_NOPREFIX;
            break;
        case ControlKind::RadioButton: cls = WC_BUTTONW; style |= BS_RADIOBUTTON | WS_TABSTOP; break;
        case ControlKind::Button: cls = WC_BUTTONW; style |= BS_PUSHBUTTON | WS_TABSTOP; break;
        case ControlKind::Edit:
            cls = WC_EDITW;
            style |= ES_AUTOHSCROLL | WS_TABSTOP;
            if (!(row.flags & kBorderless)) exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::ProgressBar:
            cls = PROGRESS_CLASSW;
            style |= PBS_SMOOTH;
            exStyle |= WS_EX_STATICEDGE;
            break;
        case ControlKind::Link: style |= SS_NOTIFY | SS_LEFTNOWORDWRAP | SS_NOPREFIX; break;
        case ControlKind::ListView:
            cls = WC_LISTVIEWW;
            style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
    }

    HWND control = CreateWindowExW(exStyle, cls, text.c_str(), style, r.x, r.y, r.width, r.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdOf(row))), instance_,
                                   nullptr);
    if (!control) return nullptr;

    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(row)), FALSE);

    switch (row.kind) {
        case ControlKind::Picture:
            SetBanner(control, r);
            break;
        case ControlKind::Tab:
            SetWindowSubclass(control, TabProc, 1, reinterpret_cast<DWORD_PTR>(this));
            for (int i = 0; i < kPageCount; ++i) {
                std::wstring title = Utf8ToWide(kPageTitles[i]);
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = title.data();
                SendMessageW(control, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            }
            break;
        case ControlKind::ProgressBar:
            SendMessageW(control, PBM_SETRANGE32, 0, kProgressRange);
            SendMessageW(control, PBM_SETPOS, 0, 0);
            break;
        case ControlKind::ListView:
            ListView_SetTextColor(control, kNewsText);
            ListView_SetTextBkColor(control, kNewsBack);
            ListView_SetBkColor(control, kNewsBack);
            for (int c = 0; c < 2; ++c) {
                std::wstring title = Utf8ToWide(kNewsColumnTitles[c]);
                LVCOLUMNW col{};
                col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
                col.pszText = title.data();
                col.cx = Scale(kNewsColumnWidths[c]);
                col.iSubItem = c;
                SendMessageW(control, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
            }
            break;
        default:
            break;
    }
    return control;
}

void MainWindow::ShowPage(int page) {
    const auto layout = MainWindowLayout();
    for (size_t i = 0; i < layout.size(); ++i) {
        const LayoutRow& row = layout[i];
        if (!OnPage(row) || (row.flags & kHidden)) continue;
        ShowWindow(controls_[i], static_cast<int>(row.page) == page ? SW_SHOWNA : SW_HIDE);
    }
}

std::string MainWindow::ReadText(TextField field) {
    const LayoutRow* row = FindFieldRow(field);
    HWND control = row ? Control(*row) : nullptr;
    if (!control) return {};
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(got));
    return WideToUtf8(text);
}

void MainWindow::ReplaceText(TextField field, const std::string& text) {
    if (const LayoutRow* row = FindFieldRow(field)) SetControlText(*row, Utf8ToWide(text));
}

void MainWindow::ReplaceTextBytes(TextField field, const Bytes& bytes) {
    if (const LayoutRow* row = FindFieldRow(field)) SetControlText(*row, AnsiToWide(bytes));
}

void MainWindow::SetControlText(const LayoutRow& row, const std::wstring& text) {
    HWND control = Control(row);
    SetWindowTextW(control, text.c_str());
    if (row.kind == ControlKind::Label) {
        // A transparent label does not erase its old text: let the page repaint under it.
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        InvalidateRect(GetParent(control), &r, TRUE);
    }
}

bool MainWindow::IsSelected(Choice choice) {
    const LayoutRow* row = FindChoiceRow(choice);
    return row && SendMessageW(Control(*row), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::DisableRestoreButton() {
    if (const LayoutRow* row = FindFlagRow(kRestoreButton)) EnableWindow(Control(*row), FALSE);
}

void MainWindow::SetProgressPosition(int position) {
    if (const LayoutRow* row = FindFlagRow(kUpdateProgressBar)) {
        SendMessageW(Control(*row), PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
}

void MainWindow::AppendNewsRow() {
    const LayoutRow* row = FindFlagRow(kNewsList);
    if (!row) return;
    HWND list = Control(*row);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(L"");
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void MainWindow::SetNewsCell(int rowIndex, int column, const std::string& text) {
    const LayoutRow* row = FindFlagRow(kNewsList);
    if (!row) return;
    std::wstring wtext = Utf8ToWide(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wtext.data();
    SendMessageW(Control(*row), LVM_SETITEMTEXTW, static_cast<WPARAM>(rowIndex), reinterpret_cast<LPARAM>(&item));
}
