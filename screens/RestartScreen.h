#pragma once
#include <cstdint>

#include "ui/MenuScreen.h"

// The yes/no page after the player's ship was lost in a single-player game:
// Yes flies the mission again from the launch's automatic save, No accepts
// the loss and goes on in the hangar, or, with no ship left to fly, ends the
// campaign with a movie and goes back to the lobby.
class RestartScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "RESTART";
    static constexpr const char* kPanelName = "remain";
    static constexpr const char* kMovieName = "Midgame4.mpg";
    static constexpr uint16_t kCodeYesKey = 0x0001;
    static constexpr uint16_t kCodeNoKey = 0x0002;
    static constexpr uint16_t kCodeNo = 0x0004;
    static constexpr uint16_t kCodeYes = 0x0008;
    static constexpr uint16_t kCodeHelp = 0x0020;
    static constexpr uint16_t kCodeFocusNext = 0x0040;
    static constexpr uint16_t kCodeFocusPrevious = 0x0080;
    static constexpr uint16_t kCodeActivate = 0x0101;

    // What the page says: what happened, the question, and what each answer does.
    static constexpr const char* kLostText = "YOUR SHIP WAS DESTROYED";
    static constexpr const char* kQuestionText = "Fly the mission again?";
    static constexpr const char* kYesText = "YES: fly it again from its launch";
    static constexpr const char* kNoText = "NO: take the loss and go on in the hangar";
    static constexpr const char* kNoLastShipText = "NO: no ship is left to fly: the career ends";

    explicit RestartScreen(const char* screenName = kScreenName);

    void Open() override;
    void Close() override;
    int32_t HandleEvent(uint16_t code) override;

    // The movie player (the shell's); null plays nothing.
    static inline int32_t (*playMovie)(const char* path, uint32_t noSkipMs) = nullptr;
    // Brings the lobby back to its front menu; null until there is a lobby.
    static inline void (*resetLobby)(Screen& lobby) = nullptr;

    ArtObject* panel = nullptr;   // owned through artObjects

protected:
    void DrawOverPanels() override;

private:
    int32_t ButtonRow(uint16_t code, const char* button, const char* topic, bool yes);
    int32_t Yes();
    // `newCareer`: the direct No, which also starts over when no ship is left.
    int32_t No(bool newCareer);
    int32_t Leave();
};
