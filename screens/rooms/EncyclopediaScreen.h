#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/MenuScreen.h"

class AnimatedPicture;
class EditField;
class IffFile;
class ListBox;
class TextBox;

// One search word of the encyclopedia: its normalised text and the entry
// numbers that carry it, one per keyword chunk in file order (an entry
// carrying it twice is listed twice).
struct EncyclopediaKeyword {
    std::string text;
    std::vector<int32_t> entries;
};

// The office computer's reference: titled entries with a body and a
// picture, listed in full or as the matches of a keyword search. The
// titles and keywords are read once; an entry's body, palette and picture
// are read from the file each time it is shown.
class EncyclopediaScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "ENCYC";
    static constexpr const char* kPanelName = "enmain";
    static constexpr const char* kFileName = "encyclopedia.iff";
    static constexpr const char* kListName = "EntryList";
    static constexpr const char* kSearchBoxName = "SearchBox";
    static constexpr const char* kTextName = "EntryText";
    static constexpr const char* kPictureName = "EntryPicture";
    static constexpr const char* kSearchButton = "Encyclopedia Search Button";
    static constexpr const char* kNoSearch = "NONE";
    static constexpr const char* kNoMatchRow = "           No matches found.";
    // Titles and palette names are cut to this many bytes.
    static constexpr uint32_t kMaxNameBytes = 255;
    static constexpr size_t kSearchBytes = 64;
    static constexpr int32_t kTypedBytes = 32;
    // The notice stands this long; in the following second the list returns.
    static constexpr uint32_t kNoticeMs = 4000;

    // Event codes of the screen's map.
    static constexpr uint16_t kCodeClear = 0x0210;
    static constexpr uint16_t kCodeSearch = 0x0220;
    static constexpr uint16_t kCodePrevious = 0x0240;
    static constexpr uint16_t kCodeNext = 0x0280;
    static constexpr uint16_t kCodeList = 0x0301;
    static constexpr uint16_t kCodeSearchButton = 0x0302;
    static constexpr uint16_t kCodeText = 0x0304;
    static constexpr uint16_t kCodeHelp = 0x0310;
    static constexpr uint16_t kCodeFocusNext = 0x0320;
    static constexpr uint16_t kCodeFocusPrevious = 0x0340;
    static constexpr uint16_t kCodeActivate = 0x0380;
    static constexpr uint16_t kCodeDeselect = 0x0401;
    static constexpr uint16_t kCodeLineUp = 0x0402;
    static constexpr uint16_t kCodeLineDown = 0x0404;
    static constexpr uint16_t kCodePageUp = 0x0408;
    static constexpr uint16_t kCodePageDown = 0x0410;
    static constexpr uint16_t kCodeScrollUp = 0x0420;
    static constexpr uint16_t kCodeScrollDown = 0x0440;
    static constexpr uint16_t kCodeScrollUp2 = 0x0480;
    static constexpr uint16_t kCodeScrollDown2 = 0x0501;

    EncyclopediaScreen();
    ~EncyclopediaScreen() override;

    void Open() override;
    void Close() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    // The titles and the sorted keyword index of the data file, or of a
    // file the caller opened at its top level.
    void LoadEntries();
    void LoadEntries(IffFile& file);
    // The entry of that title: its picture into "EntryPicture" and its body
    // into `body`; false (no body) when no entry has that title.
    bool ShowEntry(const char* title, std::string* body);
    bool ShowEntry(IffFile& file, const char* title, std::string* body);
    // The search box's words, or-ed; the notice when nothing matches.
    void Search();
    // The list of every entry, or of the matches, showing the first.
    void FillEntryList();

    // Lower case without blanks, apostrophes, grave accents, stops and hyphens.
    static std::string Normalise(const std::string& text);
    // Byte-wise as unsigned characters, a prefix first.
    static int32_t CompareKeywords(const EncyclopediaKeyword& a, const EncyclopediaKeyword& b);

    // True while the no-match notice blocks list clicks and typed text.
    bool NoticeBlocks() const;

    ArtObject* panel = nullptr;   // owned through artObjects
    std::vector<std::unique_ptr<EncyclopediaKeyword>> keywords;
    std::vector<std::string> titles;   // an entry's number is its index
    std::vector<int32_t> matches;      // empty: no search in force
    std::string searchText = kNoSearch;
    uint32_t noMatchTime = 0;
    // The notice stands from noMatchTime until the list returns.
    bool noticeStanding = false;

private:
    template <typename T>
    T* Find(const char* controlName) const;
    void ShowRow(int32_t row);
    void SetSearchText(const char* text);
    void ClearSearch();
    int32_t Button(uint16_t code, const char* buttonName, const char* topic, void (EncyclopediaScreen::*action)());
    void ScrollTextUp();
    void ScrollTextDown();
    void ScrollListUp();
    void ScrollListDown();
    void PreviousMatch();
    void NextMatch();
    void ToggleSearchBox();
    void StepMatch(int32_t step);
    void ListEvent();
};
