#include "ui/Screen.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/XfebCodec.h"
#include "engine/Clock.h"
#include "engine/IffFile.h"
#include "engine/Random.h"
#include "engine/TextCompare.h"
#include "engine/input/InputSystem.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/SoftCursor.h"
#include "net/NetSession.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "sound/SoundDevice.h"
#include "ui/HotspotFocus.h"
#include "ui/TimedAnimation.h"
#include "ui/UiSounds.h"

int32_t g_windowOriginX = 0;
int32_t g_windowOriginY = 0;

namespace {

constexpr uint32_t kXfebForm = MakeTag("XFEB");
constexpr uint32_t kPaletteChunk = MakeTag("PALT");
// The colour key of the art: magenta.
constexpr uint8_t kKeyRed = 255, kKeyGreen = 0, kKeyBlue = 255;
// Text colours, packed red in the low byte: green on the screens, white on
// black once a screen has ended.
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kTextBackgroundIndex = 255;

// The part of the NAME after its first backslash, in lower case: the
// header name of the screen's form in its map file.
std::string MapKey(const std::string& name) {
    const size_t slash = name.find('\\');
    std::string key = slash == std::string::npos ? name : name.substr(slash + 1);
    for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

GameState* Game() { return g_gameState; }

Canvas* GameCanvas() { return g_gameCanvas; }

Palette* CanvasPalette() {
    Canvas* const canvas = GameCanvas();
    return canvas != nullptr ? canvas->palette : nullptr;
}

void SetTextColours(uint32_t foreground, uint32_t background) {
    Palette* const palette = CanvasPalette();
    if (palette == nullptr) return;
    SetFontColors(palette->MatchColor(foreground), background);
}

bool SessionActive(const GameState& game) { return game.netSession != nullptr && game.netSession->IsActive(); }

void DeleteAnimations(DynArray<TimedAnimation*>& list) {
    for (TimedAnimation* const animation : list) delete animation;
    list.Clear();
}

// |rand() % count - 1|: index 1 comes up for both 0 and 2, and the last
// index never would, so the pick is kept inside the list.
int32_t AmbientPick(int32_t count) {
    const int32_t pick = std::abs(GameRandom() % count - 1);
    return pick < count ? pick : count - 1;
}

}  // namespace

int32_t OffsetUiRect(InputTrigger* record) {
    const auto offset = [](int16_t& corner, int32_t by) {
        if (corner >= 0) corner = int16_t(corner + by);
    };
    offset(record->xMin, g_windowOriginX);
    offset(record->xMax, g_windowOriginX);
    offset(record->yMin, g_windowOriginY);
    offset(record->yMax, g_windowOriginY);
    return 1;
}

Screen::Screen(const char* screenName) : name(screenName != nullptr ? screenName : ""), createdAt(GetMilliseconds()) {
    const std::string key = MapKey(name);
    const std::string path = g_dataDirs.Prefix(DataDir::kCel) + name + ".iff";
    InputSystem* const input = Game() != nullptr ? Game()->Input() : nullptr;
    eventMap = std::make_unique<InputEventMap>(input, path.c_str(), key.c_str());
    eventMap->ForEachEvent(OffsetUiRect);
    continuousRedraw = 0;
    FillUiSounds();
}

Screen::~Screen() {
    DeleteAnimations(roomAnimations);
    DeleteAnimations(ambientAnimations);
    backgroundPixels.ReleaseCopies();
}

void Screen::Open() {
    transitionPhase = 0;
    if (Game() != nullptr && Game()->cursor != nullptr) {
        Game()->cursor->ClearDrawnFlag();
        Game()->cursor->repaint = true;
    }
    g_hotspotFocus = 0;
}

void Screen::Close() {
    backgroundPixels.ReleaseCopies();
    backgroundPixels.pixels = nullptr;
    background.reset();
}

void Screen::Randomize() {
    GameRandomSeed(GetMilliseconds());
    const int32_t count = ambientAnimations.Count();
    if (count == 0) return;
    ambientPick[0] = AmbientPick(count);
    ambientPick[1] = AmbientPick(count);
}

void Screen::Update() {}

int32_t Screen::HandleEvent(uint16_t) { return 1; }

void Screen::UpdateCursor() {
    GameState* const game = Game();
    if (game == nullptr || game->cursor == nullptr) return;
    int32_t shape = SoftCursor::kShapeArrow;
    for (const TimedAnimation* const animation : roomAnimations) {
        if (animation->triggered != 0) {
            shape = SoftCursor::kShapeHighlight;
            break;
        }
    }
    game->cursor->SetShape(shape, -1, 1);
}

void Screen::EndInputPass() {
    InputSystem* const input = Game() != nullptr ? Game()->Input() : nullptr;
    if (input != nullptr) input->Snapshot();
}

void Screen::ReadEvents(bool lastReader) {
    KeySet all;
    all = ~all;
    InputSystem* const input = Game() != nullptr ? Game()->Input() : nullptr;
    // What went down and up again since the last pass still counts as down
    // in this one, up to the snapshot.
    if (input != nullptr) input->Update();
    currentEvents.Assign(eventMap->Poll(all));
    if (lastReader) EndInputPass();
    KeySet edges;
    for (int i = 0; i < KeySet::kWords; ++i) {
        edges.words[i] = currentEvents.words[i] & ~previousEvents.words[i];
        previousEvents.words[i] = currentEvents.words[i];
    }
    edgeEvents.Assign(edges);
}

void Screen::SkipEvents() {
    currentEvents.Clear();
    edgeEvents.Clear();
    KeySet all;
    previousEvents.Assign(~all);
}

int32_t Screen::Draw() {
    int32_t result = 1;
    if (tutorialActive == 0) {
        ReadEvents();
        // A held event is dispatched on every pass, not only on its edge.
        if (!currentEvents.IsEmpty()) {
            for (uint32_t event = 0; event < KeySet::kBits; ++event) {
                const uint16_t code = EventKey(event);
                if (!currentEvents.TestEvent(code)) continue;
                if (HandleEvent(code) == 0) {
                    result = 0;
                    break;
                }
            }
        }
    }
    UpdateCursor();
    Update();
    transitionPhase = 0;
    return result;
}

void Screen::BeginRun() {
    GameState* const game = Game();
    Open();
    running = 1;
    Canvas* const canvas = GameCanvas();
    if (!paletteName.empty()) {
        Palette* const palette = game->LoadPalette(paletteName.c_str());
        if (palette != nullptr && canvas != nullptr) canvas->palette = palette;
    }
    if (canvas != nullptr) canvas->DisableDepthTest();
    eventMap->Activate();
    if (game->Input() != nullptr) game->Input()->EnableMouse(true);
    previousEvents.Clear();
    SoftCursor* const cursor = game->cursor;
    platform::Window* const window = game->Input() != nullptr ? game->Input()->GetWindow() : nullptr;
    if (cursor != nullptr && cursor->software && cursor->visible && window != nullptr) {
        // The game draws its own pointer: the system's stays hidden.
        while (window->CursorCount() >= 0) window->ShowCursor(false);
    }
    SetTextColours(kGreen, kTextBackgroundIndex);
    repaintCountdown = 1;
    dirty = 1;
    pressedFlag = 0;
    if (cursor != nullptr && window != nullptr) cursor->Show(*window);
    if (cursor != nullptr && window == nullptr) cursor->visible = true;
}

bool Screen::RepaintBackground() {
    if (dirty == 0 && repaintCountdown == 0) return false;
    SoftCursor* const cursor = Game()->cursor;
    if (cursor != nullptr) cursor->ClearDrawnFlag();
    Canvas* const canvas = GameCanvas();
    const int32_t lock = canvas != nullptr ? canvas->Lock() : -1;
    if (lock != -1) {
        if (background != nullptr) canvas->BlitImage(&backgroundRect, &backgroundPixels, TimedAnimation::kBlitMode);
        if (lock == 0) canvas->Unlock();
    }
    // Two repaints, so that both buffers of a flipped display get the background.
    const bool repainted = repaintCountdown != 0;
    if (repaintCountdown == 1) {
        repaintCountdown = 2;
    } else if (repaintCountdown == 2) {
        repaintCountdown = 0;
    }
    if (cursor != nullptr) cursor->repaint = false;
    return repainted;
}

void Screen::EndRun() {
    SetTextColours(kWhite, CanvasPalette() != nullptr ? CanvasPalette()->MatchColor(kBlack) : 0);
    eventMap->Deactivate();
    Close();
    GameState* const game = Game();
    game->currentScreen = game->nextScreen;
}

void Screen::DrawTutorial() {
    if (tutorialActive == 0) return;
    GameState* const game = Game();
    Screen* const tutorial = game != nullptr ? game->ScreenIn(ScreenSlot::kTutorial) : nullptr;
    tutorialActive = tutorial != nullptr ? tutorial->Draw() : 0;
    if (tutorialActive == 0) {
        if (tutorial != nullptr) tutorial->Close();
        repaintCountdown = 1;
    }
}

void Screen::Run() {
    GameState* const game = Game();
    if (game == nullptr) return;
    BeginRun();
    bool firstPass = true;
    bool repainted = false;
    while (game->PumpMessages() != 0 && running != 0) {
        if (continuousRedraw != 0) dirty = 1;
        if (dirty != 0 || repaintCountdown != 0) repainted = RepaintBackground();
        if (repainted || repaintCountdown != 0) dirty = 1;
        running = Draw();
        UpdateAnimations();
        DrawTutorial();
        if (game->Sound() != nullptr) game->Sound()->ServiceMusic();
        const bool session = SessionActive(*game);
        if (session) {
            game->NetReceive();
            game->NetSend();
        }
        if (tutorialActive != 0 || dirty != 0 || (repainted && transitionPhase == 0 && running != 0)) {
            game->FlipFrame();
            // The first frame keeps dirty, so the second pass shows the second repaint.
            if (!firstPass) dirty = 0;
            firstPass = false;
            repainted = false;
        }
        if (session && game->netSession->IsHost() && !HoldsSimulation()) game->Simulate();
        if (continuousRedraw != 0) platform::Clock::Current().Sleep(kContinuousSleepMs);
    }
    EndRun();
}

void Screen::UpdateAnimations() {
    for (TimedAnimation* const animation : roomAnimations) {
        // Without frames there is nothing to step or show.
        if (animation->FrameCount() == 0) continue;
        switch (animation->mode) {
            case TimedAnimation::kModeForward:
                if (animation->currentFrame != animation->LastFrame() && animation->DelayPassed()) {
                    ++animation->currentFrame;
                    animation->MarkStep();
                }
                break;
            case TimedAnimation::kModeHotspot:
                if (animation->triggered != 0) {
                    animation->triggered = 0;
                    animation->Draw();
                } else {
                    animation->StepBack();
                }
                if (animation->currentFrame != 0) animation->Draw();
                break;
            case TimedAnimation::kModeLoop:
                if (animation->currentFrame == animation->LastFrame()) {
                    animation->currentFrame = 0;
                } else if (animation->DelayPassed()) {
                    ++animation->currentFrame;
                    animation->MarkStep();
                }
                animation->Draw();
                break;
            case TimedAnimation::kModeSwing:
                if (animation->triggered != 0) {
                    animation->triggered = 0;
                    animation->Draw();
                    if (animation->currentFrame >= animation->LastFrame()) {
                        animation->currentFrame = 0;
                    }
                } else if (animation->StepBack() != 0) {
                    animation->Draw();
                }
                break;
            default: break;
        }
    }
    for (const int32_t pick : ambientPick) {
        if (pick < 0 || pick >= ambientAnimations.Count()) continue;
        TimedAnimation* const animation = ambientAnimations[pick];
        animation->Draw();
        if (animation->FrameCount() > 1) animation->Advance();
    }
}

void Screen::LoadBackground(IffFile& file) {
    backgroundPixels.ReleaseCopies();
    backgroundPixels.pixels = nullptr;
    background.reset();
    Bitmap source;
    if (file.FindForm(kXfebForm) == kStatusOk) {
        XfebCodec codec(&source);
        codec.ReadForm(&file, &source);
    }
    SetBackground(source);
    source.Free();
    file.Ascend();
    file.Rewind(0);
    if (file.FindChunk(kPaletteChunk) == kStatusOk) {
        std::vector<char> text(size_t(file.ChunkSize()) + 1, '\0');
        if (file.ReadChunk(text.data(), file.ChunkSize()) == kStatusOk) paletteName = text.data();
    }
    file.Rewind(0);
}

void Screen::SetBackground(const Bitmap& source) {
    backgroundPixels.ReleaseCopies();
    backgroundPixels.pixels = nullptr;
    background.reset();
    const bool format555 = g_pixelFormat == kPixelFormatRgb555;
    // Only 24-bit art is converted; any other depth leaves no background.
    if (source.bytesPerPixel == Bitmap::kDepth24Bit && source.pixels != nullptr) {
        auto image = std::make_unique<Bitmap>();
        if (image->Create(source.width, source.height, Bitmap::kDepth16Bit, false) == kStatusOk) {
            const size_t count = size_t(source.width) * source.height;
            for (size_t i = 0; i < count; ++i) {
                const uint8_t c0 = source.pixels[3 * i];
                const uint8_t c1 = source.pixels[3 * i + 1];
                const uint8_t c2 = source.pixels[3 * i + 2];
                uint16_t pixel;
                if (c0 == kKeyRed && c1 == kKeyGreen && c2 == kKeyBlue) {
                    pixel = format555 ? PixelImage::kKey555 : PixelImage::kKey565;
                } else {
                    pixel = format555 ? PackPixel555(c0, c1, c2) : PackPixel565(c0, c1, c2);
                }
                image->pixels[2 * i] = uint8_t(pixel);
                image->pixels[2 * i + 1] = uint8_t(pixel >> 8);
            }
            background = std::move(image);
        }
    }
    backgroundRect = CanvasRect{0, 0, kWidth, kHeight};
    if (background == nullptr) return;
    backgroundPixels.pixels = background->pixels;
    backgroundPixels.width = int16_t(background->width);
    backgroundPixels.height = int16_t(background->height);
    backgroundRect = CanvasRect{0, 0, background->width, background->height};
    backgroundPixels.flags &= ~uint32_t(PixelImage::kFormat8Bit);
    backgroundPixels.flags |= format555 ? PixelImage::kFormat555 : PixelImage::kFormat565;
}

int32_t Screen::FindAnimation(const char* animationName) const {
    if (animationName == nullptr) return -1;
    for (int32_t i = 0; i < roomAnimations.Count(); ++i) {
        if (text::_stricmp(roomAnimations[i]->Name().c_str(), animationName) == 0) return i;
    }
    return -1;
}

void Screen::FinishAnimation(const char* animationName) {
    const int32_t index = FindAnimation(animationName);
    if (index < 0) return;
    TimedAnimation* const animation = roomAnimations[index];
    if (animation->FrameCount() > 0) animation->SetFrame(animation->LastFrame());
}
