#include "ui/TutorialScreen.h"

#include <vector>

#include "display/FontContext.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "ui/ArtObject.h"
#include "display/Canvas.h"
#include "engine/input/InputEventMap.h"
#include "ui/BitmapButton.h"
#include "ui/CanvasLock.h"
#include "ui/PopUpPlacement.h"
#include "ui/HotspotFocus.h"
#include "ui/ScreenRedraw.h"
#include "ui/TextBox.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kFileForm = MakeTag("BASE");
constexpr uint32_t kTopicForm = MakeTag("EVNT");
constexpr uint32_t kTextChunk = MakeTag("TEXT");
constexpr uint32_t kKeyChunk = MakeTag("ID  ");
constexpr int32_t kUiSoundClick3 = 5;
constexpr uint32_t kTextNoFrame = 255;
// The backdrop: a dark blue panel inside a pale blue border.
constexpr uint8_t kBackdropFill[3] = {10, 18, 52};
constexpr uint8_t kBackdropEdge[3] = {90, 160, 200};
constexpr int32_t kBackdropBorder = 2;

// The "Text" box: 500 x 145 at (60, 115), without a frame.
constexpr int32_t kTextLeft = 60;
constexpr int32_t kTextTop = 115;
constexpr int32_t kTextWidth = 500;
constexpr int32_t kTextHeight = 145;

// The current chunk's text, as far as the file holds it, ending at its NUL.
std::string ReadChunkText(IffFile& file) {
    std::vector<char> bytes(size_t(file.ChunkSize()) + 1, '\0');
    file.ReadChunk(bytes.data());
    return std::string(bytes.data());
}

}  // namespace

TutorialScreen::TutorialScreen(const char* screenName) : MenuScreen(screenName) {
    // Drawn whole every pass: the backdrop beneath is.
    panel = new ArtObject(kPanelName, 1);
    const FrameRect corner = FrameRect::Init(kTextLeft, kTextTop, kTextNoFrame);
    textBox_ = new TextBox(kTextWidth, kTextHeight, corner, corner, corner, kTextNoFrame, 0, kTextName);
    panel->AddControl(textBox_);
    artObjects.Append(panel);
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    // A file that cannot be opened leaves the pop-up without its buttons.
    if (art_file::OpenArt(file, path)) {
        panel->LoadSprites(file);
    }
}

TutorialScreen::~TutorialScreen() = default;

void TutorialScreen::ShowTopic(const char* key) {
    topicKey = key != nullptr ? key : "";
    Show();
}

void TutorialScreen::Show() {
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + kFileName;
    IffFile file(0);
    // A file that cannot be opened makes every search fail: no text.
    file.OpenFile(path.c_str(), kOpenRead);
    ShowFrom(file);
}

void TutorialScreen::ShowFrom(IffFile& file) {
    textBox_->Clear();
    Screen* const current = CurrentScreen();
    if (current != nullptr) {
        current->dirty = 1;
        current->repaintCountdown = 2;
    }
    text_.clear();
    hasText_ = false;
    const uint32_t top = file.Level();
    if (file.FindForm(kFileForm) == kStatusOk && file.Descend() == kStatusOk) ReadText(file);
    art_file::LeaveTo(file, top);
    if (hasText_) textBox_->SetText(text_.c_str());
}

void TutorialScreen::ReadText(IffFile& file) {
    if (introductionPending != 0) {
        if (file.FindChunk(kTextChunk) == kStatusOk) {
            text_ = ReadChunkText(file);
            hasText_ = true;
        }
        return;
    }
    if (file.FindForm(section) != kStatusOk || file.Descend() != kStatusOk) return;
    if (topicKey == kOverviewKey) {
        // The first "TEXT" of the section, even after topic forms.
        if (file.FindChunk(kTextChunk) == kStatusOk) {
            text_ = ReadChunkText(file);
            hasText_ = true;
        }
        return;
    }
    const uint32_t level = file.Level();
    while (!hasText_ && file.FindForm(kTopicForm) == kStatusOk) {
        if (file.Descend() != kStatusOk) break;
        if (file.FindChunk(kKeyChunk) != kStatusOk) break;
        const bool fits = file.ChunkSize() <= kMaxKeyBytes;
        const std::string key = art_file::ReadName(file, kMaxKeyBytes);
        if (fits && key == topicKey && file.FindChunk(kTextChunk) == kStatusOk) {
            text_ = ReadChunkText(file);
            hasText_ = true;
        }
        art_file::LeaveTo(file, level);
    }
}

void TutorialScreen::OpenOverview(Screen& host, uint32_t sectionTag) {
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    auto* const tutorial = dynamic_cast<TutorialScreen*>(game->ScreenIn(ScreenSlot::kTutorial));
    if (tutorial == nullptr) return;
    tutorial->SetSection(sectionTag);
    if (game->tutorialsEnabled == 0) return;
    tutorial->ShowTopic(kOverviewKey);
    tutorial->host_ = &host;
    tutorial->Open();
    tutorial->host_ = nullptr;
    host.tutorialActive = 1;
}

void TutorialScreen::OpenTopic(Screen& host, const char* key) {
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    auto* const tutorial = dynamic_cast<TutorialScreen*>(game->ScreenIn(ScreenSlot::kTutorial));
    if (tutorial == nullptr) return;
    tutorial->ShowTopic(key);
    tutorial->host_ = &host;
    tutorial->Open();
    tutorial->host_ = nullptr;
    host.tutorialActive = 1;
}

void TutorialScreen::Open() {
    currentPanel = panel;
    savedFocus = g_hotspotFocus;
    OpenPanels();
    Place(host_ != nullptr ? host_ : CurrentScreen());
    if (hasText_) {
        g_hotspotFocus = 0;
        FocusNextHotspot();
        PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    }
    SelectFont(TextBox::kFontName);
}

void TutorialScreen::Close() {
    if (topicKey == kOverviewKey) {
        const Screen* const current = CurrentScreen();
        const bool embedded = current != nullptr && embeddedScreenOpen != nullptr && embeddedScreenOpen(*current);
        g_hotspotFocus = embedded ? kEmbeddedOverviewFocus : 0;
    } else {
        g_hotspotFocus = savedFocus;
    }
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

int32_t TutorialScreen::Draw() {
    if (!hasText_) return 0;
    DrawBackdrop();
    return MenuScreen::Draw();
}

void TutorialScreen::DrawBackdrop() const {
    CanvasLock lock;
    if (!lock.CanDraw()) return;
    const CanvasRect edge{kBackdropLeft, BackdropTop(), kBackdropRight - kBackdropLeft + 1,
                          BackdropBottom() - BackdropTop() + 1};
    lock.Target()->FillRectRgb(&edge, kBackdropEdge);
    const CanvasRect inside{edge.x + kBackdropBorder, edge.y + kBackdropBorder, edge.width - 2 * kBackdropBorder,
                            edge.height - 2 * kBackdropBorder};
    lock.Target()->FillRectRgb(&inside, kBackdropFill);
}

void TutorialScreen::Place(const Screen* host) {
    Move(-shift_);
    std::vector<pop_up_placement::Box> buttons;
    for (const SpriteInstance* const sprite : panel->spriteInstances) {
        if (sprite->control == nullptr) continue;
        buttons.push_back({sprite->x, sprite->y, sprite->x + sprite->control->width - 1,
                           sprite->y + sprite->control->height - 1});
    }
    std::vector<pop_up_placement::Box> occupied;
    // A page embedded in the frame is the host; the frame around it is current.
    const Screen* const current = CurrentScreen();
    for (const Screen* const beneath : {host, current != host ? current : nullptr}) {
        if (beneath == nullptr || beneath == this) continue;
        const std::vector<pop_up_placement::Box> boxes = pop_up_placement::OccupiedBoxes(*beneath);
        occupied.insert(occupied.end(), boxes.begin(), boxes.end());
    }
    const int32_t screenHeight = g_gameCanvas != nullptr ? g_gameCanvas->height : 480;
    const int32_t lowest = kEdgeMargin - kBackdropTop;
    const int32_t highest = screenHeight - 1 - kEdgeMargin - kBackdropBottom;
    Move(pop_up_placement::ChooseShift(buttons, occupied, lowest, highest));
}

void TutorialScreen::Move(int32_t dy) {
    if (dy == 0) return;
    shift_ += dy;
    for (SpriteDef* const def : panel->spriteDefs) def->y = uint32_t(int32_t(def->y) + dy);
    for (SpriteInstance* const sprite : panel->spriteInstances) sprite->y += dy;
    textBox_->position.screenY += dy;
    textBox_->UpdateRegion();
    if (eventMap != nullptr) {
        eventMap->ForEachEvent([dy](InputTrigger* t) {
            if (t->yMin >= 0 && t->yMax >= 0) {
                t->yMin = int16_t(t->yMin + dy);
                t->yMax = int16_t(t->yMax + dy);
            }
            return 1;
        });
    }
}

void TutorialScreen::PressSprite(const char* spriteName, uint16_t code) {
    if (edgeEvents.TestEvent(code)) PlayUiSound(kUiSoundHotspot, kUiClickSoundLevel, 1);
    auto* const button = dynamic_cast<BitmapButton*>(panel->FindControl(spriteName));
    if (button != nullptr) button->Press();
}

int32_t TutorialScreen::HandleEvent(uint16_t code) {
    const bool activated = edgeEvents.TestEvent(kCodeActivate);
    switch (code) {
        case kCodeFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kCodeFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        case kCodePage:
            if (edgeEvents.TestEvent(kCodePageUpKey)) {
                textBox_->PageUp();
            } else if (edgeEvents.TestEvent(kCodePageDownKey)) {
                textBox_->PageDown();
            }
            return 1;
        case kCodeScrollUp:
        case kCodeScrollDown:
            if (activated) {
                PlayUiSound(kUiSoundClick3, kUiClickSoundLevel, 1);
                if (code == kCodeScrollUp) {
                    textBox_->PageUp();
                } else {
                    textBox_->PageDown();
                }
            } else {
                PressSprite(code == kCodeScrollUp ? "Scroll Up" : "Scroll Down", code);
            }
            return 1;
        case kCodeDeactivate:
            if (!activated) {
                PressSprite("Tutorial Deactivate", code);
                return 1;
            }
            if (g_gameState != nullptr) g_gameState->tutorialsEnabled = 0;
            nextPanel = pushPanel = nullptr;
            transitionPhase = kPhaseClosing;
            introductionPending = 0;
            return 0;
        case kCodeClose:
            if (!activated) {
                PressSprite("Tutorial Close", code);
                return 1;
            }
            // No More's key with the pointer resting on CLOSE (where the
            // focus puts it): No More, which closes the pop-up too.
            if (edgeEvents.TestEvent(kCodeDeactivate)) return HandleEvent(kCodeDeactivate);
            if (introductionPending != 0) {
                introductionPending = 0;
                Show();
                return 1;
            }
            nextPanel = pushPanel = nullptr;
            transitionPhase = kPhaseClosing;
            return 0;
        default: return 1;
    }
}
