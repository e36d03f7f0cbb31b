#include "screens/squadron/PersonnelScreen.h"

#include <string>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "engine/Clock.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "screens/squadron/PilotStatBoxes.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kTutorialSection = MakeTag("PERS");
constexpr uint32_t kNoFrame = 255;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kClearBackground = 0xFF000000u;
constexpr int32_t kSoundClick2 = 1;
constexpr int32_t kSoundClick1 = 2;
constexpr int32_t kSoundClick3 = 5;
constexpr int32_t kSoundHired = 48;
constexpr int32_t kSoundFired = 49;
constexpr int32_t kScrollClickState = 1;
// The hire and fire buttons show their click picture this many draws.
constexpr int32_t kActionClickState = 10;

constexpr const char* kFaces = "Faces";
constexpr const char* kAvailableButton = "Available Pilots Button";
constexpr const char* kCurrentButton = "Current Pilots Button";
constexpr const char* kPastButton = "Past Pilots Button";
constexpr const char* kHireButton = "Hire Pilot Button";
constexpr const char* kFireButton = "Fire Pilot Button";

}  // namespace

PersonnelScreen::PersonnelScreen(const char* screenName) : MenuScreen(screenName) {
    mainPanel = new ArtObject(kPanelName, 1);
    availablePage = new ArtObject(kPanelName, 1);
    currentPage = new ArtObject(kPanelName, 1);
    pastPage = new ArtObject(kPanelName, 1);
    const auto at = [](int32_t x, int32_t y) { return FrameRect::Init(x, y, kNoFrame); };
    mainPanel->AddControl(new FacePicture(at(78, 316), FacePicture::kFaces, kFaces));
    PilotStatBoxes::Add(mainPanel);
    const struct {
        ArtObject* page;
        const char* list;
        const char* resume;
    } pages[] = {{availablePage, kAvailList, kAvailResume},
                 {currentPage, kCurrList, kCurrResume},
                 {pastPage, kPastList, kPastResume}};
    for (const auto& page : pages) {
        page.page->AddControl(NewPlacedControl<ListBox>(238, 93, 345, 124, page.list));
        page.page->AddControl(NewPlacedControl<TextBox>(320, 100, 242, 324, page.resume));
    }
    for (ArtObject* panel : {pastPage, availablePage, currentPage, mainPanel}) artObjects.Append(panel);
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (art_file::OpenArt(file, path)) mainPanel->LoadSprites(file);
}

CareerRecord* PersonnelScreen::Career() const { return g_gameState != nullptr ? g_gameState->career : nullptr; }

BitmapButton* PersonnelScreen::FindButton(const char* buttonName) const {
    return FindControlAs<BitmapButton>(mainPanel, buttonName);
}

ListBox* PersonnelScreen::PageList(const ArtObject* page) const {
    if (page == availablePage) return FindControlAs<ListBox>(page, kAvailList);
    if (page == currentPage) return FindControlAs<ListBox>(page, kCurrList);
    if (page == pastPage) return FindControlAs<ListBox>(page, kPastList);
    return nullptr;
}

TextBox* PersonnelScreen::PageResume(const ArtObject* page) const {
    if (page == availablePage) return FindControlAs<TextBox>(page, kAvailResume);
    if (page == currentPage) return FindControlAs<TextBox>(page, kCurrResume);
    if (page == pastPage) return FindControlAs<TextBox>(page, kPastResume);
    return nullptr;
}

bool PersonnelScreen::PageActive(const ArtObject* page) const {
    return currentPanel == page || ContainsId(page) != 0;
}

ArtObject* PersonnelScreen::ShownPage() const {
    for (ArtObject* page : {availablePage, currentPage, pastPage}) {
        if (currentPanel == page) return page;
    }
    return nullptr;
}

void PersonnelScreen::Open() {
    hiredMessage = firedMessage = 0;
    hiredAt = firedAt = 0;
    currentPanel = mainPanel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    FillLists();
    SwitchTo(availablePage);
    TutorialScreen::OpenOverview(*this, kTutorialSection);
}

void PersonnelScreen::Close() {
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

void PersonnelScreen::FillLists() {
    const CareerRecord* const career = Career();
    const struct {
        ArtObject* page;
        const CareerRecord::PilotList* pilots;
    } pages[] = {{availablePage, career != nullptr ? &career->hirePool : nullptr},
                 {currentPage, career != nullptr ? &career->hiredPilots : nullptr},
                 {pastPage, career != nullptr ? &career->lostPilots : nullptr}};
    for (const auto& page : pages) {
        ListBox* const list = PageList(page.page);
        if (list == nullptr) continue;
        list->Clear();
        list->SetText(nullptr);
        list->SetCurrentBlock(0);
        TextBlock* const block = list->GetBlock(0);
        if (block != nullptr) {
            block->lines.clear();
            block->lineColours.clear();
            if (page.pilots != nullptr) {
                for (const auto& pilot : *page.pilots) block->AddItem(pilot->name.c_str());
            }
        }
        list->SetSelection(0);
    }
    dirty = 1;
    ShowPilotDetails();
}

void PersonnelScreen::ShowPilotDetails() {
    PilotStatBoxes::Clear(mainPanel);
    auto* const face = FindControlAs<FacePicture>(mainPanel, kFaces);
    if (face != nullptr) face->SelectByName(nullptr);
    dirty = 1;
    const CareerRecord* const career = Career();
    ArtObject* const page = ShownPage();
    ListBox* const list = PageList(page);
    TextBox* const resume = PageResume(page);
    if (career == nullptr || list == nullptr) return;
    const int32_t line = list->GetSelection();
    if (resume != nullptr) resume->Clear();
    const CareerRecord::PilotList& pilots =
        page == availablePage ? career->hirePool : page == currentPage ? career->hiredPilots : career->lostPilots;
    if (line < 0 || line >= int32_t(pilots.size())) return;
    const PilotRecord& pilot = *pilots[size_t(line)];
    PilotStatBoxes::Show(mainPanel, pilot.GetKills(), pilot.missions, pilot.GetAccuracy());
    const char* const selected = list->GetSelectedItem();
    const char* const text = page == availablePage ? career->FindApilPilot(selected)
                             : page == currentPage ? career->FindCpilPilot(selected)
                                                   : career->FindDpilPilot(selected);
    if (resume != nullptr) resume->SetText(text);
    if (face != nullptr) face->SelectByName(selected);
}

void PersonnelScreen::Hire() {
    PlayUiClick(kSoundClick1);
    if (BitmapButton* const button = FindButton(kHireButton)) button->SetState(kActionClickState);
    ListBox* const list = PageList(availablePage);
    const char* const selected = list != nullptr && list->GetSelection() >= 0 ? list->GetSelectedItem() : nullptr;
    CareerRecord* const career = Career();
    if (selected != nullptr) {
        PlayUiClick(kSoundHired);
        hiredMessage = 1;
        hiredAt = GetMilliseconds();
        // The list's text goes when the lists are rebuilt.
        const std::string pilot = selected;
        if (career != nullptr) career->HirePilot(pilot.c_str());
    }
    FillLists();
}

void PersonnelScreen::Fire() {
    PlayUiClick(kSoundClick1);
    if (BitmapButton* const button = FindButton(kFireButton)) button->SetState(kActionClickState);
    ListBox* const list = PageList(currentPage);
    const char* const selected = list != nullptr && list->GetSelection() >= 0 ? list->GetSelectedItem() : nullptr;
    CareerRecord* const career = Career();
    if (selected != nullptr) {
        const std::string pilot = selected;
        if (career != nullptr) career->DismissPilot(pilot.c_str());
        PlayUiClick(kSoundFired);
        firedMessage = 1;
        firedAt = GetMilliseconds();
    }
    FillLists();
}

void PersonnelScreen::Update() {
    const uint32_t now = GetMilliseconds();
    if (hiredMessage != 0) {
        if (TextBox* const resume = PageResume(availablePage)) {
            resume->Clear();
            resume->SetText(kHiredText);
        }
        if (now - hiredAt > kMessageMs) {
            hiredMessage = 0;
            ShowPilotDetails();
        }
    } else if (firedMessage != 0) {
        if (TextBox* const resume = PageResume(currentPage)) {
            resume->Clear();
            resume->SetText(kFiredText);
        }
        if (now - firedAt > kMessageMs) {
            firedMessage = 0;
            ShowPilotDetails();
        }
    }
    const CareerRecord* const career = Career();
    const ArtObject* const page = ShownPage();
    if (career == nullptr || page == nullptr) return;
    const bool empty = page == availablePage ? career->hirePool.empty()
                       : page == currentPage ? career->hiredPilots.empty()
                                             : career->lostPilots.empty();
    Canvas* const canvas = g_gameCanvas;
    if (!empty || canvas == nullptr) return;
    SelectFont(TextBox::kFontName);
    SetFontColors(canvas->palette != nullptr ? canvas->palette->MatchColor(kWhite) : 0, kClearBackground);
    DrawString(kEmptyText, kEmptyTextX, kEmptyTextY, 0);
}

int32_t PersonnelScreen::Draw() {
    bool panelChanged = false;
    const int32_t result = DrawOwnGatePass(&panelChanged);
    if (panelChanged) ShowPilotDetails();
    return result;
}

void PersonnelScreen::SwitchTo(ArtObject* page) {
    nextPanel = page;
    pushPanel = mainPanel;
    transitionPhase = kPhaseClosing;
    if (BitmapButton* const button = FindButton(kAvailableButton)) {
        button->SetState(page == availablePage ? BitmapButton::kLatched : 0);
    }
    if (BitmapButton* const button = FindButton(kCurrentButton)) {
        button->SetState(page == currentPage ? BitmapButton::kLatched : 0);
    }
    if (BitmapButton* const button = FindButton(kPastButton)) {
        button->SetState(page == pastPage ? BitmapButton::kLatched : 0);
    }
}

int32_t PersonnelScreen::Button(uint16_t code, const char* buttonName, const char* topic) {
    return PressButton(code, FindButton(buttonName), edgeEvents.TestEvent(kCodeHelp) ? topic : nullptr);
}

void PersonnelScreen::PagedText(TextBox* box, const char* buttonName, bool up) {
    PlayUiClick(kSoundClick3);
    if (BitmapButton* const button = FindButton(buttonName)) button->SetState(kScrollClickState);
    if (box == nullptr) return;
    if (up) {
        box->PageUp();
    } else {
        box->PageDown();
    }
}

void PersonnelScreen::ListKeys(ListBox& list) {
    if (edgeEvents.TestEvent(kCodeClear)) list.ClearSelection();
    if (edgeEvents.TestEvent(kCodeLineUp)) FocusLineUp(list);
    if (edgeEvents.TestEvent(kCodeLineDown)) FocusLineDown(list);
    if (edgeEvents.TestEvent(kCodePageUp)) list.PageUp();
    if (edgeEvents.TestEvent(kCodePageDown)) list.PageDown();
}

int32_t PersonnelScreen::HandleEvent(uint16_t code) {
    if (code == kCodeFocusNext && edgeEvents.TestEvent(code)) FocusNextHotspot();
    if (code == kCodeFocusPrevious && edgeEvents.TestEvent(code)) FocusPreviousHotspot();
    if (!PageActive(mainPanel)) return 1;
    const bool select = edgeEvents.TestEvent(kCodeSelect);
    ArtObject* const page = ShownPage();
    switch (code) {
        case kCodeTextUp:
        case kCodeTextDown:
            if (select) {
                PagedText(PageResume(page), code == kCodeTextUp ? "Scroll Up" : "Scroll Down", code == kCodeTextUp);
                return 1;
            }
            return Button(code, code == kCodeTextUp ? "Scroll Up" : "Scroll Down", nullptr);
        case kCodeResume:
            if (TextBox* const resume = PageResume(page)) {
                if (edgeEvents.TestEvent(kCodePageUp)) resume->PageUp();
                if (edgeEvents.TestEvent(kCodePageDown)) resume->PageDown();
            }
            return 1;
        case kCodeListUp:
        case kCodeListDown:
            if (select) {
                PagedText(PageList(page), code == kCodeListUp ? "Scroll Up2" : "Scroll Down2", code == kCodeListUp);
                return 1;
            }
            return Button(code, code == kCodeListUp ? "Scroll Up2" : "Scroll Down2", nullptr);
        case kCodeAvailable:
        case kCodeCurrent:
        case kCodePast: {
            ArtObject* const target = code == kCodeAvailable ? availablePage
                                      : code == kCodeCurrent ? currentPage
                                                             : pastPage;
            const char* const button = code == kCodeAvailable ? kAvailableButton
                                       : code == kCodeCurrent ? kCurrentButton
                                                              : kPastButton;
            if (select) {
                PlayUiClick(kSoundClick1);
                SwitchTo(target);
                return 1;
            }
            return Button(code, button, code == kCodeAvailable ? "PE_AVAILABLE"
                                        : code == kCodeCurrent ? "PE_CURRENT"
                                                               : "PE_PAST");
        }
        case kCodeHire:
            if (!PageActive(availablePage)) return 1;
            if (select) {
                Hire();
                return 1;
            }
            return Button(code, kHireButton, "PE_HIRE");
        case kCodeFire:
            if (!PageActive(currentPage)) return 1;
            if (select) {
                Fire();
                return 1;
            }
            return Button(code, kFireButton, "PE_FIRE");
        case kCodeList: {
            ListBox* const list = PageList(page);
            if (list == nullptr) return 1;
            if (select) {
                PlayUiClick(kSoundClick2);
                uint16_t x = 0, y = 0;
                if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
                list->SelectAt(FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY, kNoFrame));
                ShowPilotDetails();
            } else {
                ListKeys(*list);
            }
            return 1;
        }
        default: return 1;
    }
}
