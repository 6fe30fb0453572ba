#pragma once
#include <windows.h>

// Drawing resources of the crystal skin, made once before the main window exists
// and kept until the process ends: the 12-pixel 宋体 GB2312 font and the button-face colour.
struct SkinResources {
    HFONT font = nullptr;
    COLORREF buttonFace = 0;
};

SkinResources& ProgramSkinResources();
void CreateSkinResources();
void ReleaseSkinResources();
