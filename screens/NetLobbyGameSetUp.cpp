// The host's game set-up: cooperative or death match, each with its
// briefing and choices.
#include <cstdio>
#include <string>

#include "display/FontContext.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/ScreenSlots.h"
#include "game/TextInput.h"
#include "mission/RandomMissionGenerator.h"
#include "net/NetGameSettings.h"
#include "screens/NetLobbyScreen.h"
#include "screens/NetLobbyShared.h"
#include "ui/AnimatedPicture.h"
#include "ui/BitmapButton.h"
#include "ui/TextBox.h"

using namespace net_lobby;

namespace {
constexpr const char* kObjectives[] = {"Scout", "Destroy", "Protect", "Capture"};
constexpr int32_t kDeathMatchMission = 4;

constexpr const char* kAmountToggles[] = {"Asteroids", "Mines", "Enemies"};
constexpr const char* kAmountSliders[] = {"AsterSlide", "MineSlide", "EnemySlide"};

int32_t SliderAmount(const ArtObject* panel, const char* toggle, const char* slider) {
    const auto* const button = dynamic_cast<const BitmapButton*>(panel->FindControl(toggle));
    if (button == nullptr || button->GetState() != BitmapButton::kLatched) return 0;
    const auto* const strip = dynamic_cast<const AnimatedPicture*>(panel->FindControl(slider));
    return strip != nullptr ? strip->GetCel() + 1 : 1;
}
}  // namespace

void NetLobbyScreen::ScrollBriefing(ArtObject* panel, bool up) {
    auto* const box = Find<TextBox>(panel, kDescription);
    if (box == nullptr) return;
    if (up) {
        box->PageUp();
    } else {
        box->PageDown();
    }
}

void NetLobbyScreen::ShowCoopBriefing() {
    EmptyBox(coopPanel, kDescription);
    EmptyBox(coopPanel, kPayment);
    const GameState* const game = Game();
    const RandomMissionGenerator* const generator = game != nullptr ? game->randomMissions.get() : nullptr;
    if (generator == nullptr) return;
    if (auto* const box = Find<TextBox>(coopPanel, kDescription)) box->SetText(generator->description.c_str());
    char payment[16];
    std::snprintf(payment, sizeof payment, "%d", generator->payment);
    if (auto* const box = Find<TextBox>(coopPanel, kPayment)) box->SetText(payment);
}

void NetLobbyScreen::ShowDeathMatchBriefing() {
    EmptyBox(deathPanel, kDescription);
    const GameState* const game = Game();
    const RandomMissionGenerator* const generator = game != nullptr ? game->randomMissions.get() : nullptr;
    if (generator == nullptr) return;
    if (auto* const box = Find<TextBox>(deathPanel, kDescription)) box->SetText(generator->description.c_str());
}

bool NetLobbyScreen::Latched(const ArtObject* panel, const char* buttonName) const {
    const auto* const button = Find<BitmapButton>(panel, buttonName);
    return button != nullptr && button->GetState() == BitmapButton::kLatched;
}

void NetLobbyScreen::Toggle(ArtObject* panel, const char* buttonName) {
    Play(kSoundClick);
    if (auto* const button = Find<BitmapButton>(panel, buttonName)) {
        button->SetState(button->GetState() == BitmapButton::kLatched ? 0 : BitmapButton::kLatched);
    }
}

void NetLobbyScreen::SetUpCoop() {
    GameState* const game = Game();
    if (game == nullptr) return;
    // The mission this panel sets up is a network game's, whatever a
    // single-player game left in the generator.
    RandomMissionGenerator& generator = RandomMissionGenerator::Of(*game);
    generator.networkGame = 1;
    int32_t kind = 0;
    for (int32_t i = 0; i < 4; ++i) {
        if (Latched(coopPanel, kObjectives[i])) {
            kind = i;
            break;
        }
    }
    const auto* const strip = Find<AnimatedPicture>(coopPanel, "Difficulty");
    generator.SetUp(kind, strip != nullptr ? strip->GetCel() : 0);
    ShowCoopBriefing();
}

void NetLobbyScreen::FollowPointer(const ArtObject* panel, const char* stripName, const StripSteps& steps) {
    auto* const strip = Find<AnimatedPicture>(panel, stripName);
    if (strip == nullptr || eventMap == nullptr) return;
    uint16_t x = 0, y = 0;
    eventMap->GetMousePosition(&x, &y);
    int32_t moved = x;
    if (edgeEvents.TestEvent(EventKey(steps.left)) && x - steps.pixels > steps.leftEdge) moved = x - steps.pixels;
    if (edgeEvents.TestEvent(EventKey(steps.right)) && x + steps.pixels < steps.rightEdge) moved = x + steps.pixels;
    if (moved != x) {
        SetMousePosition(int16_t(moved), int16_t(y));
    } else if (!edgeEvents.TestEvent(EventKey(steps.click))) {
        return;
    }
    strip->SelectAt(FrameRect::Init(moved - g_windowOriginX, int32_t(y) - g_windowOriginY, FrameRect::kNoFrame));
}

int32_t NetLobbyScreen::HandleCreateGame(uint16_t code, uint32_t event) {
    GameState* const game = Game();
    switch (event) {
        case kGameCoop:
            if (!Hotspot(code, createPanel, "Cooperative", "CREATE_COOP", kGameClick, kGameHelp, kSoundClick)) return 1;
            SwitchTo(coopPanel);
            SetUpCoop();
            return 1;
        case kGameDeath:
            if (!Hotspot(code, createPanel, "Death Match", "CREATE_DEATH", kGameClick, kGameHelp, kSoundClick)) return 1;
            SwitchTo(deathPanel);
            if (game != nullptr) {
                RandomMissionGenerator& generator = RandomMissionGenerator::Of(*game);
                generator.networkGame = 1;
                generator.deathMatchKind = 1;
                generator.SetUp(kDeathMatchMission, 0);
            }
            ShowDeathMatchBriefing();
            return 1;
        case kGameCancel:
            if (Hotspot(code, createPanel, "Cancel", "CREATE_ABORT", kGameClick, kGameHelp, kSoundClick)) SwitchTo(joinPanel);
            return 1;
        case kGameFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kGameFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default: return 1;
    }
}

void NetLobbyScreen::ConfirmedGame() {
    pendingMission = kHostedMission;
    EmptyBox(coopPanel, kDescription);
    EmptyBox(deathPanel, kDescription);
    SelectFont(TextBox::kFontName);
    DrawString("Uploading Mission Data", 320, 360, 0);
    g_netGameLaunched = 1;
}

void NetLobbyScreen::HandleCoop(uint16_t code, uint32_t event) {
    GameState* const game = Game();
    if (event <= kCoopCapture) {
        if (!Hotspot(code, coopPanel, kObjectives[event], nullptr, kCoopClick, kCoopHelp, kSoundClick)) return;
        for (uint32_t i = 0; i < 4; ++i) {
            if (auto* const button = Find<BitmapButton>(coopPanel, kObjectives[i])) {
                button->SetState(i == event ? BitmapButton::kLatched : 0);
            }
        }
        SetUpCoop();
        return;
    }
    switch (event) {
        case kCoopTeams:
            if (Hotspot(code, coopPanel, nullptr, "COOP_TEAMS", kCoopClick, kCoopHelp, -1)) Toggle(coopPanel, "Teams");
            return;
        case kCoopNew:
            if (Hotspot(code, coopPanel, nullptr, "COOP_NEW", kCoopClick, kCoopHelp, kSoundClick)) SetUpCoop();
            return;
        case kCoopDifficulty:
            FollowPointer(coopPanel, "Difficulty", kDifficultySteps);
            return;
        case kCoopCancel:
            if (Hotspot(code, coopPanel, "Cancel", "COOP_CANCEL", kCoopClick, kCoopHelp, kSoundClick)) SwitchTo(createPanel);
            return;
        case kCoopOk: {
            if (!Hotspot(code, coopPanel, "OK", "COOP_OK", kCoopClick, kCoopHelp, kSoundClick) || game == nullptr) return;
            delete game->netSettings;
            game->netSettings = new NetGameSettings();
            game->cooperativeTimeUp = 0;
            if (Latched(coopPanel, "Teams")) {
                game->teamGame = 1;
                savedPanel = coopPanel;
                SwitchTo(teamCreatePanel);
                SetTextInputBuffer(kTeamNameBytes);
                game->netSettings->gameType = NetGameSettings::kCooperativeTeams;
            } else {
                SwitchTo(waitPanel);
                SetTextInputBuffer(kChatTextBytes);
                game->mode = GameState::kModeLobbyWait;
                game->netSettings->gameType = NetGameSettings::kCooperative;
            }
            ConfirmedGame();
            FillRequisitionCatalogue();
            return;
        }
        case kCoopArrowUp:
        case kCoopArrowDown:
            if (Hotspot(code, coopPanel, event == kCoopArrowUp ? "ArrowUp" : "ArrowDown", nullptr, kCoopClick, kCoopHelp,
                        kSoundClick)) {
                ScrollBriefing(coopPanel, event == kCoopArrowUp);
            }
            return;
        case kCoopFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return;
        case kCoopFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return;
        default: return;
    }
}

int32_t NetLobbyScreen::HandleDeath(uint16_t code, uint32_t event) {
    GameState* const game = Game();
    RandomMissionGenerator* const generator = game != nullptr ? game->randomMissions.get() : nullptr;
    switch (event) {
        case kDeathNormal:
        case kDeathTag: {
            const bool tag = event == kDeathTag;
            if (!Hotspot(code, deathPanel, nullptr, tag ? "DETH_TAG" : "DETH_NORMAL", kDeathClick, kDeathHelp, kSoundClick)) {
                return 1;
            }
            if (auto* const normal = Find<BitmapButton>(deathPanel, "Normal")) normal->SetState(tag ? 0 : BitmapButton::kLatched);
            if (auto* const tagButton = Find<BitmapButton>(deathPanel, "Tag")) tagButton->SetState(tag ? BitmapButton::kLatched : 0);
            if (generator != nullptr) {
                generator->deathMatchKind = tag ? 3 : 1;
                generator->SetUp(kDeathMatchMission, 0);
            }
            ShowDeathMatchBriefing();
            return 1;
        }
        case kDeathAsteroids:
        case kDeathMines:
        case kDeathEnemies:
        case kDeathBase:
        case kDeathTeams: {
            static constexpr const char* kToggles[] = {"Asteroids", nullptr, "Mines", nullptr, "Enemies", nullptr,
                                                       "Base", "Teams"};
            static constexpr const char* kTopics[] = {"DETH_ASTEROIDS", nullptr, "DETH_MINES_A", nullptr,
                                                      "DETH_ENEMIES", nullptr, "DETH_BASE", "DETH_TEAMS"};
            const uint32_t at = event - kDeathAsteroids;
            if (Hotspot(code, deathPanel, nullptr, kTopics[at], kDeathClick, kDeathHelp, -1)) Toggle(deathPanel, kToggles[at]);
            return 1;
        }
        case kDeathAsterSlide:
        case kDeathMineSlide:
        case kDeathEnemySlide: {
            // Each slider sits beside its toggle and is dead while the toggle is off.
            const uint32_t at = (event - kDeathAsterSlide) / 2;
            if (Latched(deathPanel, kAmountToggles[at])) FollowPointer(deathPanel, kAmountSliders[at], kAmountSteps);
            return 1;
        }
        case kDeathCancel:
            if (Hotspot(code, deathPanel, "Cancel", "DETH_CANCEL", kDeathClick, kDeathHelp, kSoundClick)) {
                SwitchTo(createPanel);
            }
            return 1;
        case kDeathOk: {
            if (!Hotspot(code, deathPanel, "OK", "DETH_OK", kDeathClick, kDeathHelp, kSoundClick) || game == nullptr) {
                return 1;
            }
            delete game->netSettings;
            game->netSettings = new NetGameSettings();
            const bool normal = Latched(deathPanel, "Normal");
            const bool tag = !normal && Latched(deathPanel, "Tag");
            const bool teams = Latched(deathPanel, "Teams");
            if (teams) {
                game->teamGame = 1;
                SwitchTo(teamCreatePanel);
                SetTextInputBuffer(kTeamNameBytes);
                game->netSettings->gameType = tag ? NetGameSettings::kTagTeams : NetGameSettings::kDeathMatchTeams;
            } else {
                game->SelectNextScreen(ScreenSlot::kHangar);
                game->mode = GameState::kModeScreens;
                SwitchTo(nullptr);
                game->netSettings->gameType = tag ? NetGameSettings::kTag : NetGameSettings::kDeathMatch;
            }
            if (generator != nullptr) {
                generator->deathMatchKind = normal ? 1 : tag ? 3 : 0;
                generator->asteroidAmount = SliderAmount(deathPanel, kAmountToggles[0], kAmountSliders[0]);
                generator->mineAmount = SliderAmount(deathPanel, kAmountToggles[1], kAmountSliders[1]);
                generator->enemyAmount = SliderAmount(deathPanel, kAmountToggles[2], kAmountSliders[2]);
                generator->base = Latched(deathPanel, "Base") ? 1 : 0;
            }
            ConfirmedGame();
            return teams ? 1 : 0;
        }
        case kDeathArrowUp:
        case kDeathArrowDown:
            // The death match's briefing pages silently.
            if (Hotspot(code, deathPanel, event == kDeathArrowUp ? "ArrowUp" : "ArrowDown", nullptr, kDeathClick,
                        kDeathHelp, -1)) {
                ScrollBriefing(deathPanel, event == kDeathArrowUp);
            }
            return 1;
        case kDeathFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kDeathFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default: return 1;
    }
}
