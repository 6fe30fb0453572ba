#include "scan/HomeOk.h"

#include "app/AppContext.h"

void HandleHomeOk(AppContext&) {
    // Bound to its button; the action itself is not built yet.
}
