#include "screens/rooms/EncyclopediaScreen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/Clock.h"
#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/TextInput.h"
#include "ui/AnimatedPicture.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/EditField.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kSection = MakeTag("ENCY");
constexpr uint32_t kNoFrame = 255;
constexpr int32_t kSoundClick2 = 1;
constexpr int32_t kSoundClick1 = 2;
constexpr int32_t kSoundClick3 = 5;
// The search button stays drawn pressed while the box takes typing.
constexpr int32_t kSearchButtonHeld = 2;
constexpr int32_t kScrollClickDraws = 1;
// A keyword longer than this is cut: no search word reaches that far.
constexpr uint32_t kMaxKeywordBytes = 255;

// The whole chunk up to its NUL; the reader has checked its size against
// the form it lies in.
std::string ReadWholeText(IffFile& file) {
    std::string text(file.ChunkSize(), '\0');
    if (text.empty() || file.ReadChunk(text.data(), uint32_t(text.size())) != kStatusOk) return std::string();
    text.resize(std::strlen(text.c_str()));
    return text;
}

bool OpenEntries(IffFile& file) {
    return file.FindForm(MakeTag("ENCY")) == kStatusOk && file.Descend() == kStatusOk;
}

}  // namespace

EncyclopediaScreen::EncyclopediaScreen() : MenuScreen(kScreenName) {
    panel = new ArtObject(kPanelName, 0);
    artObjects.Append(panel);
    const auto at = [](int32_t x, int32_t y) { return FrameRect::Init(x, y, kNoFrame); };
    panel->AddControl(NewPlacedControl<ListBox>(220, 90, 345, 124, kListName));
    auto* const box = new EditField(100, 14, at(143, 78), at(138, 78), at(138, 78), kNoFrame, 0, kSearchBoxName);
    box->filterMode = EditField::kFilterPrintable;
    panel->AddControl(box);
    panel->AddControl(NewPlacedControl<TextBox>(300, 100, 242, 324, kTextName));
    panel->AddControl(new AnimatedPicture(112, 113, at(79, 315), at(79, 315), at(79, 315), kPictureName));
    IffFile file(0);
    if (art_file::OpenArt(file, g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff")) panel->LoadSprites(file);
    LoadEntries();
}

EncyclopediaScreen::~EncyclopediaScreen() = default;

template <typename T>
T* EncyclopediaScreen::Find(const char* controlName) const {
    return dynamic_cast<T*>(panel->FindControl(controlName));
}

std::string EncyclopediaScreen::Normalise(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == ' ' || c == '\'' || c == '`' || c == '.' || c == '-') continue;
        out.push_back(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
    }
    return out;
}

int32_t EncyclopediaScreen::CompareKeywords(const EncyclopediaKeyword& a, const EncyclopediaKeyword& b) {
    const size_t common = std::min(a.text.size(), b.text.size());
    const int32_t order = std::memcmp(a.text.data(), b.text.data(), common);
    if (order != 0) return order < 0 ? -1 : 1;
    if (a.text.size() == b.text.size()) return 0;
    return a.text.size() < b.text.size() ? -1 : 1;
}

void EncyclopediaScreen::LoadEntries() {
    IffFile file(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + kFileName;
    if (file.OpenFile(path.c_str(), kOpenRead) == kStatusOk) LoadEntries(file);
}

void EncyclopediaScreen::LoadEntries(IffFile& file) {
    if (OpenEntries(file)) {
        const uint32_t level = file.Level();
        while (file.FindForm(MakeTag("ENTR")) == kStatusOk) {
            if (file.Descend() != kStatusOk) continue;
            const int32_t entry = int32_t(titles.size());
            titles.push_back(file.FindChunk(MakeTag("TITL")) == kStatusOk ? art_file::ReadName(file, kMaxNameBytes) : "");
            file.Rewind(0);
            while (file.NextChunk() == kStatusOk) {
                if (file.ChunkId() != MakeTag("KWRD") || file.ChunkSize() <= 1) continue;
                std::string text = Normalise(art_file::ReadName(file, kMaxKeywordBytes));
                const auto same = std::find_if(keywords.begin(), keywords.end(),
                                               [&](const auto& keyword) { return keyword->text == text; });
                if (same != keywords.end()) {
                    (*same)->entries.push_back(entry);
                } else {
                    auto keyword = std::make_unique<EncyclopediaKeyword>();
                    keyword->text = std::move(text);
                    keyword->entries.push_back(entry);
                    keywords.push_back(std::move(keyword));
                }
            }
            art_file::LeaveTo(file, level);
            if (file.Level() != level) break;
        }
    }
    std::sort(keywords.begin(), keywords.end(),
              [](const auto& a, const auto& b) { return CompareKeywords(*a, *b) < 0; });
}

bool EncyclopediaScreen::ShowEntry(const char* title, std::string* body) {
    IffFile file(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + kFileName;
    if (file.OpenFile(path.c_str(), kOpenRead) != kStatusOk) {
        if (auto* const picture = Find<AnimatedPicture>(kPictureName)) picture->ClearFrames();
        return false;
    }
    return ShowEntry(file, title, body);
}

bool EncyclopediaScreen::ShowEntry(IffFile& file, const char* title, std::string* body) {
    AnimatedPicture* const picture = Find<AnimatedPicture>(kPictureName);
    if (picture != nullptr) picture->ClearFrames();
    if (title == nullptr || !OpenEntries(file)) return false;
    const uint32_t level = file.Level();
    while (file.FindForm(MakeTag("ENTR")) == kStatusOk) {
        if (file.Descend() != kStatusOk) continue;
        const bool found = file.FindChunk(MakeTag("TITL")) == kStatusOk && art_file::ReadName(file, kMaxNameBytes) == title;
        if (found) {
            file.Rewind(0);
            const std::string text = file.FindChunk(MakeTag("BODY")) == kStatusOk ? ReadWholeText(file) : "";
            if (body != nullptr) *body = text;
            file.Rewind(0);
            if (file.FindChunk(MakeTag("PALT")) == kStatusOk && picture != nullptr && g_gameState != nullptr) {
                picture->palette = g_gameState->LoadPalette(art_file::ReadName(file, kMaxNameBytes).c_str());
            }
            file.Rewind(0);
            if (file.FindForm(MakeTag("XCEL")) == kStatusOk && picture != nullptr) {
                picture->AddFrame(art_file::ReadCel(file));
                // The panel bound its controls' images at Open; a cel read
                // since has to be bound on its own.
                picture->LockImages();
                picture->SetCel(0);
            }
            return true;
        }
        art_file::LeaveTo(file, level);
        if (file.Level() != level) break;
    }
    return false;
}

void EncyclopediaScreen::ShowRow(int32_t row) {
    if (row < 0) return;
    const int32_t entry = row < int32_t(matches.size()) ? matches[size_t(row)] : row;
    TextBox* const text = Find<TextBox>(kTextName);
    if (text != nullptr) text->Clear();
    if (entry < 0 || entry >= int32_t(titles.size())) return;
    std::string body;
    const bool shown = ShowEntry(titles[size_t(entry)].c_str(), &body);
    if (text != nullptr) text->SetText(shown ? body.c_str() : nullptr);
}

void EncyclopediaScreen::FillEntryList() {
    ListBox* const list = Find<ListBox>(kListName);
    TextBox* const text = Find<TextBox>(kTextName);
    if (list != nullptr) {
        list->Clear();
        list->SetText(nullptr);
    }
    if (text != nullptr) {
        text->Clear();
        text->SetText(nullptr);
    }
    const auto addRow = [&](int32_t entry) {
        if (list == nullptr || entry < 0 || entry >= int32_t(titles.size())) return;
        char row[16 + kMaxNameBytes + 1];
        std::snprintf(row, sizeof row, "%-5d %-25s", entry, titles[size_t(entry)].c_str());
        list->AddLine(row);
    };
    if (matches.empty()) {
        for (int32_t entry = 0; entry < int32_t(titles.size()); ++entry) addRow(entry);
    } else {
        for (const int32_t entry : matches) addRow(entry);
    }
    if (list != nullptr) list->SetSelection(0);
    ShowRow(0);
}

void EncyclopediaScreen::Search() {
    const EditField* const box = Find<EditField>(kSearchBoxName);
    const std::string typed = box != nullptr ? box->GetText() : "";
    searchText = typed.substr(0, kSearchBytes - 1);
    matches.clear();
    size_t at = 0;
    while (at < searchText.size()) {
        const size_t end = std::min(searchText.find(' ', at), searchText.size());
        std::string word = searchText.substr(at, end - at);
        at = end + 1;
        if (word.empty() || uint8_t(word[0]) >= 0x80) continue;
        word = Normalise(word);
        while (!word.empty() && word.back() == 's') word.pop_back();
        if (word.empty()) continue;
        for (const auto& keyword : keywords) {
            const signed char first = static_cast<signed char>(keyword->text.empty() ? '\0' : keyword->text[0]);
            if (first > static_cast<signed char>(word[0])) break;
            if (first != static_cast<signed char>(word[0])) continue;
            const size_t common = std::min(word.size(), keyword->text.size());
            if (word.compare(0, common, keyword->text, 0, common) != 0) continue;
            for (const int32_t entry : keyword->entries) {
                if (std::find(matches.begin(), matches.end(), entry) == matches.end()) matches.push_back(entry);
            }
        }
    }
    FillEntryList();
    if (!matches.empty()) return;
    noMatchTime = GetMilliseconds();
    noticeStanding = true;
    if (ListBox* const list = Find<ListBox>(kListName)) {
        list->Clear();
        list->SetText(nullptr);
        list->AddLine(kNoMatchRow);
    }
    if (TextBox* const text = Find<TextBox>(kTextName)) {
        text->Clear();
        text->SetText(nullptr);
    }
    if (auto* const picture = Find<AnimatedPicture>(kPictureName)) picture->ClearFrames();
}

bool EncyclopediaScreen::NoticeBlocks() const {
    return noticeStanding && GetMilliseconds() - noMatchTime <= kNoticeMs;
}

void EncyclopediaScreen::SetSearchText(const char* text) {
    searchText = std::string(text).substr(0, kSearchBytes - 1);
    if (auto* const box = Find<EditField>(kSearchBoxName)) box->SetText(searchText.c_str());
}

void EncyclopediaScreen::Open() {
    noMatchTime = 0;
    noticeStanding = false;
    currentPanel = panel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    if (ListBox* const list = Find<ListBox>(kListName)) {
        if (list->GetBlock(list->currentBlock) != nullptr) list->SetSelection(0);
    }
    FillEntryList();
    SetTextInputBuffer(kTypedBytes);
    TutorialScreen::OpenOverview(*this, kSection);
}

void EncyclopediaScreen::Close() {
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

void EncyclopediaScreen::Update() {
    EditField* const box = Find<EditField>(kSearchBoxName);
    if (g_textInput != nullptr && g_textInput[0] != '\0' && !NoticeBlocks() && box != nullptr && box->IsActive()) {
        SetSearchText(g_textInput);
    }
    if (box != nullptr && box->IsActive()) {
        if (auto* const button = Find<BitmapButton>(kSearchButton)) button->SetState(kSearchButtonHeld);
    }
    if (noticeStanding && !NoticeBlocks()) {
        noticeStanding = false;
        FillEntryList();
        SetTextInputBuffer(kTypedBytes);
        SetSearchText(kNoSearch);
    }
}

void EncyclopediaScreen::ScrollTextUp() {
    if (auto* const button = Find<BitmapButton>("Scroll Up")) button->SetState(kScrollClickDraws);
    if (auto* const text = Find<TextBox>(kTextName)) text->PageUp();
}

void EncyclopediaScreen::ScrollTextDown() {
    if (auto* const button = Find<BitmapButton>("Scroll Down")) button->SetState(kScrollClickDraws);
    if (auto* const text = Find<TextBox>(kTextName)) text->PageDown();
}

void EncyclopediaScreen::ScrollListUp() {
    if (auto* const button = Find<BitmapButton>("Scroll Up2")) button->SetState(kScrollClickDraws);
    if (auto* const list = Find<ListBox>(kListName)) list->PageUp();
}

void EncyclopediaScreen::ScrollListDown() {
    if (auto* const button = Find<BitmapButton>("Scroll Down2")) button->SetState(kScrollClickDraws);
    if (auto* const list = Find<ListBox>(kListName)) list->PageDown();
}

void EncyclopediaScreen::StepMatch(int32_t step) {
    ListBox* const list = Find<ListBox>(kListName);
    if (list == nullptr || list->GetLineCount() <= 0) return;
    const int32_t last = list->GetLineCount() - 1;
    const int32_t row = std::clamp(list->GetSelection() + step, 0, last);
    list->SetSelection(row);
    ShowRow(row);
}

void EncyclopediaScreen::PreviousMatch() { StepMatch(-1); }

void EncyclopediaScreen::NextMatch() { StepMatch(1); }

void EncyclopediaScreen::ToggleSearchBox() {
    EditField* const box = Find<EditField>(kSearchBoxName);
    if (box == nullptr) return;
    if (box->ToggleActive() != 0) SetTextInputBuffer(kTypedBytes);
}

void EncyclopediaScreen::ClearSearch() {
    SetTextInputBuffer(kTypedBytes);
    searchText.clear();
    if (auto* const box = Find<EditField>(kSearchBoxName)) box->SetText("");
    matches.clear();
    FillEntryList();
    if (auto* const box = Find<EditField>(kSearchBoxName)) box->Deactivate();
}

int32_t EncyclopediaScreen::Button(uint16_t code, const char* buttonName, const char* topic,
                                   void (EncyclopediaScreen::*action)()) {
    const bool scroll = code == kCodeScrollUp || code == kCodeScrollDown || code == kCodeScrollUp2 ||
                        code == kCodeScrollDown2;
    if (edgeEvents.TestEvent(kCodeActivate)) {
        PlayUiClick(scroll ? kSoundClick3 : kSoundClick1);
        (this->*action)();
    } else if (topic != nullptr && edgeEvents.TestEvent(kCodeHelp)) {
        TutorialScreen::OpenTopic(*this, topic);
    } else if (buttonName != nullptr) {
        if (edgeEvents.TestEvent(code)) PlayUiClick(kUiSoundHotspot);
        if (auto* const button = Find<BitmapButton>(buttonName)) button->Press();
    }
    return 1;
}

void EncyclopediaScreen::ListEvent() {
    ListBox* const list = Find<ListBox>(kListName);
    if (list == nullptr) return;
    if (edgeEvents.TestEvent(kCodeActivate)) {
        if (NoticeBlocks()) return;
        PlayUiClick(kSoundClick2);
        uint16_t x = 0, y = 0;
        if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
        list->SelectAt(FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY, kNoFrame));
        if (auto* const text = Find<TextBox>(kTextName)) text->Clear();
        const int32_t row = list->GetBlock(list->currentBlock) != nullptr ? list->GetSelection() : -1;
        if (row >= 0) ShowRow(row);
    } else if (edgeEvents.TestEvent(kCodeDeselect)) {
        list->ClearSelection();
    } else {
        WalkList(*list, {kCodeLineUp, kCodeLineDown, kCodePageUp, kCodePageDown});
    }
}

int32_t EncyclopediaScreen::HandleEvent(uint16_t code) {
    if (code == kCodeFocusNext) {
        if (edgeEvents.TestEvent(code)) FocusNextHotspot();
        return 1;
    }
    if (code == kCodeFocusPrevious) {
        if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
        return 1;
    }
    if (currentPanel != panel && ContainsId(panel) == 0) return 1;
    switch (code) {
        case kCodeScrollUp:
            return Button(code, "Scroll Up", nullptr, &EncyclopediaScreen::ScrollTextUp);
        case kCodeScrollDown:
            return Button(code, "Scroll Down", nullptr, &EncyclopediaScreen::ScrollTextDown);
        case kCodeScrollUp2:
            return Button(code, "Scroll Up2", nullptr, &EncyclopediaScreen::ScrollListUp);
        case kCodeScrollDown2:
            return Button(code, "Scroll Down2", nullptr, &EncyclopediaScreen::ScrollListDown);
        case kCodePrevious:
            return Button(code, "Previous Match Button", "EN_PREVMATCH", &EncyclopediaScreen::PreviousMatch);
        case kCodeNext:
            return Button(code, "Next Match Button", "EN_NEXTMATCH_A", &EncyclopediaScreen::NextMatch);
        case kCodeSearchButton:
            return Button(code, kSearchButton, "EN_SEARCH_A", &EncyclopediaScreen::ToggleSearchBox);
        case kCodeClear:
            // The clear event has a key of its own and no button: its own
            // press clears, as a click does, unless help is asked for.
            if (edgeEvents.TestEvent(code) && !edgeEvents.TestEvent(kCodeActivate) && !edgeEvents.TestEvent(kCodeHelp)) {
                PlayUiClick(kSoundClick1);
                ClearSearch();
                return 1;
            }
            return Button(code, nullptr, "EN_CLEAR_A", &EncyclopediaScreen::ClearSearch);
        case kCodeList:
            ListEvent();
            return 1;
        case kCodeText:
            if (TextBox* const text = Find<TextBox>(kTextName)) {
                if (edgeEvents.TestEvent(kCodePageUp)) {
                    text->PageUp();
                } else if (edgeEvents.TestEvent(kCodePageDown)) {
                    text->PageDown();
                }
            }
            return 1;
        case kCodeSearch:
            if (edgeEvents.TestEvent(code)) {
                PlayUiClick(kSoundClick1);
                Search();
                SetTextInputBuffer(kTypedBytes);
                if (auto* const box = Find<EditField>(kSearchBoxName)) box->Deactivate();
            }
            return 1;
        default:
            return 1;
    }
}
