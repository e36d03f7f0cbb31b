#pragma once
#include <cstdint>

#include "ui/MenuScreen.h"

class FacePicture;
class ListBox;
class MessageEntry;
class MessageList;
class TextBox;

// The office computer's message readers share one design: a frame page of
// buttons, and a page of new and one of old messages beneath it (or the
// frame page alone), each with a list of titles, the text of the chosen row
// and its sender's face. A reader never makes or deletes messages; it shows
// them and flags them read.
class MessageReader : public MenuScreen {
public:
    // Where each page's controls sit, in the screen's own coordinates.
    static constexpr int32_t kListLeft = 345;
    static constexpr int32_t kListTop = 121;
    static constexpr int32_t kListWidth = 210;
    static constexpr int32_t kListHeight = 100;
    static constexpr int32_t kTextLeft = 242;
    static constexpr int32_t kTextTop = 323;
    static constexpr int32_t kTextWidth = 310;
    static constexpr int32_t kTextHeight = 100;
    static constexpr int32_t kFaceLeft = 79;
    static constexpr int32_t kFaceTop = 315;
    static constexpr int32_t kFaceKind = 2;
    static constexpr const char* kFaceName = "Face";

    // Row colours in the palette lookup's byte order: red in the low byte.
    static constexpr uint32_t kReadRgb = 0x909090;
    static constexpr uint32_t kUnreadRgb = 0xE4E4E4;
    static constexpr uint32_t kHighlightRgb = 0x00FFFF;

    // What tells one reader from another: its names, and the codes its
    // event map gives (0: the reader has no such event).
    struct Names {
        const char* screenName;
        const char* framePage;
        const char* newPage;   // null: the frame page carries the controls
        const char* oldPage;
        const char* list;
        const char* text;
        const char* unreadButton;
        const char* readButton;
        const char* unreadTopic;
        const char* readTopic;
        uint32_t tutorialGroup;
    };
    struct Codes {
        uint16_t unread, read, list, text;
        uint16_t scrollUp, scrollDown, scrollUp2, scrollDown2;
        uint16_t activate, help, clear, lineUp, lineDown, pageUp, pageDown;
        uint16_t focusNext, focusPrevious;
    };

    MessageReader(const Names& names, const Codes& codes);

    void Open() override;
    void Close() override;
    int32_t HandleEvent(uint16_t code) override;

    // Rebuilds the pages from the game state's lists; callable whether or
    // not the screen is open.
    virtual void FillLists() = 0;

    ArtObject* framePage = nullptr;   // owned through artObjects
    ArtObject* newPage = nullptr;
    ArtObject* oldPage = nullptr;
    uint32_t readColour = 0;
    uint32_t unreadColour = 0;
    uint32_t highlightColour = 0;

    // Told the title and body of each message chosen in a list (a run's
    // trace prints them).
    static inline void (*messageRead)(const char* title, const char* body) = nullptr;

    const Codes& EventCodes() const { return codes_; }
    ListBox* List(const ArtObject* page) const;
    TextBox* Text(const ArtObject* page) const;
    FacePicture* Face(const ArtObject* page) const;

protected:
    // The list a page shows; null when the game has none.
    virtual MessageList* PageList(const ArtObject* page) const = 0;
    // Whether a click on a page's row flags its message read.
    virtual bool ClickMarksRead(const ArtObject* page) const = 0;
    // Whether the page buttons and the new page are shut (a network game).
    virtual bool NewPageShut() const { return false; }

    // The three colours from the screen palette.
    void LookUpColours();
    // The page's text and face emptied, its list one empty block.
    void ClearPage(ArtObject* page);
    // One row: the body as a text block, the title as a line in `colour`.
    void AddRow(ArtObject* page, const MessageEntry& entry, uint32_t colour);
    // The first row highlighted and its sender's face shown.
    void HighlightFirstRow(ArtObject* page, const MessageEntry& entry);
    void ShowFace(ArtObject* page, const MessageEntry* entry);
    // The page switch by way of the frame page.
    void SwitchTo(ArtObject* page);
    bool PageShown(const ArtObject* page) const;
    // Hover, help and activate of a button; true when activate is new.
    bool ButtonPattern(uint16_t code, const char* buttonName, const char* topic);
    void SetButton(const char* buttonName, int32_t state) const;

    Names names_;
    Codes codes_;

private:
    int32_t HandlePage(uint16_t code, ArtObject* page);
    void ListClick(ArtObject* page);
};
