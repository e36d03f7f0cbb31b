#include "screens/rooms/MissionsScreen.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "engine/Clock.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/MessageList.h"
#include "game/SoftCursor.h"
#include "mission/MissionSetUp.h"
#include "mission/RandomMissionGenerator.h"
#include "net/NetSession.h"
#include "screens/FrameScreen.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/UiSounds.h"

namespace {

constexpr int32_t kSoundClick1 = 2;
constexpr int32_t kSoundHotspot2 = 3;
constexpr int32_t kSoundClick4 = 4;
constexpr int32_t kSoundVoMission = 52;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kClearBackground = 0xFF000000u;
constexpr uint32_t kSlotBits = 0xF;

const MessageReader::Names kNames = {MissionsScreen::kScreenName,
                                     "mimain",
                                     "mission",
                                     "oldmission",
                                     "MissionList",
                                     "MissionText",
                                     "Unread Missions Button",
                                     "Read Missions Button",
                                     "MI_UNREADMISSION",
                                     "MI_READMISSION",
                                     MakeTag("MISS")};
constexpr MessageReader::Codes kCodes = {0x0210, 0x0220, 0x0240, 0x0280, 0x0410, 0x0420, 0x0440, 0x0480, 0x0340,
                                         0x0308, 0x0380, 0x0401, 0x0402, 0x0404, 0x0408, 0x0310, 0x0320};

bool IsOffer(const MessageEntry& entry) {
    return entry.kind == MessageEntry::kKindOffer || entry.kind == MessageEntry::kKindOtherOffer;
}

}  // namespace

MissionsScreen::MissionsScreen(const char* screenName) : MessageReader(kNames, kCodes) {
    (void)screenName;
}

MessageList* MissionsScreen::PageList(const ArtObject* page) const {
    GameState* const game = g_gameState;
    if (game == nullptr) return nullptr;
    return page == oldPage ? &game->oldMail : &game->newMail;
}

bool MissionsScreen::NewPageShut() const {
    const GameState* const game = g_gameState;
    return game != nullptr && game->netSession != nullptr && game->netSession->IsActive();
}

void MissionsScreen::ForgetAcceptedRow(GameState& game) {
    if (auto* const reader = dynamic_cast<MissionsScreen*>(game.ScreenIn(ScreenSlot::kMissions))) {
        reader->acceptedRow = -1;
    }
}

void MissionsScreen::FillLists() {
    LookUpColours();
    if (const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr) {
        acceptedColour = palette->MatchColor(kAcceptedRgb);
    }
    GameState* const game = g_gameState;
    ClearPage(newPage);
    if (game == nullptr) return;
    if (!NewPageShut()) {
        int32_t row = 0;
        for (int32_t i = 0; i < game->newMail.Count(); ++i) {
            MessageEntry* const entry = game->newMail.At(i);
            if (entry->active == MessageEntry::kHidden || !IsOffer(*entry)) continue;
            entry->active = MessageEntry::kShown;
            const uint32_t colour = row == acceptedRow ? acceptedColour : entry->read != 0 ? readColour : unreadColour;
            AddRow(newPage, *entry, colour);
            // The first row's highlight wins over the accepted colour.
            if (row == 0) HighlightFirstRow(newPage, *entry);
            ++row;
        }
        if (ListBox* const list = List(newPage)) list->SetSelection(0);
        ClearPage(oldPage);
        bool first = true;
        for (int32_t i = 0; i < game->oldMail.Count(); ++i) {
            const MessageEntry* const entry = game->oldMail.At(i);
            if (!IsOffer(*entry)) continue;
            AddRow(oldPage, *entry, readColour);
            if (first) HighlightFirstRow(oldPage, *entry);
            first = false;
        }
        if (ListBox* const list = List(oldPage)) list->SetSelection(0);
    }
}

void MissionsScreen::Accept() {
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    g_eventDispatchState = 0;
    TextBox* const text = Text(newPage);
    if (text == nullptr || text->currentBlock < 0) return;
    ListBox* const list = List(newPage);
    const char* const title = list != nullptr ? list->GetSelectedItem() : nullptr;
    MessageEntry* const entry = game->newMail.FindEntry(title);
    // A random offer must name its generator slot.
    const bool noSlot = entry != nullptr && (entry->offer & MessageEntry::kRandomOffer) != 0 &&
                        (entry->offer & kSlotBits) == 0;
    if (entry == nullptr || noSlot) {
        PlayUiClick(kSoundHotspot2);
        return;
    }
    PlayUiClick(kSoundClick4);
    entry->read = 1;
    SetButton(kAcceptButton, kAcceptPressedDraws);
    if (FacePicture* const face = Face(newPage)) face->SelectByIndex(-1);
    text->SetCurrentBlock(-1);
    dirty = 1;
    DrawString(kLoadingText, 350, 350, 0);
    repaintCountdown = 1;
    if ((entry->offer & MessageEntry::kRandomOffer) == 0) {
        game->missionName = entry->launchFile;
        ++game->plotCounter;
    } else {
        char name[16];
        std::snprintf(name, sizeof name, "Rnd %d", int32_t(entry->offer & kSlotBits) - 1);
        game->missionName = name;
        game->randomOffer = entry->offer;
        if (game->randomMissions != nullptr) game->randomMissions->chosenOffer = entry->offer;
    }
    if (game->cursor != nullptr) game->cursor->SetShape(kWaitCursor, -1, 1);
    for (MessageList* const held : {&game->newMail, &game->newNews}) {
        for (int32_t i = 0; i < held->Count(); ++i) {
            if (held->At(i)->kind == MessageEntry::kKindHeld) held->At(i)->active = MessageEntry::kReleased;
        }
    }
    acceptedRow = list != nullptr ? list->GetSelection() : -1;
    uploadState = kRequested;
}

int32_t MissionsScreen::Launch() {
    PlayUiClick(kSoundClick1);
    g_eventDispatchState = 0;
    if (GameState* const game = g_gameState) {
        if (auto* const frame = dynamic_cast<FrameScreen*>(game->ScreenIn(ScreenSlot::kFrame))) frame->leaveRequest = 1;
        game->SelectNextScreen(ScreenSlot::kHangar);
        if (Screen* const hangar = game->ScreenIn(ScreenSlot::kHangar); hangar != nullptr && setLaunchOnOpen != nullptr) {
            setLaunchOnOpen(*hangar);
        }
    }
    nextPanel = nullptr;
    pushPanel = nullptr;
    transitionPhase = kPhaseClosing;
    return 0;
}

int32_t MissionsScreen::HandleEvent(uint16_t code) {
    if (code == kCodeLaunch && PageShown(framePage)) {
        if (ButtonPattern(code, kLaunchButton, "MI_LAUNCH")) return Launch();
        return 1;
    }
    if (code == kCodeAccept && PageShown(newPage)) {
        if (NewPageShut()) return 1;
        const GameState* const game = g_gameState;
        if (game != nullptr && game->missionReady != 0) {
            if (edgeEvents.TestEvent(codes_.activate)) {
                refusedTime = GetMilliseconds();
                refusedShown = 1;
                Tell(kRefusedText);
            }
            return 1;
        }
        ListBox* const list = List(newPage);
        if (edgeEvents.TestEvent(codes_.activate)) {
            Accept();
        } else if (list != nullptr && list->GetBlock(list->currentBlock) != nullptr) {
            ButtonPattern(code, kAcceptButton, "MI_ACCEPT");
        }
        return 1;
    }
    return MessageReader::HandleEvent(code);
}

void MissionsScreen::Notice(const char* text, int32_t x, int32_t y) {
    if (const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr) {
        SetFontColors(palette->MatchColor(kWhite), kClearBackground);
    }
    SelectFont(TextBox::kFontName);
    DrawString(text, x, y, 0);
}

void MissionsScreen::Tell(const char* text) {
    if (noticeShown != nullptr) noticeShown(text);
}

void MissionsScreen::ShowCannotFly() {
    cannotFlyTime = GetMilliseconds();
    cannotFlyShown = 1;
    const std::vector<std::string>& report = SetUpReport();
    // The first reasons: a refusal leads to the later ones.
    const size_t shown = std::min(report.size(), size_t(kCannotFlyReasons));
    cannotFlyReasons.assign(report.begin(), report.begin() + std::ptrdiff_t(shown));
    Tell(kCannotFlyText);
    for (const std::string& reason : cannotFlyReasons) Tell(reason.c_str());
}

void MissionsScreen::Update() {
    GameState* const game = g_gameState;
    if (uploadState == kUploading) {
        // The accepted mission is the career's: its ship is made at launch.
        if (game != nullptr) game->launchFromBase = 1;
        const Status status = game != nullptr ? SetUpMission(game->missionName.c_str(), -1) : kStatusNothingToDo;
        uploadState = kIdle;
        if (status == kStatusOk && game->missionReady != 0) {
            PlayUiClick(kSoundVoMission);
            acceptedTime = GetMilliseconds();
            acceptedShown = 1;
            Tell(kAcceptedText);
        } else {
            PlayUiClick(kSoundHotspot2);
            acceptedRow = -1;
            ShowCannotFly();
        }
    }
    if (uploadState == kRequested) {
        Notice(kUploadingText, 320);
        uploadState = kUploading;
    }
    const uint32_t now = GetMilliseconds();
    if (acceptedShown != 0 && now - acceptedTime < kNoticeMs) {
        Notice(kAcceptedText, 340);
        repaintCountdown = 1;
    } else {
        acceptedShown = 0;
    }
    if (refusedShown != 0 && now - refusedTime < kNoticeMs) {
        Notice(kRefusedText, 280);
        repaintCountdown = 1;
    } else {
        refusedShown = 0;
    }
    if (cannotFlyShown != 0 && now - cannotFlyTime < kNoticeMs) {
        // Measured in the notices' font, one line under the other.
        SelectFont(TextBox::kFontName);
        const auto centred = [this](const char* text, int32_t y) {
            Notice(text, std::max(0, kNoticeCentre - int32_t(FontStringWidth(text)) / 2), y);
        };
        centred(kCannotFlyText, kNoticeY);
        int32_t y = kNoticeY;
        for (const std::string& reason : cannotFlyReasons) {
            y += int32_t(FontHeight()) + kNoticeLineGap;
            centred(reason.c_str(), y);
        }
        repaintCountdown = 1;
    } else {
        cannotFlyShown = 0;
    }
}
