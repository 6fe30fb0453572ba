#pragma once
#include "ui/UiEvent.h"

struct AppContext;

// Runs the operation bound to a user event, synchronously on the GUI thread.
void HandleUiEvent(UiEvent event, AppContext& ctx);

// Bound to the main window's about-to-be-destroyed event.
void HandleMainWindowDestroying(AppContext& ctx);
