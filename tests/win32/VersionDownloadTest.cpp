// The release package's hand-off to the system's download dialog. Wine's
// DoFileDownload does nothing, so the test puts a recorder in its place inside
// this process and checks what WinShell hands to it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/WinServices.h"
#include "platform/win32/WinText.h"

namespace {

std::vector<std::wstring> g_handedOver;

HRESULT WINAPI RecordDownload(LPCWSTR url) {
    g_handedOver.emplace_back(url);
    return S_OK;
}

// Sends every call of a function of a loaded DLL to a replacement with the same
// signature while the object lives: its first five bytes become a relative jump.
class Detour {
public:
    Detour(void* target, void* replacement) : target_(static_cast<unsigned char*>(target)) {
        VirtualProtect(target_, 5, PAGE_EXECUTE_READWRITE, &protection_);
        std::memcpy(saved_, target_, 5);
        const auto rel = static_cast<std::int32_t>(static_cast<unsigned char*>(replacement) - (target_ + 5));
        unsigned char jump[5] = {0xE9};
        std::memcpy(jump + 1, &rel, 4);
        std::memcpy(target_, jump, 5);
        FlushInstructionCache(GetCurrentProcess(), target_, 5);
    }
    ~Detour() {
        std::memcpy(target_, saved_, 5);
        DWORD ignored = 0;
        VirtualProtect(target_, 5, protection_, &ignored);
        FlushInstructionCache(GetCurrentProcess(), target_, 5);
    }
    Detour(const Detour&) = delete;
    Detour& operator=(const Detour&) = delete;

private:
    unsigned char* target_;
    unsigned char saved_[5] = {};
    DWORD protection_ = 0;
};

}  // namespace

TEST(VersionDownload, ReleaseUrlGoesWholeToTheSystemsDownloadDialog) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    HMODULE shdocvw = LoadLibraryW((std::wstring(system) + L"\\shdocvw.dll").c_str());
    ASSERT_NE(shdocvw, nullptr);
    void* entry = reinterpret_cast<void*>(GetProcAddress(shdocvw, "DoFileDownload"));
    ASSERT_NE(entry, nullptr);

    const std::string urls[] = {
        "http://localhost:81/eset/Korvane_Scan.zip",
        "http://更新.example:81/eset/扫描 程序.zip",
        "http://localhost:81/eset/" + std::string(3000, 'a') + ".zip",  // longer than 1023 units: not cut
    };
    Detour detour(entry, reinterpret_cast<void*>(&RecordDownload));
    WinShell shell;
    for (const auto& url : urls) {
        g_handedOver.clear();
        shell.OfferDownload(url);
        ASSERT_EQ(g_handedOver.size(), 1u) << url;
        EXPECT_EQ(g_handedOver[0], Utf8ToWide(url)) << url;
    }
    FreeLibrary(shdocvw);
}
