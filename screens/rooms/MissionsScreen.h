#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "screens/rooms/MessageReader.h"

class GameState;

// The reader of mission offers: accepting one sets its mission up, with a
// notice while it uploads and another once it is ready, or, when the
// mission cannot be flown, one that says so with the set-up's first reasons
// under it; launching goes on to the hangar, which flies the mission as
// soon as it opens.
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
    static constexpr const char* kCannotFlyText = "Mission Cannot Be Flown";
    // At most this many lines of the set-up's report under it, the last ones.
    static constexpr int32_t kCannotFlyReasons = 3;
    static constexpr int32_t kNoticeY = 360;
    static constexpr int32_t kNoticeLineGap = 3;   // pixels between a notice's lines
    // The notices' reasons are centred on this column.
    static constexpr int32_t kNoticeCentre = 396;

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
    // Told each line of a notice as it goes up (a run's trace prints them).
    static inline void (*noticeShown)(const char* text) = nullptr;
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
    uint32_t cannotFlyTime = 0;
    int32_t cannotFlyShown = 0;
    std::vector<std::string> cannotFlyReasons;

protected:
    MessageList* PageList(const ArtObject* page) const override;
    bool ClickMarksRead(const ArtObject* page) const override { return page == oldPage; }
    bool NewPageShut() const override;

private:
    void Accept();
    int32_t Launch();
    void Notice(const char* text, int32_t x, int32_t y = kNoticeY);
    // The accepted mission cannot be flown: the notice and its reasons go up.
    void ShowCannotFly();
    static void Tell(const char* text);
};
