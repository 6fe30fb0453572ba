#pragma once

struct AppContext;

// Compares the built-in version with the server's release version.
void CheckProgramVersion(AppContext& ctx);
