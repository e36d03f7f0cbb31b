#pragma once
#include <cstdint>
#include <string>

#include "ui/UiControl.h"

// One line of typed text (the save screen's slot names, the lobby's chat).
// The screens that own a field decide which keys edit it; the field keeps
// the text, filters what is put into it and shows whether it takes typing.
class EditField : public UiControl {
public:
    // What SetFilteredText keeps.
    static constexpr int32_t kFilterUpToReturn = 1;   // everything before a carriage return
    static constexpr int32_t kFilterPrintable = 2;    // characters 32 to 127
    static constexpr int32_t kFilterDigits = 3;       // decimal digits
    static constexpr int32_t kFilterMoney = 4;        // digits behind a "$"
    // The buffer of a new field, terminator included.
    static constexpr size_t kInitialCapacity = 20;
    // The frame's second value while the field takes typing, and while not.
    static constexpr int32_t kActiveFrameValue = 255;
    static constexpr int32_t kInactiveFrameValue = 192;

    using UiControl::UiControl;

    // Any length; the buffer grows to hold it.
    void SetText(const char* text);
    const char* GetText() const { return text_.c_str(); }
    uint32_t IsActive() const { return active_; }
    void Deactivate() { active_ = 0; }
    uint32_t ToggleActive() { return active_ = active_ != 0 ? 0 : 1; }
    // Only while active and for a text: the text through the filter mode,
    // at most what the buffer holds; then a redraw request.
    void SetFilteredText(const char* text);

    // The frame, lit while active, then the text.
    void RefreshActive();
    // The text in the palette's white and the font "ttf".
    int32_t Draw(int32_t flag) override;

    int32_t filterMode = kFilterUpToReturn;

private:
    std::string text_;
    size_t capacity_ = kInitialCapacity;   // bytes of the buffer, terminator included
    uint32_t active_ = 0;
};
