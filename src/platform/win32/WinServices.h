#pragma once
#include <windows.h>

#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Processes.h"
#include "platform/Shell.h"

struct WinMessages final : Messages {
    void ShowMessage(const std::string& text, const std::string& caption) override;
};

struct WinProcesses final : Processes {
    bool StartProgram(const std::string& commandLine, ShowMode show, WaitMode wait) override;
};

struct WinShell final : Shell {
    HWND owner = nullptr;  // owner of the folder browser: the main window
    void OpenDocument(const std::string& file, const std::string& parameters) override;
    void OpenAddress(const std::string& url) override;
    bool PickFolder(const std::string& title, bool newStyle, std::string& folder) override;
    void OfferDownload(const std::string& url) override;
};

struct WinClock final : Clock {
    std::uint32_t TickCount() override;
    void SleepMs(std::uint32_t ms) override;
};
