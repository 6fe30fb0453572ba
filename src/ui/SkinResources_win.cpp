#include "ui/SkinResources_win.h"

SkinResources& ProgramSkinResources() {
    static SkinResources resources;
    return resources;
}

void CreateSkinResources() {
    SkinResources& r = ProgramSkinResources();
    r.font = CreateFontW(12, 0, 0, 0, 400, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0, 0, 0, L"宋体");
    r.buttonFace = GetSysColor(COLOR_BTNFACE);
}

void ReleaseSkinResources() {
    SkinResources& r = ProgramSkinResources();
    if (r.font) DeleteObject(r.font);
    r.font = nullptr;
}
