#pragma once
#include <cstdint>

#include "ui/TextBox.h"

// A text box of selectable lines in the font "font07" (the rooms' mission,
// mail and news lists): a click on a line selects it.
class ListBox : public TextBox {
public:
    static constexpr const char* kListFontName = "font07";

    using TextBox::TextBox;

    // Selects the line of the current block under a point strictly inside
    // the region; asks for a redraw wherever the point is.
    void SelectAt(const FrameRect& point);
    int32_t GetSelection();
    const char* GetSelectedItem() const;
    void ClearSelection();
    // The list emptied down to one empty block, the current one, for a
    // screen to fill; that block, or null when there is none.
    TextBlock* StartOver();

protected:
    const char* DrawFont() const override { return kListFontName; }
};
