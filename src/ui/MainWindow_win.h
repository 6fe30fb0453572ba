#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "platform/win32/WinHandles.h"
#include "ui/MainWindowLayout.h"
#include "ui/WindowFields.h"

// While the GUI thread runs start-up or an event's operation, the main window
// carries this property: UI automation (and our end-to-end tests) can tell a
// window that answers messages while it waits for the network from one that is
// ready for the next input.
inline constexpr wchar_t kBusyProperty[] = L"KorvaneScan.Busy";

// The program's one window, built from MainWindowLayout. It holds state (texts,
// selections) and forwards the user's events; the actions live elsewhere.
class MainWindow final : public WindowFields {
public:
    // Shows the window at the screen's DPI: every laid-out size is scaled by DPI / 96.
    using EventHandler = std::function<void(UiEvent)>;
    using DestroyHandler = std::function<void()>;

    // Creates the window and all its controls, centred and shown, page Home selected.
    bool Create(HINSTANCE instance, EventHandler onEvent, DestroyHandler onDestroying);
    HWND Handle() const { return hwnd_; }
    HWND Control(const LayoutRow& row) const;
    // Marks the window busy (kBusyProperty) for the life of the returned object.
    class BusyScope {
    public:
        explicit BusyScope(HWND hwnd) : hwnd_(hwnd) { SetPropW(hwnd_, kBusyProperty, reinterpret_cast<HANDLE>(1)); }
        ~BusyScope() { RemovePropW(hwnd_, kBusyProperty); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        HWND hwnd_;
    };
    // Lets the dialog keys work (Tab between controls, Esc closes); true when the message was taken.
    bool TranslateDialogKeys(MSG& msg);

    std::string ReadText(TextField field) override;
    void ReplaceText(TextField field, const std::string& text) override;
    void ReplaceTextBytes(TextField field, const Bytes& bytes) override;
    bool IsSelected(Choice choice) override;
    void DisableRestoreButton() override;
    void SetProgressPosition(int position) override;
    void AppendNewsRow() override;
    void SetNewsCell(int row, int column, const std::string& text) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    HWND CreateControl(const LayoutRow& row, HWND parent);
    void ShowPage(int page);
    int Scale(int value) const;  // a 96-DPI pixel size at the window's DPI
    void CreateFonts();
    HGDIOBJ FontFor(const LayoutRow& row) const;
    Rect ScaledPosition(const LayoutRow& row) const;
    void ApplyDpi(int dpi, const RECT* suggested);
    void SetBanner(HWND control, const Rect& r);
    void SetControlText(const LayoutRow& row, const std::wstring& text);
    void OnCommand(int id, int code, HWND control);
    const LayoutRow* RowOfId(int id) const;

    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND tab_ = nullptr;
    std::vector<HWND> controls_;  // one per layout row, same order
    unique_gdi arialFont_;
    unique_gdi linkFont_;
    unique_gdi guiFont_;         // the default GUI font scaled, when the DPI is not 96
    unique_gdi bannerSource_;    // the banner as decoded
    unique_gdi bannerBitmap_;    // the banner scaled to the DPI
    int dpi_ = 96;
    HBRUSH faceBrush_ = nullptr;
    EventHandler onEvent_;
    DestroyHandler onDestroying_;
};
