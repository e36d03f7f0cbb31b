#include "ui/TextBlock.h"

#include <algorithm>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "ui/ScreenRedraw.h"

namespace {

// Packed red in the low byte, then green, blue.
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreen = 0x00FF00;
// The text's background: left as it is.
constexpr uint32_t kClearBackground = 0xFF;

int32_t LinePitch() { return int32_t(FontHeight()) + 2; }

Palette* TextPalette() {
    if (g_gameState == nullptr) return nullptr;
    if (g_gameState->textPalette == nullptr) {
        g_gameState->textPalette = g_gameState->LoadPalette(TextBlock::kTextPaletteName);
    }
    return g_gameState->textPalette;
}

}  // namespace

void TextBlock::SetText(const char* text) {
    scrollRequest = 0;
    pageLines = 0;
    selection = -1;
    topLine = -1;
    lines.clear();
    if (text == nullptr) return;

    const std::string copy(text);
    const size_t none = std::string::npos;
    const int32_t limit = width - kWrapMargin;
    size_t lineStart = 0;
    size_t breakAt = none;   // the blank the line would end at
    int32_t lineWidth = 0;
    size_t i = 0;
    const auto endLine = [&](size_t end, size_t next) {
        lines.push_back(copy.substr(lineStart, end - lineStart));
        lineStart = i = next;
        breakAt = none;
        lineWidth = 0;
    };
    for (;;) {
        if (i == copy.size()) {
            if (i > lineStart) lines.push_back(copy.substr(lineStart));
            break;
        }
        const char c = copy[i];
        if (c == ' ') {
            breakAt = i++;
            lineWidth += int32_t(FontCharWidth(' '));
        } else if (c == '\n') {
            endLine(i, i + 1);
        } else if (lineWidth < limit) {
            lineWidth += int32_t(FontCharWidth(c));
            ++i;
        } else if (breakAt == lineStart) {
            // A blank that starts the line would end it empty: it goes, and
            // the word after it is measured afresh.
            lineStart = i = breakAt + 1;
            breakAt = none;
            lineWidth = 0;
        } else if (breakAt != none) {
            // The characters after the blank are measured again as the start
            // of the next line.
            endLine(breakAt, breakAt + 1);
        } else {
            // A word wider than the line breaks before the character that
            // overflows; a line takes at least one character, so a block
            // narrower than the margin still ends.
            const size_t end = i > lineStart ? i : i + 1;
            endLine(end, end);
        }
    }
    topLine = 0;
}

void TextBlock::AddItem(const char* text) {
    lines.emplace_back(text != nullptr ? text : "");
    if (topLine == -1) topLine = 0;
}

void TextBlock::SetLine(int32_t index, const char* text) {
    if (index < 0 || index > LastLine()) return;
    lines[size_t(index)] = text != nullptr ? text : "";
}

const char* TextBlock::GetLine(int32_t index) const {
    return index >= 0 && index <= LastLine() ? lines[size_t(index)].c_str() : nullptr;
}

const char* TextBlock::GetSelectedItem() const { return GetLine(selection); }

int32_t TextBlock::GetSelection() {
    if (lines.empty() || selection < 0) {
        selection = -1;
        return -1;
    }
    return std::min(selection, LastLine());
}

void TextBlock::SetSelection(int32_t index) {
    if (index < 1) index = 0;
    if (index > LastLine()) index = LastLine();
    selection = index;
}

void TextBlock::SetTopLine(int32_t index) { topLine = index > LineCount() ? LastLine() : index; }

int32_t TextBlock::ScrollDownOne() {
    if (topLine < LineCount()) ++topLine;
    return topLine;
}

void TextBlock::ShowLast(int32_t n) { topLine = std::max(0, LastLine() - n + 1); }

void TextBlock::SelectAt(int32_t y, int32_t regionTop) {
    const int32_t pitch = LinePitch();
    const int32_t page = height / pitch;
    const int32_t line = (y - regionTop) / pitch + topLine;
    if (line < 0) {
        selection = 0;
    } else if (line < LineCount() && line < topLine + page) {
        selection = line;
    } else if (topLine + page > LastLine()) {
        selection = LastLine();
    } else {
        selection = topLine + page;
    }
}

void TextBlock::ScrollStep() {
    if (scrollRequest > 0) {
        if (topLine + pageLines < LineCount()) {
            ++topLine;
            --scrollRequest;
        } else {
            scrollRequest = 0;
        }
        RequestScreenRedraw();
    } else if (scrollRequest < 0) {
        if (topLine > 0) {
            --topLine;
            ++scrollRequest;
        } else {
            scrollRequest = 0;
        }
        RequestScreenRedraw();
    }
}

void TextBlock::Draw(int32_t x, int32_t y) {
    ScrollStep();
    if (topLine == -1) return;
    Canvas* const canvas = g_gameCanvas;
    Palette* const own = canvas != nullptr ? canvas->palette : nullptr;
    Palette* palette = TextPalette();
    if (palette == nullptr) palette = own;
    if (canvas != nullptr) canvas->palette = palette;

    const int32_t pitch = LinePitch();
    for (int32_t i = std::max(topLine, 0); i < LineCount() && (i - topLine) * pitch < height; ++i) {
        uint32_t colour = 0;
        if (i == selection) {
            colour = palette != nullptr ? palette->MatchColor(kWhite) : 0;
        } else if (size_t(i) < lineColours.size()) {
            colour = lineColours[size_t(i)];
        } else {
            colour = palette != nullptr ? palette->MatchColor(kGreen) : 0;
        }
        SetFontColors(colour, kClearBackground);
        DrawString(lines[size_t(i)].c_str(), x, y + (i - topLine) * pitch, 0);
    }
    if (canvas != nullptr) canvas->palette = own;
}
