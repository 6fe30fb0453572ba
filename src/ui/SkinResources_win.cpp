#include "ui/SkinResources_win.h"

SkinResources& ProgramSkinResources() {
    static SkinResources resources;
    return resources;
}

void CreateSkinResources() {
    SkinResources& r = ProgramSkinResources();
    // 12 pixels at 96 DPI, scaled with the screen like the rest of the window.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    r.font = CreateFontW(MulDiv(12, dpi > 0 ? dpi : 96, 96), 0, 0, 0, 400, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0,
                         0, 0, L"宋体");
    r.buttonFace = GetSysColor(COLOR_BTNFACE);
}

void ReleaseSkinResources() {
    SkinResources& r = ProgramSkinResources();
    if (r.font) DeleteObject(r.font);
    r.font = nullptr;
}
