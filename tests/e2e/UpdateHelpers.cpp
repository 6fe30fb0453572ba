#include "UpdateHelpers.h"

#include "Driver.h"

namespace e2e {

namespace {
const wchar_t kX11Key[] = L"Software\\Wine\\X11 Driver";
const wchar_t kManaged[] = L"Managed";

void SetManaged(const wchar_t* value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kX11Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    if (value) {
        RegSetValueExW(key, kManaged, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>((lstrlenW(value) + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteValueW(key, kManaged);
    }
    RegCloseKey(key);
}
}  // namespace

UnmanagedWindows::UnmanagedWindows() {
    hadValue_ = ReadRegText(HKEY_CURRENT_USER, kX11Key, kManaged, previous_);
    SetManaged(L"N");
}

UnmanagedWindows::~UnmanagedWindows() { SetManaged(hadValue_ ? previous_.c_str() : nullptr); }

}  // namespace e2e
