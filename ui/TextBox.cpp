#include "ui/TextBox.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "display/FontContext.h"
#include "engine/TextCompare.h"
#include "ui/ScreenRedraw.h"

TextBox::~TextBox() = default;

void TextBox::AppendBlock(const char* text) {
    auto block = std::make_unique<TextBlock>(width - kBlockInset, height - kBlockInset);
    block->SetText(text);
    blocks_.push_back(std::move(block));
    if (currentBlock == -1) currentBlock = 0;
}

void TextBox::SetText(const char* text) {
    SelectFont(kFontName);
    AppendBlock(text);
    RequestScreenRedraw();
}

void TextBox::SetTexts(const std::vector<const char*>& texts) {
    SelectFont(kFontName);
    for (const char* text : texts) AppendBlock(text);
    RequestScreenRedraw();
}

void TextBox::AddLine(const char* text) {
    SelectFont(kFontName);
    if (TextBlock* const block = Current()) block->AddItem(text);
    RequestScreenRedraw();
}

void TextBox::Clear() {
    blocks_.clear();
    currentBlock = -1;
    RequestScreenRedraw();
}

TextBlock* TextBox::GetBlock(int32_t index) const {
    return index >= 0 && index < int32_t(blocks_.size()) ? blocks_[size_t(index)].get() : nullptr;
}

void TextBox::SetCurrentBlock(int32_t index) {
    currentBlock = index > -1 ? std::min(index, int32_t(blocks_.size()) - 1) : -1;
    RequestScreenRedraw();
}

void TextBox::SelectBlockByFirstLine(const char* text) {
    if (text != nullptr) {
        for (size_t i = 0; i < blocks_.size(); ++i) {
            const char* const first = blocks_[i]->GetLine(0);
            if (first != nullptr && std::strcmp(first, text) == 0) {
                currentBlock = int32_t(i);
                break;
            }
        }
    }
    RequestScreenRedraw();
}

int32_t TextBox::GetLineCount() {
    if (currentBlock > int32_t(blocks_.size()) - 1) currentBlock = int32_t(blocks_.size()) - 1;
    const TextBlock* const block = Current();
    return block != nullptr ? block->LineCount() : 0;
}

const char* TextBox::GetItem(int32_t index) const {
    const TextBlock* const block = Current();
    return block != nullptr ? block->GetLine(index) : nullptr;
}

void TextBox::SetLine(int32_t index, const char* text) {
    if (TextBlock* const block = Current()) block->SetLine(index, text);
}

int32_t TextBox::SetSelection(int32_t index) {
    TextBlock* const block = Current();
    if (block == nullptr) return currentBlock;
    if (index > block->LastLine()) index = block->LastLine();
    block->selection = index;
    return index;
}

void TextBox::SelectLast() {
    if (TextBlock* const block = Current()) block->selection = block->LastLine();
}

void TextBox::SetTopLine(int32_t index) {
    if (TextBlock* const block = Current()) block->SetTopLine(index);
}

void TextBox::ScrollToEnd() {
    if (TextBlock* const block = Current()) {
        const int32_t page = height / (int32_t(FontHeight()) + 2);
        block->topLine = std::max(0, block->LastLine() - page + 1);
    }
    RequestScreenRedraw();
}

int32_t TextBox::FindInsertPosition(const char* text) const {
    const TextBlock* const block = Current();
    if (block == nullptr) return 0;
    for (int32_t i = 0; i < block->LineCount(); ++i) {
        if (text::_stricmp(block->lines[size_t(i)].c_str(), text != nullptr ? text : "") >= 0) return i;
    }
    return block->LineCount();
}

int32_t TextBox::Refresh(int32_t) {
    SelectFont(DrawFont());
    return Draw(0);
}

int32_t TextBox::Draw(int32_t) {
    if (TextBlock* const block = Current()) block->Draw(RegionLeft(), RegionTop());
    return 0;
}

void TextBox::StartPage(int32_t direction) {
    SelectFont(DrawFont());
    const int32_t page = height / (int32_t(FontHeight()) + 2);
    if (TextBlock* const block = Current()) {
        block->pageLines = page;
        block->scrollRequest = direction * (page - 1);
    }
    RequestScreenRedraw();
}

void TextBox::PageDown() { StartPage(1); }

void TextBox::PageUp() { StartPage(-1); }

void SetNumberText(TextBox* box, int32_t value) {
    if (box != nullptr) box->SetText(std::to_string(value).c_str());
}
