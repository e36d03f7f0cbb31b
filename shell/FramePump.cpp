#include "shell/FramePump.h"

#include "display/DisplayDriver.h"
#include "platform/Window.h"
#include "shell/Startup.h"

int32_t PumpMessages() {
    if (g_mainWindow == nullptr) return 1;
    return g_mainWindow->PumpMessages() ? 1 : 0;
}

void FlipFrame() {
    if (g_display == nullptr) return;
    g_display->InvalidateAll();
    g_display->Present();
}
