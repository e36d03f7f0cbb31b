#include "screens/rooms/KillBoardScreen.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "display/Canvas.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/PilotRecord.h"
#include "net/NetSession.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/CanvasLock.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/ScreenRedraw.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kSection = MakeTag("KILL");
constexpr uint32_t kNoFrame = 255;
constexpr int32_t kSoundClick2 = 1;
constexpr int32_t kSoundClick1 = 2;
constexpr int32_t kSoundClick3 = 5;
constexpr int32_t kScrollClickDraws = 1;

constexpr uint8_t kBlack[3] = {0, 0, 0};
constexpr int32_t kBarLeftColumn = 249;
constexpr int32_t kBarRightColumn = 420;
constexpr int32_t kBarTop = 332;
constexpr int32_t kBarRowStep = 42;

struct BoxPlace {
    const char* name;
    int32_t x, y, width, height;
};
constexpr BoxPlace kStatBoxes[] = {
    {KillBoardScreen::kKillsBox, 150, 152, 40, 40},
    {KillBoardScreen::kMissionsBox, 150, 166, 40, 40},
    {KillBoardScreen::kAccuracyBox, 150, 180, 40, 40},
};
constexpr BoxPlace kNameBoxes[] = {
    {"PilotName0", 258, 317, 110, 10}, {"PilotName1", 258, 359, 110, 10}, {"PilotName2", 258, 400, 110, 10},
    {"PilotName3", 431, 317, 110, 10}, {"PilotName4", 431, 359, 110, 10}, {"PilotName5", 431, 400, 110, 10},
};
constexpr BoxPlace kValueBoxes[] = {
    {"PilotKills0", 360, 332, 40, 10}, {"PilotKills1", 360, 371, 40, 10}, {"PilotKills2", 360, 415, 40, 10},
    {"PilotKills3", 530, 332, 40, 10}, {"PilotKills4", 530, 371, 40, 10}, {"PilotKills5", 530, 415, 40, 10},
};

// Words a network packet sets may be anything: a difference could
// overflow, so the order is a plain three-way comparison, the larger first.
int32_t Descending(int32_t a, int32_t b) { return a > b ? -1 : (a < b ? 1 : 0); }

int32_t CompareKillsDescending(const PilotRecord* a, const PilotRecord* b) {
    return Descending(a->GetKills(), b->GetKills());
}
int32_t CompareMissionsDescending(const PilotRecord* a, const PilotRecord* b) {
    return Descending(a->missions, b->missions);
}
int32_t CompareAccuracyDescending(const PilotRecord* a, const PilotRecord* b) {
    return Descending(a->GetAccuracy(), b->GetAccuracy());
}
int32_t CompareNetKillsDescending(const NetPlayer* a, const NetPlayer* b) {
    return Descending(a->careerKills, b->careerKills);
}
int32_t CompareNetMissionsDescending(const NetPlayer* a, const NetPlayer* b) {
    return Descending(a->careerMissions, b->careerMissions);
}
int32_t CompareNetAccuracyDescending(const NetPlayer* a, const NetPlayer* b) {
    return Descending(a->careerAccuracy, b->careerAccuracy);
}

int32_t PilotValue(const PilotRecord& pilot, int32_t key) {
    if (key == KillBoardScreen::kSortMissions) return pilot.missions;
    if (key == KillBoardScreen::kSortAccuracy) return pilot.GetAccuracy();
    return pilot.GetKills();
}

int32_t PlayerValue(const NetPlayer& player, int32_t key) {
    if (key == KillBoardScreen::kSortMissions) return player.careerMissions;
    if (key == KillBoardScreen::kSortAccuracy) return player.careerAccuracy;
    return player.careerKills;
}

void Empty(TextBox* box) {
    if (box == nullptr) return;
    box->Clear();
    RequestScreenRedraw();
}

TextBox* AddBox(ArtObject& panel, const BoxPlace& place) {
    const FrameRect at = FrameRect::Init(place.x, place.y, kNoFrame);
    auto* const box = new TextBox(place.width, place.height, at, at, at, kNoFrame, 0, place.name);
    panel.AddControl(box);
    return box;
}

}  // namespace

KillBoardScreen::KillBoardScreen() : MenuScreen(kScreenName) {
    panel = new ArtObject(kPanelName, 0);
    artObjects.Append(panel);
    currentPanel = panel;
    const FrameRect listAt = FrameRect::Init(345, 124, kNoFrame);
    // Clear of the scroll buttons at x 586.
    panel->AddControl(new ListBox(238, 124, listAt, listAt, listAt, kNoFrame, 0, kListName));
    for (const BoxPlace& place : kStatBoxes) AddBox(*panel, place);
    panel->AddControl(new FacePicture(FrameRect::Init(78, 316, kNoFrame), FacePicture::kFaces, kFaceName));
    for (const BoxPlace& place : kNameBoxes) AddBox(*panel, place);
    for (const BoxPlace& place : kValueBoxes) AddBox(*panel, place);
    IffFile file(0);
    if (art_file::OpenArt(file, g_dataDirs.Prefix(DataDir::kOption) + "kill1.iff")) panel->LoadSprites(file);
}

KillBoardScreen::~KillBoardScreen() = default;

template <typename T>
T* KillBoardScreen::Find(const char* controlName) const {
    return dynamic_cast<T*>(panel->FindControl(controlName));
}

NetSession* KillBoardScreen::Session() const {
    GameState* const game = g_gameState;
    NetSession* const session = game != nullptr ? game->netSession : nullptr;
    return session != nullptr && session->IsActive() ? session : nullptr;
}

int32_t KillBoardScreen::PilotCount() const {
    return netMode_ ? int32_t(netPilots.size()) : int32_t(careerPilots.size());
}

const NetPlayer* KillBoardScreen::PlayerNamed(const char* playerName) const {
    const NetSession* const session = Session();
    if (session == nullptr || playerName == nullptr) return nullptr;
    for (int32_t i = 0; i < session->GetPlayerSlotCount(); ++i) {
        const NetPlayer* const player = session->Player(i);
        if (player != nullptr && player->inUse != 0 && player->name != nullptr &&
            std::strcmp(player->name, playerName) == 0) {
            return player;
        }
    }
    return nullptr;
}

void KillBoardScreen::Open() {
    sortKey = kSortKills;
    currentPanel = panel;
    careerPilots.clear();
    netPilots.clear();
    ownRecord_.reset();
    GameState* const game = g_gameState;
    CareerRecord* const career = game != nullptr ? game->career : nullptr;
    NetSession* const session = Session();
    netMode_ = session != nullptr;
    if (session != nullptr) {
        if (session->IsHost()) session->CopyCareerFigures(0);
        for (int32_t i = 0; i < session->GetPlayerSlotCount(); ++i) {
            const NetPlayer* const player = session->Player(i);
            if (player != nullptr && player->inUse != 0) netPilots.push_back(player);
        }
    } else {
        if (career != nullptr) {
            for (const auto& pilot : career->hiredPilots) careerPilots.push_back(pilot.get());
        }
        ownRecord_ = std::make_unique<PilotRecord>(kOwnName, "");
        if (career != nullptr) {
            ownRecord_->kills = career->kills;
            ownRecord_->missions = career->missions;
            ownRecord_->accuracy = career->accuracyValue;
        }
        careerPilots.push_back(ownRecord_.get());
    }
    FillBoard();
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    const struct {
        const char* name;
        int32_t state;
    } states[] = {{kKillsButton, BitmapButton::kLatched}, {kMissionsButton, 0}, {kAccuracyButton, 0}};
    for (const auto& entry : states) {
        if (auto* const button = Find<BitmapButton>(entry.name)) button->SetState(entry.state);
    }
    if (auto* const list = Find<ListBox>(kListName)) list->SetSelection(0);
    TutorialScreen::OpenOverview(*this, kSection);
}

void KillBoardScreen::Close() {
    careerPilots.clear();
    netPilots.clear();
    ownRecord_.reset();
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

int32_t KillBoardScreen::MaskWidth(int32_t value, int32_t leader) {
    if (leader <= 0) return kBarWidth;
    const int64_t shown = int64_t(value) * kBarWidth / leader;
    return int32_t(std::clamp<int64_t>(kBarWidth - shown, 0, kBarWidth));
}

void KillBoardScreen::SetBar(int32_t row, int32_t value, int32_t leader) {
    if (row < 0 || row >= kBoardRows) return;
    Bar& bar = bars[row];
    bar.left = row < kBoardRows / 2 ? kBarLeftColumn : kBarRightColumn;
    bar.top = kBarTop + kBarRowStep * (row % (kBoardRows / 2));
    bar.maskWidth = MaskWidth(value, leader);
    bar.height = kBarHeight;
}

void KillBoardScreen::FillBoard() {
    ListBox* const list = Find<ListBox>(kListName);
    int32_t selected = -1;
    int32_t top = 0;
    if (list != nullptr && list->GetBlock(list->currentBlock) != nullptr) {
        selected = list->GetSelection();
        top = std::max(list->GetBlock(list->currentBlock)->topLine, 0);
    }
    if (list != nullptr) {
        list->Clear();
        list->SetText(nullptr);
        RequestScreenRedraw();
    }
    for (int32_t row = 0; row < kBoardRows; ++row) {
        Empty(Find<TextBox>(kNameBoxes[row].name));
        Empty(Find<TextBox>(kValueBoxes[row].name));
    }
    const int32_t count = PilotCount();
    for (int32_t row = 0; row < kBoardRows; ++row) {
        bars[row] = Bar{};
        if (row >= count) SetBar(row, 0, 0);
    }
    // The list keeps the table's or the roster's order, whatever order the
    // board was sorted into before.
    if (list != nullptr && netMode_) {
        // The entries lie in one table: address order is table order.
        std::vector<const NetPlayer*> inTable = netPilots;
        std::sort(inTable.begin(), inTable.end(), std::less<>());
        for (const NetPlayer* const player : inTable) {
            if (player->name != nullptr) list->AddLine(player->name);
        }
    } else if (list != nullptr && !netMode_) {
        const CareerRecord* const career = g_gameState != nullptr ? g_gameState->career : nullptr;
        if (career != nullptr) {
            for (const auto& pilot : career->hiredPilots) list->AddLine(pilot->name.c_str());
        }
        list->AddLine(kOwnName);
    }
    std::vector<int32_t> values;
    std::vector<std::string> names;
    if (netMode_) {
        static constexpr int32_t (*kNetOrder[])(const NetPlayer*, const NetPlayer*) = {
            CompareNetKillsDescending, CompareNetMissionsDescending, CompareNetAccuracyDescending};
        const auto compare = kNetOrder[std::clamp(sortKey, 0, 2)];
        std::sort(netPilots.begin(), netPilots.end(),
                  [compare](const NetPlayer* a, const NetPlayer* b) { return compare(a, b) < 0; });
        for (const NetPlayer* const player : netPilots) {
            values.push_back(PlayerValue(*player, sortKey));
            names.emplace_back(player->name != nullptr ? player->name : "");
        }
    } else {
        static constexpr int32_t (*kCareerOrder[])(const PilotRecord*, const PilotRecord*) = {
            CompareKillsDescending, CompareMissionsDescending, CompareAccuracyDescending};
        const auto compare = kCareerOrder[std::clamp(sortKey, 0, 2)];
        std::sort(careerPilots.begin(), careerPilots.end(),
                  [compare](const PilotRecord* a, const PilotRecord* b) { return compare(a, b) < 0; });
        for (const PilotRecord* const pilot : careerPilots) {
            values.push_back(PilotValue(*pilot, sortKey));
            names.push_back(pilot->name);
        }
    }
    for (int32_t row = 0; row < std::min(count, kBoardRows); ++row) {
        if (auto* const box = Find<TextBox>(kNameBoxes[row].name)) box->SetText(names[size_t(row)].c_str());
        SetNumberText(Find<TextBox>(kValueBoxes[row].name), values[size_t(row)]);
        SetBar(row, values[size_t(row)], values[0]);
    }
    if (list != nullptr) {
        const int32_t last = list->GetLineCount() - 1;
        list->SetSelection(selected < 0 ? -1 : std::min(selected, last));
        list->SetTopLine(std::max(std::min(top, last), 0));
    }
    ShowFace();
    ShowPilotStats();
}

void KillBoardScreen::ShowFace() {
    auto* const face = Find<FacePicture>(kFaceName);
    const auto* const list = Find<ListBox>(kListName);
    if (face == nullptr) return;
    const char* const item = list != nullptr ? list->GetSelectedItem() : nullptr;
    if (netMode_) {
        const NetPlayer* const player = PlayerNamed(item);
        face->SelectByIndex(player != nullptr ? player->face : -1);
    } else {
        face->SelectByName(item);
    }
    RequestScreenRedraw();
}

void KillBoardScreen::ShowPilotStats() {
    TextBox* const boxes[] = {Find<TextBox>(kKillsBox), Find<TextBox>(kMissionsBox), Find<TextBox>(kAccuracyBox)};
    for (TextBox* const box : boxes) Empty(box);
    auto* const list = Find<ListBox>(kListName);
    if (list == nullptr) return;
    int32_t kills = 0, missions = 0, accuracy = 0;
    if (netMode_) {
        const NetPlayer* const player = PlayerNamed(list->GetSelectedItem());
        if (player == nullptr) return;
        kills = player->careerKills;
        missions = player->careerMissions;
        accuracy = player->careerAccuracy;
    } else {
        const CareerRecord* const career = g_gameState != nullptr ? g_gameState->career : nullptr;
        if (career == nullptr) return;
        const int32_t line = list->GetBlock(list->currentBlock) != nullptr ? list->GetSelection() : -1;
        const int32_t hired = int32_t(career->hiredPilots.size());
        if (line >= 0 && line < hired) {
            const PilotRecord& pilot = *career->hiredPilots[size_t(line)];
            kills = pilot.GetKills();
            missions = pilot.missions;
            accuracy = pilot.GetAccuracy();
        } else if (line == hired) {
            kills = career->kills;
            missions = career->missions;
            accuracy = career->accuracyValue;
        } else {
            return;
        }
    }
    SetNumberText(boxes[0], kills);
    SetNumberText(boxes[1], missions);
    SetNumberText(boxes[2], accuracy);
}

void KillBoardScreen::Update() {
    CanvasLock lock;
    if (!lock.CanDraw()) return;
    for (const Bar& bar : bars) {
        if (bar.left == 0 || bar.maskWidth <= 0) continue;
        const CanvasRect rect{bar.left, bar.top, bar.maskWidth, bar.height};
        lock.Target()->FillRectRgb(&rect, kBlack);
    }
}

int32_t KillBoardScreen::SortButton(uint16_t code, int32_t key, const char* buttonName, const char* topic) {
    if (edgeEvents.TestEvent(kCodeActivate)) {
        PlayUiClick(kSoundClick1);
        sortKey = key;
        for (const char* const name : {kKillsButton, kMissionsButton, kAccuracyButton}) {
            if (auto* const button = Find<BitmapButton>(name)) {
                button->SetState(std::strcmp(name, buttonName) == 0 ? BitmapButton::kLatched : 0);
            }
        }
        FillBoard();
    } else if (edgeEvents.TestEvent(kCodeHelp)) {
        TutorialScreen::OpenTopic(*this, topic);
    } else {
        if (edgeEvents.TestEvent(code)) PlayUiClick(kUiSoundHotspot);
        if (auto* const button = Find<BitmapButton>(buttonName)) button->Press();
    }
    return 1;
}

int32_t KillBoardScreen::ScrollButton(uint16_t code, const char* buttonName, int32_t direction) {
    auto* const button = Find<BitmapButton>(buttonName);
    if (edgeEvents.TestEvent(kCodeActivate)) {
        PlayUiClick(kSoundClick3);
        if (button != nullptr) button->SetState(kScrollClickDraws);
        if (auto* const list = Find<ListBox>(kListName)) {
            if (direction < 0) {
                list->PageUp();
            } else {
                list->PageDown();
            }
        }
    } else {
        if (edgeEvents.TestEvent(code)) PlayUiClick(kUiSoundHotspot);
        if (button != nullptr) button->Press();
    }
    return 1;
}

int32_t KillBoardScreen::ListEvent() {
    auto* const list = Find<ListBox>(kListName);
    if (list == nullptr) return 1;
    if (edgeEvents.TestEvent(kCodeActivate)) {
        PlayUiClick(kSoundClick2);
        uint16_t x = 0, y = 0;
        if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
        list->SelectAt(FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY, kNoFrame));
        ShowPilotStats();
        ShowFace();
    } else if (edgeEvents.TestEvent(kCodeClear)) {
        list->ClearSelection();
        RequestScreenRedraw();
    } else {
        WalkList(*list, {kCodeLineUp, kCodeLineDown, kCodePageUp, kCodePageDown});
    }
    return 1;
}

int32_t KillBoardScreen::HandleEvent(uint16_t code) {
    switch (code) {
        case kCodeKills:
            return SortButton(code, kSortKills, kKillsButton, "KI_KILLS");
        case kCodeMissions:
            return SortButton(code, kSortMissions, kMissionsButton, "KI_MISSIONS");
        case kCodeAccuracy:
            return SortButton(code, kSortAccuracy, kAccuracyButton, "KI_ACCURACY");
        case kCodeScrollUp:
            return ScrollButton(code, "Scroll Up", -1);
        case kCodeScrollUp2:
            return ScrollButton(code, "Scroll Up2", -1);
        case kCodeScrollDown:
            return ScrollButton(code, "Scroll Down", 1);
        case kCodeScrollDown2:
            return ScrollButton(code, "Scroll Down2", 1);
        case kCodeList:
            return ListEvent();
        case kCodeFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kCodeFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default:
            return 1;
    }
}
