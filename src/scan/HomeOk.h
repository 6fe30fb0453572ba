#pragma once

struct AppContext;

// Carries out the selected choice of page Home.
void HandleHomeOk(AppContext& ctx);
