#pragma once

struct AppContext;

// Starts the restore tool data\KorvaneQR.exe.
void RunRestoreTool(AppContext& ctx);
// Runs data\copyQ.cmd when its radio button is selected.
void CopyToEsetQuarantine(AppContext& ctx);
