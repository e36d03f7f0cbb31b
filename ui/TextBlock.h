#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One wrapped text with its own scroll position and selection: what a text
// box or list box shows of it. Lines are spaced the current font's height
// plus 2 pixels.
class TextBlock {
public:
    // The palette the text is coloured from when the game state names none.
    static constexpr const char* kTextPaletteName = "mastermenu";
    // A line takes further characters while its width is below the block's
    // width less this.
    static constexpr int32_t kWrapMargin = 20;

    TextBlock(int32_t blockWidth, int32_t blockHeight) : height(blockHeight), width(blockWidth) {}

    // Word wrap in the current font: the lines of `text` replace the block's
    // and the top line becomes 0. A null text leaves no lines and top line -1.
    void SetText(const char* text);
    // One line, unwrapped.
    void AddItem(const char* text);
    // Only for an existing line; null stores an empty one.
    void SetLine(int32_t index, const char* text);
    // Null when out of range.
    const char* GetLine(int32_t index) const;
    const char* GetSelectedItem() const;
    // The selection, held to the last line; -1 (also stored) without lines
    // or with a negative selection.
    int32_t GetSelection();
    // Below 1 selects 0, past the last line the last line.
    void SetSelection(int32_t index);
    void SetTopLine(int32_t index);
    int32_t ScrollDownOne();
    // The last n lines in view.
    void ShowLast(int32_t n);
    // The line under a pointer at y, the region's top at regionTop.
    void SelectAt(int32_t y, int32_t regionTop);
    // Plays one line of a pending scroll, then draws the visible lines from
    // (x, y) on the game canvas in the text palette.
    void Draw(int32_t x, int32_t y);

    int32_t LineCount() const { return int32_t(lines.size()); }
    int32_t LastLine() const { return LineCount() - 1; }

    int32_t scrollRequest = 0;   // lines still to scroll: positive down, negative up
    int32_t pageLines = 0;       // visible lines, stored by the page operations
    int32_t height;              // pixels for lines
    int32_t width;               // pixels for a line
    int32_t selection = -1;
    int32_t topLine = -1;        // -1 while the block has never held text
    std::vector<std::string> lines;
    // Optional palette index per line number; screens append to it.
    std::vector<uint32_t> lineColours;

private:
    void ScrollStep();
};
