#include "platform/win32/WinRegistry.h"

#include <vector>

#include "platform/win32/WinHandles.h"
#include "platform/win32/WinText.h"

namespace {

HKEY RootKey(RegRoot root) {
    return root == RegRoot::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
}

}  // namespace

bool WinRegistry::WriteText(RegRoot root, const std::string& key, const std::string& valueName,
                            const std::string& text) {
    const std::wstring wkey = Utf8ToWide(key);
    unique_hkey hkey;
    if (RegOpenKeyExW(RootKey(root), wkey.c_str(), 0, KEY_WRITE, hkey.put()) != ERROR_SUCCESS &&
        RegCreateKeyExW(RootKey(root), wkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, hkey.put(), nullptr) !=
            ERROR_SUCCESS) {
        return false;
    }
    const std::wstring wtext = Utf8ToWide(text);
    const DWORD bytes = static_cast<DWORD>((wtext.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(hkey.get(), Utf8ToWide(valueName).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wtext.c_str()), bytes) == ERROR_SUCCESS;
}

std::string WinRegistry::ReadText(RegRoot root, const std::string& key, const std::string& valueName) {
    unique_hkey hkey;
    if (RegOpenKeyExW(RootKey(root), Utf8ToWide(key).c_str(), 0, KEY_READ, hkey.put()) != ERROR_SUCCESS) return {};
    const std::wstring wname = Utf8ToWide(valueName);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(hkey.get(), wname.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    // One spare character so a value stored without its terminating zero still ends.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
    DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(hkey.get(), wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    std::wstring value(buffer.data());
    if (type == REG_EXPAND_SZ) {
        const DWORD needed = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
        if (needed == 0) return {};
        std::wstring expanded(needed, L'\0');
        ExpandEnvironmentStringsW(value.c_str(), expanded.data(), needed);
        value.assign(expanded.c_str());
    }
    return WideToUtf8(value);
}

bool WinRegistry::DeleteValue(RegRoot root, const std::string& key, const std::string& valueName) {
    unique_hkey hkey;
    if (RegOpenKeyExW(RootKey(root), Utf8ToWide(key).c_str(), 0, KEY_WRITE, hkey.put()) != ERROR_SUCCESS) {
        return false;
    }
    return RegDeleteValueW(hkey.get(), Utf8ToWide(valueName).c_str()) == ERROR_SUCCESS;
}

bool WinRegistry::DeleteKey(RegRoot root, const std::string& key) {
    return RegDeleteKeyW(RootKey(root), Utf8ToWide(key).c_str()) == ERROR_SUCCESS;
}
