#pragma once
#include <cstdint>
#include <string>

#include "engine/Status.h"
#include "ui/MenuScreen.h"

class BitmapButton;
class EditField;
class TextBox;

// The computer's save and load page: New Game, sixteen numbered slots
// ("slot0.sav" to "slot15.sav") shown by their titles, and the automatic
// save "auto.sav", which loads but takes no save. A selected slot's entry
// takes the typed text as the name of the next save.
class SaveScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "SAVE";
    static constexpr const char* kPanelName = "slmain";
    static constexpr int32_t kSlots = 16;
    static constexpr int32_t kAutoSlot = 16;
    static constexpr int32_t kNoSlot = -1;
    // The list: entries of 200 x 12 at x 320, a row every 17 pixels from y 109.
    static constexpr int32_t kEntryLeft = 320;
    static constexpr int32_t kEntryTop = 109;
    static constexpr int32_t kEntryWidth = 200;
    static constexpr int32_t kEntryHeight = 12;
    static constexpr int32_t kRowPixels = 17;
    // The name part of a title, and the typed-text buffer.
    static constexpr int32_t kNameColumns = 20;
    static constexpr int32_t kTypedBytes = 20;
    // The page's message line, under the list: a failed save is told there
    // on every display, also where no message box can be shown.
    static constexpr const char* kMessageName = "Message";
    static constexpr int32_t kMessageLeft = 160;
    static constexpr int32_t kMessageTop = 410;
    static constexpr int32_t kMessageWidth = 440;
    static constexpr int32_t kMessageHeight = 16;
    static constexpr const char* kSaveFailedText = "The game was not saved.";
    static constexpr const char* kEmptySlotText = "There is no saved game in that slot.";
    static constexpr const char* kLoadFailedText = "That saved game could not be loaded.";
    // A title is read as far as the file holds it, at most this much.
    static constexpr uint32_t kMaxTitleBytes = 64;

    static constexpr uint16_t kCodeSave = 0x0210;
    static constexpr uint16_t kCodeLoad = 0x0220;
    static constexpr uint16_t kCodeNew = 0x0240;
    static constexpr uint16_t kCodeHelp = 0x0302;
    static constexpr uint16_t kCodeFocusNext = 0x0304;
    static constexpr uint16_t kCodeFocusPrevious = 0x0308;
    static constexpr uint16_t kCodeActivate = 0x0310;
    static constexpr uint16_t kCodeDeselect = 0x0320;
    static constexpr uint16_t kCodeRowUp = 0x0340;
    static constexpr uint16_t kCodeRowDown = 0x0380;
    // The row codes, slot 0 to the automatic save.
    static constexpr uint16_t kRowCodes[kSlots + 1] = {0x0280, 0x0401, 0x0402, 0x0404, 0x0408, 0x0410,
                                                       0x0420, 0x0440, 0x0480, 0x0501, 0x0502, 0x0504,
                                                       0x0508, 0x0510, 0x0520, 0x0540, 0x0580};

    explicit SaveScreen(const char* screenName = kScreenName);

    void Open() override;
    void Close() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    // Every numbered entry from its slot file's title; a slot without a
    // readable title keeps its text.
    void ReadSlotNames();
    void DeselectSlots();
    void SelectSlot(int32_t slot);
    // "<name cut and padded to 20> Easy|Medium|Hard" by the difficulty.
    static std::string SlotTitle(const char* name, int32_t difficulty);
    // The "NAME" chunk of a saved game's "BODY" form.
    static Status ReadSlotTitle(const char* path, std::string* title);

    EditField* Entry(int32_t slot) const;
    TextBox* MessageLine() const { return messageLine_; }
    BitmapButton* RowButton(int32_t slot) const;

    int32_t selectedSlot = 0;
    ArtObject* mainPanel = nullptr;   // owned through artObjects
    ArtObject* savePanel = nullptr;   // empty
    ArtObject* loadPanel = nullptr;   // empty

private:
    BitmapButton* Button(const char* buttonName) const;
    int32_t NewGame();
    int32_t Save();
    int32_t Load();
    void MovePointer(int32_t rows);
    void ShowSaveFailed();
    void Tell(const char* text);

    TextBox* messageLine_ = nullptr;   // owned by the main panel
};
