#pragma once
#include "scan/ScanCommands.h"

struct AppContext;

// Carries out the first selected choice of page Home, in the fixed order of the
// Home choices; nothing when none is selected.
void HandleHomeOk(AppContext& ctx);

// Starts the scanner for one of the three scans without a folder.
void StartScan(AppContext& ctx, ScanMode mode);
// Asks for a folder and scans it; a cancelled browser starts nothing.
void ScanCustomFolder(AppContext& ctx);
