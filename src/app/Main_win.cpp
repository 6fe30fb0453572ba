// KorvaneScan.exe: process start, the main window and the event loop.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/EventBindings.h"
#include "app/ProgramRecord.h"
#include "app/Startup.h"
#include "platform/win32/WinFeedClient.h"
#include "platform/win32/WinFileSystem.h"
#include "platform/win32/WinHeadProbe.h"
#include "platform/win32/WinLocalFiles.h"
#include "platform/win32/WinWorkerDisplay.h"
#include "platform/win32/WinWorkerThread.h"
#include "platform/win32/WinInetTransport.h"
#include "platform/win32/WinPaintingWait.h"
#include "platform/win32/WinRegistry.h"
#include "platform/win32/WinServices.h"
#include "platform/win32/WinText.h"
#include "platform/win32/WinXmlReader.h"
#include "ui/MainWindow_win.h"
#include "ui/CrystalProgressBar_win.h"
#include "ui/SkinResources_win.h"
#include "update/UpdateState.h"
#include "update/WindowWorkerDisplay.h"

namespace {

std::string ExePath() {
    std::vector<wchar_t> buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return WideToUtf8(std::wstring(buffer.data(), n));
}

struct WinProgramHost final : ProgramHost {
    HINSTANCE instance;
    MainWindow& window;
    WinShell& shell;
    AppContext& ctx;

    WinProgramHost(HINSTANCE i, MainWindow& w, WinShell& s, AppContext& c) : instance(i), window(w), shell(s), ctx(c) {}

    void SetWorkingDirectory(const std::string& runDirectory) override {
        SetCurrentDirectoryW(Utf8ToWide(runDirectory).c_str());
    }
    void CreateSkinResources() override { ::CreateSkinResources(); }
    bool CreateMainWindow() override {
        const bool created = window.Create(
            instance, [this](UiEvent e) { HandleUiEvent(e, ctx); }, [this] { HandleMainWindowDestroying(ctx); });
        shell.owner = window.Handle();
        return created;
    }
    void RunCreatedEvent() override {
        MainWindow::BusyScope busy(window.Handle());
        RunMainWindowCreatedEvent(ctx);
    }
    void RunEventLoop() override {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (window.TranslateDialogKeys(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    SetGuiThread();
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                              ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    WinRegistry registry;
    WinFileSystem files;
    WinInetTransport http;
    WinMessages messages;
    WinProcesses processes;
    WinShell shell;
    WinClock clock;
    MainWindow window;
    ProgramRecord program;
    WinFeedClient feed;
    WinXmlReader xml;
    AppContext ctx{registry, files, http, messages, processes, shell, clock, window, program, feed, xml};

    // The database update: the skinned bar, the worker thread and its hand-over to the GUI thread.
    CrystalProgressBar progressBar;
    UpdateBarSkin barSkin(progressBar, [&window] { return window.Control(*FindFlagRow(kUpdateProgressBar)); });
    WinWorkerThread updateThread;
    WindowWorkerDisplay windowDisplay(window, barSkin);
    WinWorkerDisplay updateDisplay(windowDisplay);
    WinLocalFiles localFiles;
    WinHeadProbe headProbe;
    UpdateState updateState(updateThread, barSkin);
    UpdateContext update{updateState, localFiles, updateDisplay, headProbe};
    ctx.update = &update;

    WinProgramHost host(instance, window, shell, ctx);
    const int code = RunProgram(host, ExePath(), program.runDirectory);
    // A stopped worker still blocked in a network read is cut off from every
    // change; end the process now instead of unwinding what it still refers to.
    if (updateThread.Running()) ExitProcess(static_cast<UINT>(code));
    ReleaseSkinResources();
    OleUninitialize();
    return code;
}
