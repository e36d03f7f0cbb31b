#pragma once
#include <cstdint>
#include <string>

#include "ui/MenuScreen.h"

class IffFile;
class TextBox;

// The one help pop-up of the run, laid over any screen (the host): the
// text of the host's section of "tutor.iff", or of one of its buttons' topic
// keys, in a paging text box with four sprite buttons. The first pop-up of
// a run shows the general introduction instead. It never runs as a screen
// of its own: the host's loop draws it while the host's tutorialActive is set.
class TutorialScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "TUT";
    static constexpr const char* kPanelName = "tumain";
    static constexpr const char* kTextName = "Text";
    static constexpr const char* kFileName = "tutor.iff";
    // The topic of a section's own overview.
    static constexpr const char* kOverviewKey = "NONE";
    // Topic keys are at most this long with their NUL; a longer one matches
    // nothing.
    static constexpr uint32_t kMaxKeyBytes = 128;
    // Event codes of the pop-up's map.
    static constexpr uint16_t kCodeClose = 0x0001;
    static constexpr uint16_t kCodeDeactivate = 0x0002;
    static constexpr uint16_t kCodePage = 0x0004;
    static constexpr uint16_t kCodeFocusNext = 0x0020;
    static constexpr uint16_t kCodeFocusPrevious = 0x0040;
    static constexpr uint16_t kCodeActivate = 0x0080;
    static constexpr uint16_t kCodePageUpKey = 0x0108;
    static constexpr uint16_t kCodePageDownKey = 0x0110;
    static constexpr uint16_t kCodeScrollUp = 0x0120;
    static constexpr uint16_t kCodeScrollDown = 0x0140;
    // The focus after an overview shown over a screen embedded in the frame menu.
    static constexpr int32_t kEmbeddedOverviewFocus = 19;
    // The backdrop the pop-up is drawn on, at its art's place: it holds the
    // text and the four buttons, and hides the screen beneath them, but not
    // the frame's column of menu buttons, which ends at x 52.
    static constexpr int32_t kBackdropLeft = 56;
    static constexpr int32_t kBackdropTop = 105;
    static constexpr int32_t kBackdropRight = 619;
    static constexpr int32_t kBackdropBottom = 305;
    // The backdrop keeps this far from the screen's top and bottom edges
    // wherever the pop-up slides.
    static constexpr int32_t kEdgeMargin = 2;

    explicit TutorialScreen(const char* screenName = kScreenName);
    ~TutorialScreen() override;

    // The host's section: a four-character tag as the file's bytes make it.
    void SetSection(uint32_t tag) { section = tag; }
    // The key becomes the topic, then Show.
    void ShowTopic(const char* key);
    // Fills the text box for the state: the introduction while it is
    // pending, else the section's overview or the topic's text.
    void Show();
    // The same from a "tutor.iff" the caller opened.
    void ShowFrom(IffFile& file);

    // What a host does: in its Open, the section and, while tutorials are
    // enabled, its overview; on a button's help event, that button's topic
    // whatever the flag. Both lay the game's pop-up over the host.
    static void OpenOverview(Screen& host, uint32_t sectionTag);
    static void OpenTopic(Screen& host, const char* key);

    // Slides the pop-up up or down, as little as will do, so that its
    // buttons cover no control of the screen it is laid over (the host that
    // opened it, else the current screen).
    void Open() override;
    void Close() override;
    // Without a text: 0 at once, nothing drawn. Else the backdrop, then the
    // panel over it.
    int32_t Draw() override;
    int32_t HandleEvent(uint16_t code) override;

    bool HasText() const { return hasText_; }
    const std::string& Text() const { return text_; }

    // Answers whether the screen is the frame menu showing an embedded
    // screen (the focus after an overview); null: never.
    static inline bool (*embeddedScreenOpen)(const Screen& screen) = nullptr;

    // Where the backdrop lies now.
    int32_t BackdropTop() const { return kBackdropTop + shift_; }
    int32_t BackdropBottom() const { return kBackdropBottom + shift_; }

    int32_t introductionPending = 1;
    int32_t savedFocus = 0;
    uint32_t section = 0;
    std::string topicKey;        // empty: none
    ArtObject* panel = nullptr;  // "tumain", owned through artObjects

private:
    void ReadText(IffFile& file);
    void PressSprite(const char* spriteName, uint16_t code);
    // Clear of the host's controls, for the buttons the panel opened with.
    void Place(const Screen* host);
    // Everything of the pop-up that has a place, `dy` pixels down.
    void Move(int32_t dy);
    void DrawBackdrop() const;

    std::string text_;
    bool hasText_ = false;
    TextBox* textBox_ = nullptr;   // owned by the panel
    int32_t shift_ = 0;
    const Screen* host_ = nullptr;   // the screen the next Open lays it over; not owned
};
