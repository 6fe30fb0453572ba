#include "ui/Banner_win.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstring>

HBITMAP LoadBannerBitmap(HINSTANCE instance) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(KORVANE_BANNER_RESOURCE), MAKEINTRESOURCEW(10));
    if (!found) return nullptr;
    const DWORD size = SizeofResource(instance, found);
    const void* data = LockResource(LoadResource(instance, found));
    if (!data || size == 0) return nullptr;

    // The picture decoder reads from a stream over a private copy of the bytes.
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) return nullptr;
    std::memcpy(GlobalLock(copy), data, size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        GlobalFree(copy);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HBITMAP result = nullptr;
    if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&picture)))) {
        OLE_HANDLE handle = 0;
        if (SUCCEEDED(picture->get_Handle(&handle))) {
            // The picture owns its bitmap; keep a copy that outlives it.
            result = static_cast<HBITMAP>(
                CopyImage(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0));
        }
        picture->Release();
    }
    stream->Release();
    return result;
}
