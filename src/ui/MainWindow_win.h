#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "platform/win32/WinHandles.h"
#include "ui/MainWindowLayout.h"
#include "ui/WindowFields.h"

// The program's one window, built from MainWindowLayout. It holds state (texts,
// selections) and forwards the user's events; the actions live elsewhere.
class MainWindow final : public WindowFields {
public:
    using EventHandler = std::function<void(UiEvent)>;
    using DestroyHandler = std::function<void()>;

    // Creates the window and all its controls, centred and shown, page Home selected.
    bool Create(HINSTANCE instance, EventHandler onEvent, DestroyHandler onDestroying);
    HWND Handle() const { return hwnd_; }
    HWND Control(const LayoutRow& row) const;
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
    void SetControlText(const LayoutRow& row, const std::wstring& text);
    void OnCommand(int id, int code, HWND control);
    const LayoutRow* RowOfId(int id) const;

    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND tab_ = nullptr;
    std::vector<HWND> controls_;  // one per layout row, same order
    unique_gdi arialFont_;
    unique_gdi linkFont_;
    unique_gdi bannerBitmap_;
    HBRUSH faceBrush_ = nullptr;
    EventHandler onEvent_;
    DestroyHandler onDestroying_;
};
