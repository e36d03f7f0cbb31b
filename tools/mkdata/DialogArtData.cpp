#include "tools/mkdata/DialogArtData.h"

#include <memory>

#include "display/Bitmap.h"
#include "display/XfebCodec.h"
#include "engine/IffFile.h"
#include "tools/mkdata/ArtSprite.h"
#include "tools/mkdata/ControlArtData.h"
#include "tools/mkdata/EventMapData.h"
#include "tools/mkdata/MenuArtData.h"

namespace {

constexpr uint16_t kKeyEscape = 1;
constexpr uint16_t kKeyY = 21;
constexpr uint16_t kKeyN = 49;
constexpr uint16_t kKeyTab = 15;
constexpr uint16_t kKeyEnter = 28;
constexpr uint16_t kKeyF1 = 59;
constexpr uint16_t kLeftButton = 1;

constexpr int kWide = 120;
constexpr int kHigh = 28;
constexpr int kRow = 260;
constexpr int kLeftX = 190;
constexpr int kRightX = 330;

struct Sprite {
    const char* name;
    const char* label;
    int x, y;
};

const Sprite kQuitSprites[] = {{"Quit Yes", "YES", kLeftX, kRow}, {"Quit No", "NO", kRightX, kRow}};
const Sprite kPauseSprites[] = {{"Paused Resume", "RESUME", kLeftX, kRow}, {"Paused Options", "OPTIONS", kRightX, kRow}};
// The question each dialog asks, a plaque over its two buttons with no hot
// spot of its own: the dialog opens over any picture, which says nothing.
constexpr int kQuestionWide = kRightX + kWide - kLeftX;
constexpr int kQuestionY = kRow - kHigh - 8;
const Sprite kQuitQuestion = {"Quit Question", "LEAVE THE GAME?", kLeftX, kQuestionY};
const Sprite kPauseQuestion = {"Paused Question", "FLIGHT PAUSED", kLeftX, kQuestionY};
// The restart page's buttons in the order of their events 2 and 3.
const Sprite kRestartButtons[] = {{"No", "NO", kRightX, kRow}, {"Yes", "YES", kLeftX, kRow}};

InputTrigger Spot(const Sprite& sprite) {
    InputTrigger trigger;
    trigger.xMin = int16_t(sprite.x);
    trigger.xMax = int16_t(sprite.x + kWide);
    trigger.yMin = int16_t(sprite.y);
    trigger.yMax = int16_t(sprite.y + kHigh);
    return trigger;
}

// Both dialogs: the two buttons, help, the focus walk, the activation, Y
// for the first choice and N or Escape for the second.
EventMapSpec DialogMap(const char* name, const Sprite (&sprites)[2]) {
    EventMapSpec map;
    map.name = name;
    map.events.push_back({0, Spot(sprites[0])});
    map.events.push_back({1, Spot(sprites[1])});
    map.events.push_back({3, KeyTrigger(kKeyF1)});
    map.events.push_back({4, KeyTrigger(kKeyTab, InputTrigger::kShift + InputTrigger::kNegate)});
    map.events.push_back({5, KeyTrigger(kKeyTab, InputTrigger::kShift)});
    map.events.push_back({6, KeyTrigger(kKeyEnter)});
    map.events.push_back({6, MouseButtonTrigger(kLeftButton)});
    map.events.push_back({8, KeyTrigger(kKeyY)});
    map.events.push_back({9, KeyTrigger(kKeyN)});
    map.events.push_back({9, KeyTrigger(kKeyEscape)});
    return map;
}

// The restart page: Y and N answer at once, the buttons, help, the focus
// walk and the activation.
EventMapSpec RestartMap() {
    EventMapSpec map;
    map.name = "restart";
    map.events.push_back({0, KeyTrigger(kKeyY)});
    map.events.push_back({1, KeyTrigger(kKeyN)});
    map.events.push_back({2, Spot(kRestartButtons[0])});
    map.events.push_back({3, Spot(kRestartButtons[1])});
    map.events.push_back({5, KeyTrigger(kKeyF1)});
    map.events.push_back({6, KeyTrigger(kKeyTab, InputTrigger::kShift + InputTrigger::kNegate)});
    map.events.push_back({7, KeyTrigger(kKeyTab, InputTrigger::kShift)});
    map.events.push_back({8, KeyTrigger(kKeyEnter)});
    map.events.push_back({8, MouseButtonTrigger(kLeftButton)});
    return map;
}

Status WriteSprites(const char* path, const Sprite& question, const Sprite (&sprites)[2]) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    if (status == kStatusOk) status = WriteArtSprite(iff, question.name, question.x, question.y);
    for (const Sprite& sprite : sprites) {
        if (status == kStatusOk) status = WriteArtSprite(iff, sprite.name, sprite.x, sprite.y);
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

// A dark page with a red band behind the question.
std::unique_ptr<Bitmap> RestartBackground() {
    constexpr int kWidth = 640, kHeight = 480;
    auto picture = std::make_unique<Bitmap>();
    if (picture->Create(kWidth, kHeight, Bitmap::kDepth24Bit, false) != kStatusOk) return nullptr;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* const pixel = picture->pixels + 3 * (y * kWidth + x);
            const bool band = y >= 200 && y < 310 && x >= 160 && x < 480;
            pixel[0] = uint8_t(band ? 40 : 8);
            pixel[1] = uint8_t(band ? 16 : 8 + y / 40);
            pixel[2] = uint8_t(band ? 120 : 20 + y / 16);
        }
    }
    return picture;
}

Status WriteRestartArt(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("PALT"), "mastermenu", uint32_t(sizeof "mastermenu"));
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("BKGD"));
    if (status == kStatusOk) {
        const std::unique_ptr<Bitmap> background = RestartBackground();
        XfebCodec codec(background.get());
        status = background != nullptr ? codec.WriteForm(&iff, background.get()) : kStatusOutOfMemory;
    }
    if (status == kStatusOk) status = iff.Ascend();
    for (const Sprite& button : kRestartButtons) {
        if (status == kStatusOk) status = WriteMenuButton(iff, button.name, button.label, button.x, button.y, kWide, kHigh);
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

}  // namespace

Status WriteDialogArtItems(IffFile& iff) {
    Status status = kStatusOk;
    for (const Sprite* sprites : {kQuitSprites, kPauseSprites}) {
        for (int i = 0; i < 2 && status == kStatusOk; ++i) {
            status = WriteMenuArtItem(iff, sprites[i].name, kWide, kHigh, sprites[i].label);
        }
    }
    for (const Sprite& question : {kQuitQuestion, kPauseQuestion}) {
        if (status == kStatusOk) status = WriteMenuArtItem(iff, question.name, kQuestionWide, kHigh, question.label);
    }
    if (status == kStatusOk) status = WriteControlArtItems(iff);
    return status;
}

Status WriteDialogArt(const std::string& root) {
    const std::string cel = root + "/cel/";
    Status status = WriteEventMapFile((cel + "QUIT.iff").c_str(), {DialogMap("quit", kQuitSprites)});
    if (status == kStatusOk) status = WriteEventMapFile((cel + "PAUSE.iff").c_str(), {DialogMap("pause", kPauseSprites)});
    if (status == kStatusOk) status = WriteEventMapFile((cel + "RESTART.iff").c_str(), {RestartMap()});
    if (status == kStatusOk) status = WriteSprites((root + "/option/QUIT1.iff").c_str(), kQuitQuestion, kQuitSprites);
    if (status == kStatusOk) status = WriteSprites((root + "/option/PAUSE1.iff").c_str(), kPauseQuestion, kPauseSprites);
    if (status == kStatusOk) status = WriteRestartArt((root + "/option/RESTART1.iff").c_str());
    if (status == kStatusOk) status = WriteControlArt(root);
    return status;
}
