#include "game/DrawString.h"

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/TextCursor.h"

Canvas* g_gameCanvas = nullptr;

void DrawStringOn(Canvas& canvas, const char* text, int32_t x, int32_t y) {
    if (text == nullptr || g_fontContext == nullptr || g_fontContext->current == nullptr) return;
    // One lock for the whole line rather than one per glyph.
    const int32_t previousLock = canvas.Lock();
    TextCursor(&canvas, x, y).PutString(text);
    if (previousLock == 0) canvas.Unlock();
}

void DrawString(const char* text, int32_t x, int32_t y, int32_t) {
    if (g_gameCanvas != nullptr) DrawStringOn(*g_gameCanvas, text, x, y);
}
