#pragma once
#include <cstdint>

#include "screens/rooms/MessageReader.h"

class GameState;

// The reader of mission offers: accepting one sets its mission up, with a
// notice while it uploads and another once it is ready; launching goes on
// to the hangar, which flies the mission as soon as it opens.
class MissionsScreen : public MessageReader {
public:
    static constexpr const char* kScreenName = "MISSIONS";
    static constexpr const char* kAcceptButton = "Accept Missions Button";
    static constexpr const char* kLaunchButton = "Launch Button";
    static constexpr uint32_t kAcceptedRgb = 0x0000FF;   // red, in lookup order
    // How long each notice stays up.
    static constexpr uint32_t kNoticeMs = 4000;
    // The accept button is drawn pressed for this many draws.
    static constexpr int32_t kAcceptPressedDraws = 10;
    static constexpr int32_t kWaitCursor = 2;

    static constexpr uint16_t kCodeAccept = 0x0301;
    static constexpr uint16_t kCodeLaunch = 0x0302;

    static constexpr const char* kUploadingText = "Uploading Mission Data";
    static constexpr const char* kAcceptedText = "Mission Accepted";
    static constexpr const char* kRefusedText = "Another Mission Already Accepted";
    static constexpr const char* kLoadingText = "Mission Loading";

    // Upload states.
    static constexpr int32_t kIdle = 0;
    static constexpr int32_t kRequested = 1;
    static constexpr int32_t kUploading = 2;

    explicit MissionsScreen(const char* screenName = kScreenName);

    void Update() override;
    int32_t HandleEvent(uint16_t code) override;
    void FillLists() override;

    // The hangar launches the set-up mission when it opens; the hangar
    // screen's owner sets this so that the reader need not know it.
    static inline void (*setLaunchOnOpen)(Screen& hangar) = nullptr;
    // A launch from the menus: the accepted offer's row is forgotten.
    static void ForgetAcceptedRow(GameState& game);

    uint32_t acceptedColour = 0;
    int32_t uploadState = kIdle;
    int32_t acceptedRow = -1;
    // Each notice has its own flag: a young clock must not show both.
    uint32_t acceptedTime = 0;
    uint32_t refusedTime = 0;
    int32_t acceptedShown = 0;
    int32_t refusedShown = 0;

protected:
    MessageList* PageList(const ArtObject* page) const override;
    bool ClickMarksRead(const ArtObject* page) const override { return page == oldPage; }
    bool NewPageShut() const override;

private:
    void Accept();
    int32_t Launch();
    void Notice(const char* text, int32_t x);
};
