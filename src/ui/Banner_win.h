#pragma once
#include <windows.h>

// The banner JPEG from the exe's resources as a bitmap (owned by the caller), or nullptr.
HBITMAP LoadBannerBitmap(HINSTANCE instance);

// Resource id of the banner (RCDATA).
#define KORVANE_BANNER_RESOURCE 101
