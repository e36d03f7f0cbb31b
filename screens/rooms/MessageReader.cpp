#include "screens/rooms/MessageReader.h"

#include <string>

#include "display/Canvas.h"
#include "display/Palette.h"
#include "engine/IffFile.h"
#include "engine/input/InputEventMap.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/MessageList.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kArtForm = MakeTag("OPTI");
constexpr int32_t kSoundClick2 = 1;
constexpr int32_t kSoundClick1 = 2;
constexpr int32_t kSoundClick3 = 5;

}  // namespace

MessageReader::MessageReader(const Names& names, const Codes& codes)
    : MenuScreen(names.screenName), names_(names), codes_(codes) {
    framePage = new ArtObject(names.framePage, 0);
    artObjects.Append(framePage);
    if (names.newPage != nullptr) {
        newPage = new ArtObject(names.newPage, 0);
        oldPage = new ArtObject(names.oldPage, 0);
        artObjects.Append(newPage);
        artObjects.Append(oldPage);
    }
    const auto at = [](int32_t x, int32_t y) { return FrameRect::Init(x, y, FrameRect::kNoFrame); };
    for (ArtObject* const page : {newPage, oldPage}) {
        ArtObject* const target = names.newPage != nullptr ? page : framePage;
        target->AddControl(new ListBox(kListWidth, kListHeight, at(kListLeft, kListTop), at(kListLeft, kListTop),
                                       at(kListLeft, kListTop), FrameRect::kNoFrame, 0, names.list));
        target->AddControl(new TextBox(kTextWidth, kTextHeight, at(kTextLeft, kTextTop), at(kTextLeft, kTextTop),
                                       at(kTextLeft, kTextTop), FrameRect::kNoFrame, 0, names.text));
        target->AddControl(new FacePicture(at(kFaceLeft, kFaceTop), kFaceKind, kFaceName));
        if (names.newPage == nullptr) break;
    }
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (file.OpenFile(path.c_str(), kOpenRead) != kStatusOk || file.FindForm(kArtForm) != kStatusOk ||
        file.Descend() != kStatusOk) {
        return;
    }
    framePage->LoadSprites(file);
}

ListBox* MessageReader::List(const ArtObject* page) const { return FindControlAs<ListBox>(page, names_.list); }
TextBox* MessageReader::Text(const ArtObject* page) const { return FindControlAs<TextBox>(page, names_.text); }
FacePicture* MessageReader::Face(const ArtObject* page) const { return FindControlAs<FacePicture>(page, kFaceName); }

void MessageReader::LookUpColours() {
    const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    if (palette == nullptr) return;
    readColour = palette->MatchColor(kReadRgb);
    unreadColour = palette->MatchColor(kUnreadRgb);
    highlightColour = palette->MatchColor(kHighlightRgb);
}

void MessageReader::ClearPage(ArtObject* page) {
    if (TextBox* const text = Text(page)) text->Clear();
    if (FacePicture* const face = Face(page)) face->SelectByIndex(-1);
    if (ListBox* const list = List(page)) list->StartOver();
    dirty = 1;
}

void MessageReader::AddRow(ArtObject* page, const MessageEntry& entry, uint32_t colour) {
    if (TextBox* const text = Text(page)) text->SetText(entry.body.c_str());
    ListBox* const list = List(page);
    TextBlock* const block = list != nullptr ? list->GetBlock(0) : nullptr;
    if (block == nullptr) return;
    block->AddItem(entry.title.c_str());
    block->lineColours.resize(size_t(block->LineCount()), readColour);
    block->lineColours.back() = colour;
}

void MessageReader::HighlightFirstRow(ArtObject* page, const MessageEntry& entry) {
    ListBox* const list = List(page);
    TextBlock* const block = list != nullptr ? list->GetBlock(0) : nullptr;
    if (block != nullptr && !block->lineColours.empty()) block->lineColours.front() = highlightColour;
    ShowFace(page, &entry);
}

void MessageReader::ShowFace(ArtObject* page, const MessageEntry* entry) {
    FacePicture* const face = Face(page);
    if (face == nullptr) return;
    // Only -1 means "no face"; any other negative number has none either.
    face->SelectByIndex(entry != nullptr && entry->face >= 0 ? entry->face : -1);
}

bool MessageReader::PageShown(const ArtObject* page) const {
    return page != nullptr && (currentPanel == page || ContainsId(page) != 0);
}

void MessageReader::SwitchTo(ArtObject* page) {
    nextPanel = page;
    pushPanel = framePage;
    transitionPhase = kPhaseClosing;
}

void MessageReader::SetButton(const char* buttonName, int32_t state) const {
    if (BitmapButton* const button = FindControlAs<BitmapButton>(framePage, buttonName)) button->SetState(state);
}

bool MessageReader::ButtonPattern(uint16_t code, const char* buttonName, const char* topic) {
    if (codes_.activate != 0 && edgeEvents.TestEvent(codes_.activate)) return true;
    if (codes_.help != 0 && topic != nullptr && edgeEvents.TestEvent(codes_.help)) {
        TutorialScreen::OpenTopic(*this, topic);
        return false;
    }
    if (edgeEvents.TestEvent(code)) PlayUiClick(kUiSoundHotspot);
    if (BitmapButton* const button = FindControlAs<BitmapButton>(framePage, buttonName)) button->Press();
    return false;
}

void MessageReader::Open() {
    currentPanel = framePage;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    if (newPage != nullptr) {
        SwitchTo(newPage);
        SetButton(names_.unreadButton, BitmapButton::kLatched);
        SetButton(names_.readButton, 0);
    }
    FillLists();
    TutorialScreen::OpenOverview(*this, names_.tutorialGroup);
}

void MessageReader::Close() {
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

void MessageReader::ListClick(ArtObject* page) {
    PlayUiClick(kSoundClick2);
    g_eventDispatchState = 0;
    ListBox* const list = List(page);
    if (list == nullptr) return;
    uint16_t x = 0, y = 0;
    if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
    const FrameRect point = FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY, FrameRect::kNoFrame);
    const int32_t before = list->GetSelection();
    list->SelectAt(point);
    const char* const title = list->GetSelectedItem();
    if (title == nullptr) return;
    const int32_t chosen = list->GetSelection();
    if (TextBlock* const block = list->GetBlock(list->currentBlock)) {
        block->lineColours.resize(size_t(block->LineCount()), readColour);
        if (before >= 0 && before < block->LineCount()) block->lineColours[size_t(before)] = readColour;
        if (chosen >= 0) block->lineColours[size_t(chosen)] = highlightColour;
    }
    if (TextBox* const text = Text(page)) text->SetCurrentBlock(chosen);
    dirty = 1;
    const MessageList* const messages = PageList(page);
    MessageEntry* const entry = messages != nullptr ? messages->FindEntry(title) : nullptr;
    if (entry != nullptr && ClickMarksRead(page)) entry->read = 1;
    if (entry != nullptr && messageRead != nullptr) messageRead(entry->title.c_str(), entry->body.c_str());
    ShowFace(page, entry);
}

int32_t MessageReader::HandlePage(uint16_t code, ArtObject* page) {
    const auto scroll = [&](const char* buttonName, TextBox* box, bool up) {
        if (!ButtonPattern(code, buttonName, nullptr)) return;
        PlayUiClick(kSoundClick3);
        if (box == nullptr) return;
        if (up) {
            box->PageUp();
        } else {
            box->PageDown();
        }
    };
    if (code == codes_.scrollUp) scroll("Scroll Up", List(page), true);
    if (code == codes_.scrollDown) scroll("Scroll Down", List(page), false);
    if (code == codes_.scrollUp2) scroll("Scroll Up2", Text(page), true);
    if (code == codes_.scrollDown2) scroll("Scroll Down2", Text(page), false);
    if (code == codes_.list) {
        ListBox* const list = List(page);
        if (edgeEvents.TestEvent(codes_.activate)) {
            ListClick(page);
        } else if (list == nullptr) {
        } else if (edgeEvents.TestEvent(codes_.clear)) {
            list->SetSelection(-1);
            dirty = 1;
        } else {
            WalkList(*list, {codes_.lineUp, codes_.lineDown, codes_.pageUp, codes_.pageDown});
        }
    }
    if (code == codes_.text) {
        if (TextBox* const text = Text(page)) {
            if (edgeEvents.TestEvent(codes_.pageUp)) text->PageUp();
            if (edgeEvents.TestEvent(codes_.pageDown)) text->PageDown();
        }
    }
    return 1;
}

int32_t MessageReader::HandleEvent(uint16_t code) {
    if (code == codes_.focusNext && edgeEvents.TestEvent(code)) return FocusNextHotspot() + 1;
    if (code == codes_.focusPrevious && edgeEvents.TestEvent(code)) return FocusPreviousHotspot() + 1;
    if (newPage == nullptr) return currentPanel == framePage ? HandlePage(code, framePage) : 1;
    const bool shut = NewPageShut();
    if (PageShown(framePage) && !shut) {
        const struct {
            uint16_t code;
            const char* button;
            const char* other;
            const char* topic;
            ArtObject* page;
        } pageButtons[] = {{codes_.unread, names_.unreadButton, names_.readButton, names_.unreadTopic, newPage},
                           {codes_.read, names_.readButton, names_.unreadButton, names_.readTopic, oldPage}};
        for (const auto& button : pageButtons) {
            if (code != button.code) continue;
            if (ButtonPattern(code, button.button, button.topic)) {
                PlayUiClick(kSoundClick1);
                SetButton(button.button, BitmapButton::kLatched);
                SetButton(button.other, 0);
                SwitchTo(button.page);
            }
            return 1;
        }
    }
    if (PageShown(newPage) && !shut) HandlePage(code, newPage);
    if (PageShown(oldPage)) HandlePage(code, oldPage);
    return 1;
}
