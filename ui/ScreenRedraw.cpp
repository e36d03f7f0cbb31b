#include "ui/ScreenRedraw.h"

#include "game/GameState.h"
#include "ui/Screen.h"

Screen* CurrentScreen() { return g_gameState != nullptr ? g_gameState->currentScreen : nullptr; }

void RequestScreenRedraw() {
    Screen* const screen = CurrentScreen();
    if (screen == nullptr) return;
    screen->dirty = 1;
    screen->repaintCountdown = 2;
}
