#include "screens/squadron/VoiceScreen.h"

#include "display/Canvas.h"
#include "display/Palette.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/MessageList.h"
#include "ui/ArtObject.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/UiSounds.h"

namespace {

constexpr int32_t kListLeft = 345;
constexpr int32_t kListTop = 121;
constexpr int32_t kListWidth = 225;
constexpr int32_t kListHeight = 100;
constexpr int32_t kFaceLeft = 79;
constexpr int32_t kFaceTop = 315;
constexpr int32_t kFaceKind = 2;

}  // namespace

VoiceScreen::VoiceScreen(const char* screenName) : MenuScreen(screenName) {
    panel = new ArtObject(kPanelName, 0);
    artObjects.Append(panel);
    const FrameRect list = FrameRect::Init(kListLeft, kListTop, FrameRect::kNoFrame);
    panel->AddControl(new ListBox(kListWidth, kListHeight, list, list, list, FrameRect::kNoFrame, 0, kListName));
    panel->AddControl(new FacePicture(FrameRect::Init(kFaceLeft, kFaceTop, FrameRect::kNoFrame), kFaceKind, kFaceName));
}

void VoiceScreen::Open() {
    firstRowColour = 0;
    currentPanel = panel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    FillLists();
}

void VoiceScreen::Close() {
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

void VoiceScreen::FillLists() {
    const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    const uint32_t read = palette != nullptr ? palette->MatchColor(kReadRgb) : 0;
    const uint32_t unread = palette != nullptr ? palette->MatchColor(kUnreadRgb) : 0;
    if (palette != nullptr) firstRowColour = palette->MatchColor(kFirstRowRgb);
    auto* const face = dynamic_cast<FacePicture*>(panel->FindControl(kFaceName));
    if (face != nullptr) face->SelectByIndex(-1);
    auto* const list = dynamic_cast<ListBox*>(panel->FindControl(kListName));
    if (list == nullptr) return;
    TextBlock* const block = list->StartOver();
    if (block == nullptr) return;
    dirty = 1;
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    for (int32_t i = 0; i < game->voice.Count(); ++i) {
        MessageEntry* const entry = game->voice.At(i);
        if (entry->active == MessageEntry::kHidden) continue;
        entry->active = MessageEntry::kShown;
        block->AddItem(entry->title.c_str());
        const bool first = block->LineCount() == 1;
        block->lineColours.push_back(first ? firstRowColour : entry->read != 0 ? read : unread);
        // Any face number below the first voice face shows none.
        if (first && face != nullptr) face->SelectByIndex(entry->face >= kFaceOffset ? entry->face - kFaceOffset : -1);
    }
    list->SetSelection(0);
}
