#pragma once
#include <cstdint>

#include "ui/MenuScreen.h"

// The titles of the voice messages delivered so far, the first in yellow
// with its speaker's face. It has no command of its own: the frame around
// it is the way out.
class VoiceScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "VOICE";
    static constexpr const char* kPanelName = "rqmain";
    static constexpr const char* kListName = "VoiceList";
    static constexpr const char* kFaceName = "Face";
    // In the palette lookup's byte order: red in the low byte.
    static constexpr uint32_t kFirstRowRgb = 0x00FFFF;
    static constexpr uint32_t kReadRgb = 0xDCDC50;
    static constexpr uint32_t kUnreadRgb = 0xFFFFC0;
    // Voice messages number their faces from here.
    static constexpr int32_t kFaceOffset = 112;

    explicit VoiceScreen(const char* screenName = kScreenName);

    void Open() override;
    void Close() override;
    int32_t HandleEvent(uint16_t) override { return 1; }

    void FillLists();

    uint32_t firstRowColour = 0;
    ArtObject* panel = nullptr;   // owned through artObjects
};
