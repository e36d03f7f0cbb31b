#include "ui/ListBox.h"

#include "display/FontContext.h"
#include "ui/ScreenRedraw.h"

void ListBox::SelectAt(const FrameRect& point) {
    SelectFont(kListFontName);
    TextBlock* const block = Current();
    const FrameRect* const region = Region();
    if (block != nullptr && region != nullptr && region[0].screenX < point.screenX &&
        point.screenX < region[1].screenX && region[0].screenY < point.screenY && point.screenY < region[1].screenY) {
        block->SelectAt(point.screenY, region[0].screenY);
    }
    RequestScreenRedraw();
}

int32_t ListBox::GetSelection() {
    TextBlock* const block = Current();
    return block != nullptr ? block->GetSelection() : -1;
}

const char* ListBox::GetSelectedItem() const {
    const TextBlock* const block = Current();
    return block != nullptr ? block->GetSelectedItem() : nullptr;
}

void ListBox::ClearSelection() {
    if (TextBlock* const block = Current()) block->selection = -1;
    RequestScreenRedraw();
}

TextBlock* ListBox::StartOver() {
    Clear();
    SetText("");
    SetCurrentBlock(0);
    TextBlock* const block = GetBlock(0);
    if (block != nullptr) {
        block->lines.clear();
        block->lineColours.clear();
    }
    return block;
}
