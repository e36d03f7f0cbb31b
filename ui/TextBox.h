#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/TextBlock.h"
#include "ui/UiControl.h"

// Word-wrapped pages of text in the font "ttf": a list of text blocks of
// which the box shows one, the current block. SetText appends a block; a
// screen replaces a box's text with Clear and then SetText.
class TextBox : public UiControl {
public:
    static constexpr const char* kFontName = "ttf";
    // A block is this much narrower and lower than the box.
    static constexpr int32_t kBlockInset = 5;

    using UiControl::UiControl;
    ~TextBox() override;

    void SetText(const char* text);
    // One block per text, one redraw request.
    void SetTexts(const std::vector<const char*>& texts);
    // One unwrapped line on the current block.
    void AddLine(const char* text);
    void Clear();
    TextBlock* GetBlock(int32_t index) const;
    // A non-negative index is held to the last block; any other gives -1.
    void SetCurrentBlock(int32_t index);
    void SelectBlockByFirstLine(const char* text);
    int32_t GetLineCount();
    const char* GetItem(int32_t index) const;
    void SetLine(int32_t index, const char* text);
    // Past the last line selects the last line; other values are stored as
    // given (-1 clears). The value stored, or the current block index when
    // there is no current block.
    int32_t SetSelection(int32_t index);
    void SelectLast();
    void SetTopLine(int32_t index);
    // The last page in view.
    void ScrollToEnd();
    // The first line that does not sort below the text, ignoring case; the
    // line count when none.
    int32_t FindInsertPosition(const char* text) const;

    // Without a frame and whatever the visible flag: the current block.
    int32_t Refresh(int32_t flag) override;
    int32_t Draw(int32_t flag) override;
    // Scrolls a page less one line, a line per draw.
    virtual void PageDown();
    virtual void PageUp();

    int32_t currentBlock = 0;   // -1 after Clear

protected:
    // The font the box draws and pages in.
    virtual const char* DrawFont() const { return kFontName; }
    TextBlock* Current() const { return GetBlock(currentBlock); }

private:
    void AppendBlock(const char* text);
    void StartPage(int32_t direction);

    std::vector<std::unique_ptr<TextBlock>> blocks_;
};

// Appends `value` in decimal as a block of `box`; a null box is left alone.
void SetNumberText(TextBox* box, int32_t value);
