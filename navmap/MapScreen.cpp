#include "navmap/MapScreen.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "display/BitmapCodec.h"
#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "display/ScreenVertex.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/Goal.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/CelFrame.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kIconForm = MakeTag("ICON");
constexpr uint32_t kCelForm = MakeTag("XCEL");
constexpr uint32_t kArtForm = MakeTag("OPTS");
constexpr uint32_t kMapForm = MakeTag("NAVM");
constexpr uint32_t kBackgroundForm = MakeTag("BKGD");
constexpr uint32_t kNoFrameColour = 255;
constexpr uint32_t kKeyedBlit = 0xFF000000u;
constexpr float kBarIntensity = 192.0f;
constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr int32_t kRangeX = 300;
constexpr int32_t kRangeY = 20;
constexpr int32_t kPromptX = 180;
constexpr int32_t kPromptY = 60;

constexpr uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16;
}
constexpr uint32_t kGreen = Rgb(0, 255, 0);
constexpr uint32_t kLocationColour = Rgb(33, 41, 181);
constexpr uint32_t kJumpColour = Rgb(99, 181, 255);
constexpr uint32_t kPlainLineColour = Rgb(0, 255, 0);

struct ControlSpec {
    const char* name;
    int32_t x, y, width, height;
};
constexpr ControlSpec kListSpec{MapScreen::kObjectList, 157, 377, 250, 80};
constexpr ControlSpec kBoxSpecs[] = {
    {MapScreen::kGoalText, 425, 377, 180, 80},       {MapScreen::kObjectName, 470, 377, 150, 12},
    {MapScreen::kObjectRace, 470, 392, 150, 12},     {MapScreen::kObjectShipType, 470, 407, 200, 12},
    {MapScreen::kObjectStatus, 470, 422, 150, 12},
};

// Names whose buttons every Open turns on again.
constexpr const char* kFilterWords[] = {"neutral", "friendly", "hostile", "filter"};

std::string GoalLine(const char* description, const char* status) {
    std::string line = description != nullptr ? description : "";
    if (line.size() < size_t(MapScreen::kGoalColumn)) line.resize(size_t(MapScreen::kGoalColumn), ' ');
    return line + "  " + status;
}

const char* GoalStatus(Goal& goal) {
    const bool toGate = goal.GetKind() == Goal::kTravel && goal.destination != nullptr &&
                        goal.destination->type == SpaceObject::kTypeJumpGate;
    // A goal no longer pending is one that was met; one switched off or not
    // yet switched on is still to do, and a failed one says so.
    if (goal.met != 0 && !toGate) return "done.";
    if (goal.met != 0) return goal.done != 0 || goal.GetKind() == Goal::kDisable ? "done." : "active.";
    return goal.done != 0 ? "failed." : "active.";
}

template <typename Control>
Control* Named(const ArtObject* panel, const char* name) {
    return panel != nullptr ? dynamic_cast<Control*>(panel->FindControl(name)) : nullptr;
}

bool EqualIgnoringCase(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

struct MapScreen::Pass {
    explicit Pass(GameState& state) : game(state) {}
    GameState& game;
    ListBox* list = nullptr;
    int32_t notedTop = 0;
    int32_t notedSelection = -1;
    SpaceObject* goalSubject = nullptr;
    std::unordered_set<const SpaceObject*> goalSubjects;   // objects named by a displayed goal
    map_classes::Filters filters;
    bool goalFilter = false;
    bool radarActive = true;
};

int32_t SymbolDepthOrder(const MapSymbol& a, const MapSymbol& b) {
    if (a.depthKey == b.depthKey) return 0;
    return a.depthKey < b.depthKey ? 1 : -1;
}

MapScreen::MapScreen(const char* screenName, MapTwin twin, const char* panelName, const char* artFile)
    : MenuScreen(screenName), twin_(twin), artFile_(artFile) {
    artObject = new ArtObject(panelName, 0);
    artObjects.Append(artObject);
    IffFile file(0);
    const bool opened = OpenArtLevel(file);
    if (opened) LoadSymbolImages(file, &symbolImages);
    const auto corner = [](const ControlSpec& spec) { return FrameRect::Init(spec.x, spec.y, 0); };
    const FrameRect listCorner = corner(kListSpec);
    artObject->AddControl(new ListBox(kListSpec.width, kListSpec.height, listCorner, listCorner, listCorner,
                                      kNoFrameColour, 0, kListSpec.name));
    for (const ControlSpec& spec : kBoxSpecs) {
        const FrameRect at = corner(spec);
        artObject->AddControl(new TextBox(spec.width, spec.height, at, at, at, kNoFrameColour, 0, spec.name));
    }
    if (opened) artObject->LoadButtons(file);
}

MapScreen::~MapScreen() = default;

bool MapScreen::OpenArtLevel(IffFile& file) const {
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + artFile_;
    if (!art_file::OpenArt(file, path)) return false;
    if (twin_ == MapTwin::kInFlight) return true;
    return file.FindForm(kArtForm) == kStatusOk && file.Descend() == kStatusOk && file.FindForm(kMapForm) == kStatusOk &&
           file.Descend() == kStatusOk;
}

void MapScreen::LoadSymbolImages(IffFile& file, std::vector<std::unique_ptr<Bitmap>>* images) {
    while (file.FindForm(kIconForm) == kStatusOk) {
        if (file.Descend() != kStatusOk) break;
        if (file.FindForm(kCelForm) == kStatusOk && file.Descend() == kStatusOk) {
            auto image = std::make_unique<Bitmap>();
            // A cel that cannot be read keeps its place, so later indices stay right.
            (void)BitmapCodec::ReadCoorBitmap(&file, image.get());
            images->push_back(std::move(image));
        }
        if (file.Ascend() != kStatusOk) break;
    }
    file.Rewind(1);
}

void MapScreen::OpenMap(uint32_t tutorialForm) {
    currentPanel = artObject;
    {
        IffFile file(0);
        if (OpenArtLevel(file) && file.FindForm(kBackgroundForm) == kStatusOk && file.Descend() == kStatusOk) {
            LoadBackground(file);
        }
    }
    // The panel's Open resets its buttons; the list mode outlives the visit.
    const int32_t goalFilter = ButtonState(kGoalFilter);
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    SetButtonState(kGoalFilter, goalFilter);
    InitFilterButtons();
    TutorialScreen::OpenOverview(*this, tutorialForm);
    if (g_gameCanvas != nullptr) g_gameCanvas->Clear(0, 0xFFFFFFFFu);
    if (g_gameState != nullptr) g_gameState->FlipFrame();
}

void MapScreen::InitFilterButtons() {
    for (UiControl* const control : artObject->controls) {
        const std::string& controlName = control->Name();
        if (controlName == kGoalFilter) continue;
        const bool filter = std::any_of(std::begin(kFilterWords), std::end(kFilterWords),
                                        [&](const char* word) { return controlName.find(word) != std::string::npos; });
        if (!filter) continue;
        if (auto* const button = dynamic_cast<BitmapButton*>(control)) button->SetState(BitmapButton::kLatched);
    }
}

int32_t MapScreen::ButtonState(const char* button) const {
    const auto* const control = Named<BitmapButton>(artObject, button);
    return control != nullptr ? control->GetState() : 0;
}

void MapScreen::SetButtonState(const char* button, int32_t newState) {
    if (auto* const control = Named<BitmapButton>(artObject, button)) control->SetState(newState);
}

TextBox* MapScreen::Box(const char* boxName) const { return Named<TextBox>(artObject, boxName); }

map_classes::Side MapScreen::SideOf(const SpaceObject& object) const {
    if (object.side == 0) return map_classes::kNeutral;
    if (twin_ == MapTwin::kWarRoom) return object.side == 1 ? map_classes::kFriendly : map_classes::kHostile;
    const SpaceObject* const player = g_gameState != nullptr ? g_gameState->playerShip : nullptr;
    return player != nullptr && object.side == player->side ? map_classes::kFriendly : map_classes::kHostile;
}

bool MapScreen::IsCandidate(const SpaceObject& object) const {
    if (object.active == 0) return false;
    switch (object.type) {
        case SpaceObject::kTypeAiShip:
        case SpaceObject::kTypeAsteroid:
        case SpaceObject::kTypeNavBuoy:
        case SpaceObject::kTypeWayPoint:
        case SpaceObject::kTypeJumpGate:
        case SpaceObject::kTypeMine: break;
        case SpaceObject::kTypePlayerShip:
            if (twin_ != MapTwin::kInFlight) return false;
            break;
        default: return false;
    }
    if (object.isNavPoint != 0 && object.classWord == SpaceObject::kNeverSeenClass) return false;
    if (twin_ == MapTwin::kInFlight) return object.type != SpaceObject::kTypeWayPoint || object.identified != 0;
    return object.identified != 0;
}

bool MapScreen::GoalListed(const Goal& goal) const {
    if (goal.playerGoal == 0 || listObjects != 0 || goal.display == 0 || goal.recordType == Goal::kJumpThrough) {
        return false;
    }
    if (goal.side == 0) return true;
    const GameState* const game = g_gameState;
    if (twin_ == MapTwin::kInFlight) {
        return game != nullptr && game->playerShip != nullptr && goal.side == game->playerShip->side;
    }
    const int32_t team = game != nullptr && game->career != nullptr ? game->career->teamIndex : -1;
    return team == -1 || goal.side == team + 1;
}

void MapScreen::GoalPass(Pass& pass) {
    Goal* const first = pass.game.mission->goalList;
    std::vector<Goal*> collected;
    const auto listed = [&](Goal* goal) { return std::find(collected.begin(), collected.end(), goal) != collected.end(); };
    // Goals a network game sent may chain back on themselves: no walk of the
    // chain goes further than there are goals.
    const int32_t goals = CountGoals();
    int32_t steps = goals;
    for (Goal* goal = g_objectiveChain; goal != nullptr && steps-- > 0; goal = goal->nextGoal) {
        if (GoalListed(*goal) && !listed(goal)) collected.push_back(goal);
    }
    for (Goal* goal = first != nullptr ? first : g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->playerGoal == 0) continue;
        if (goal->GetSubject() != nullptr && goal->display != 0) pass.goalSubjects.insert(goal->GetSubject());
        if (GoalListed(*goal) && !listed(goal)) collected.push_back(goal);
    }
    steps = goals;
    for (Goal* goal = g_objectiveChain; goal != nullptr && steps-- > 0; goal = goal->nextGoal) {
        if (goal->playerGoal != 0 && listObjects == 0 && goal->display != 0 && goal->recordType == Goal::kJumpThrough) {
            collected.push_back(goal);
        }
    }
    if (pass.list == nullptr) return;
    // The list draws its lines in the text palette: its colour entries are indices of that palette.
    if (pass.game.textPalette == nullptr) pass.game.textPalette = pass.game.LoadPalette(TextBlock::kTextPaletteName);
    Palette* const palette = pass.game.textPalette != nullptr ? pass.game.textPalette
                             : g_gameCanvas != nullptr          ? g_gameCanvas->palette
                                                                : nullptr;
    const auto match = [&](uint32_t rgb) -> uint32_t { return palette != nullptr ? palette->MatchColor(rgb) : 0; };
    for (size_t i = 0; i < collected.size(); ++i) {
        Goal& goal = *collected[i];
        pass.list->AddLine(GoalLine(goal.GetDescription(), GoalStatus(goal)).c_str());
        const bool located = goal.location[0] != 0 || goal.location[1] != 0 || goal.location[2] != 0;
        if (!located && goal.recordType != Goal::kJumpThrough) continue;
        TextBlock* const block = pass.list->GetBlock(0);
        if (block == nullptr) continue;
        // Colours are kept by line number: the plain lines before this one keep the list's green.
        block->lineColours.resize(i, match(kPlainLineColour));
        block->lineColours.push_back(match(located ? kLocationColour : kJumpColour));
    }
    for (size_t i = 0; i < collected.size(); ++i) {
        if (int32_t(i) == pass.notedSelection) pass.goalSubject = collected[i]->GetSubject();
    }
}

void MapScreen::SelectIfChosen(Pass& pass, SpaceObject& object, MapSymbol& symbol) {
    SpaceObject* const chosen = selectedObject;
    if (chosen == nullptr) return;
    bool same = &object == chosen;
    if (!same && object.type == SpaceObject::kTypeAsteroid && chosen->type == SpaceObject::kTypeAsteroid) {
        same = object.name != nullptr && chosen->name != nullptr && std::strcmp(object.name, chosen->name) == 0;
    }
    if (!same) return;
    if (pass.list != nullptr) pass.list->SetSelection(pass.list->GetLineCount() - 1);
    symbol.selected = 1;
}

void MapScreen::ObjectPass(Pass& pass, SpaceObject& object) {
    if (!IsCandidate(object)) return;
    MapPoint point;
    const Vector3 position = object.Position();
    if (!map_projection::Project(twin_, map_projection::ToMapSpace(mapCamera, position), mapRange, &point)) return;
    const SpaceObject* const player = pass.game.playerShip;
    if (twin_ == MapTwin::kInFlight) {
        const bool ownSide = player != nullptr && object.side == player->side;
        const bool alwaysSeen = object.type == SpaceObject::kTypeNavBuoy || object.type == SpaceObject::kTypeWayPoint ||
                                object.type == SpaceObject::kTypeAsteroid || object.type == SpaceObject::kTypeJumpGate;
        if (!ownSide && !alwaysSeen && !Detects(object)) return;
    }
    MapSymbol symbol;
    symbol.depthKey = point.depthKey;
    symbol.barX = point.x;
    symbol.barY = point.barY;
    symbol.x = point.x;
    symbol.y = point.y;
    symbol.object = &object;
    if (twin_ == MapTwin::kInFlight && !pass.radarActive && object.type >= SpaceObject::kTypeCraft) {
        auto* const craft = dynamic_cast<Craft*>(&object);
        const int32_t draw = craft != nullptr ? craft->GetTotalPowerDraw() : 0;
        if (listObjects != 0) {
            if (pass.list != nullptr) pass.list->AddLine(("Energy Signature : " + std::to_string(draw)).c_str());
            symbol.image = map_classes::SignatureImage(draw);
        }
    } else {
        map_classes::ObjectTraits traits;
        traits.kind = object.type;
        traits.model = object.ModelName();
        traits.classWord = object.classWord;
        traits.navPointFlag = object.isNavPoint;
        traits.side = SideOf(object);
        const int32_t image = map_classes::ClassImage(twin_, traits, pass.filters);
        if (image < 0) return;
        if (listObjects != 0 && pass.list != nullptr) {
            const char* const text = object.name != nullptr ? object.name : "";
            bool repeated = false;
            if (object.type == SpaceObject::kTypeAsteroid) {
                const int32_t lines = pass.list->GetLineCount();
                for (int32_t i = 0; i < lines && !repeated; ++i) {
                    const char* const line = pass.list->GetItem(i);
                    repeated = line != nullptr && std::strcmp(line, text) == 0;
                }
            }
            if (!repeated) pass.list->AddLine(text);
        }
        if (pass.goalFilter && pass.goalSubjects.count(&object) != 0) symbol.goalFlag = 1;
        SelectIfChosen(pass, object, symbol);
        symbol.image = image;
    }
    if (listObjects == 0 && &object == pass.goalSubject && (twin_ == MapTwin::kWarRoom || pass.radarActive)) {
        symbol.selected = 1;
    }
    if (symbol.image >= 0 && map_projection::InSymbolWindow(point)) symbols.push_back(symbol);
}

void MapScreen::DrawMap(Transform& camera, int32_t range) {
    GameState* const game = g_gameState;
    if (game == nullptr || game->mission == nullptr || game->mission->firstObject == nullptr) return;
    Pass pass(*game);
    symbols.clear();
    pass.list = Named<ListBox>(artObject, kObjectList);
    if (pass.list != nullptr) {
        if (TextBlock* const block = pass.list->GetBlock(0)) {
            pass.notedTop = std::max(block->topLine, 0);
            pass.notedSelection = block->selection;
        }
        pass.list->Clear();
        pass.list->SetText(nullptr);
        if (TextBlock* const block = pass.list->GetBlock(0)) block->selection = -1;
    }
    pass.goalFilter = ButtonState(kGoalFilter) != 0;
    pass.radarActive = RadarActive() != 0;
    using map_classes::kFriendly;
    using map_classes::kHostile;
    using map_classes::kNeutral;
    const char* const sides[3] = {"neutral", "friendly", "hostile"};
    for (int32_t side : {kNeutral, kFriendly, kHostile}) {
        pass.filters.ship[side] = ButtonState(("Ship " + std::string(sides[side])).c_str()) != 0;
        pass.filters.base[side] = ButtonState(("Base " + std::string(sides[side])).c_str()) != 0;
        pass.filters.mine[side] = ButtonState(("Mine " + std::string(sides[side])).c_str()) != 0;
    }
    pass.filters.asteroid = ButtonState("Asteroid filter") != 0;
    pass.filters.navPoint = ButtonState(kNavPointFilter) != 0;
    GoalPass(pass);
    if (twin_ == MapTwin::kInFlight && followObject != nullptr) camera = followObject->world;
    mapRange = range;
    for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
        ObjectPass(pass, *object);
    }
    std::sort(symbols.begin(), symbols.end(),
              [](const MapSymbol& a, const MapSymbol& b) { return SymbolDepthOrder(a, b) < 0; });
    if (pass.list != nullptr) {
        if (TextBlock* const block = pass.list->GetBlock(0)) {
            block->SetTopLine(pass.notedTop);
            if (listObjects == 0) block->selection = pass.notedSelection;
        }
    }
    UpdateInfoPanel();
    if (g_gameCanvas != nullptr) DrawSymbols(*g_gameCanvas);
}

void MapScreen::BlitCentred(Canvas& canvas, int32_t image, int32_t x, int32_t y) {
    // A short art file may lack an index a class can produce.
    if (image < 0 || size_t(image) >= symbolImages.size() || symbolImages[size_t(image)] == nullptr) return;
    Bitmap& bitmap = *symbolImages[size_t(image)];
    BorrowedImage borrowed(bitmap);
    if (!borrowed.HasPixels()) return;
    const int32_t w = int16_t(bitmap.width);
    const int32_t h = int16_t(bitmap.height);
    const CanvasRect rect{x - w / 2, y - h / 2, w, h};
    canvas.BlitImage(&rect, &borrowed.Image(), kKeyedBlit);
}

void MapScreen::DrawSymbols(Canvas& canvas) {
    const uint32_t green = canvas.palette != nullptr ? canvas.palette->MatchColor(kGreen) : 0;
    const int32_t lock = canvas.Lock();
    if (lock == -1) return;
    for (MapSymbol& symbol : symbols) {
        if (ButtonState(kBarFilter) != 0) {
            ScreenVertex top{};
            top.x = float(symbol.x);
            top.y = float(symbol.y);
            top.colour = green;
            top.intensity = kBarIntensity;
            ScreenVertex foot = top;
            foot.x = float(symbol.barX);
            foot.y = float(symbol.barY);
            canvas.DrawLine(&top, &foot, nullptr);
        }
        BlitCentred(canvas, symbol.image, symbol.x, symbol.y);
        if (symbol.selected == 1) BlitCentred(canvas, map_classes::kSelectionImage, symbol.x, symbol.y);
        if (symbol.goalFlag == 1) {
            BlitCentred(canvas, map_classes::kGoalImage, symbol.x, symbol.y);
            symbol.goalFlag = 0;
        }
    }
    if (lock == 0) canvas.Unlock();
}

void MapScreen::UpdateInfoPanel() {
    GameState* const game = g_gameState;
    if (listObjects == 0) {
        TextBox* const goalText = Box(kGoalText);
        if (goalText == nullptr) return;
        goalText->Clear();
        auto* const list = Named<ListBox>(artObject, kObjectList);
        const char* const line = list != nullptr ? list->GetSelectedItem() : nullptr;
        if (line == nullptr || line[0] == '\0' || game == nullptr || game->mission == nullptr) return;
        const std::string text = line;
        std::string head;
        if (twin_ == MapTwin::kInFlight) {
            if (text.size() < 32) return;
            head = text.substr(0, 32);
            while (!head.empty() && head.back() == ' ') head.pop_back();
        }
        Goal* const first = game->mission->goalList != nullptr ? game->mission->goalList : g_goalList;
        for (Goal* goal = first; goal != nullptr; goal = goal->next) {
            if (goal->playerGoal == 0) continue;
            const char* const description = goal->GetDescription();
            if (description == nullptr) continue;
            const bool match = twin_ == MapTwin::kWarRoom ? text.find(description) != std::string::npos
                                                          : EqualIgnoringCase(head, description);
            if (!match) continue;
            goalText->SetText(goal->objectiveText.empty() ? description : goal->objectiveText.c_str());
            return;
        }
        return;
    }
    TextBox* const boxes[4] = {Box(kObjectName), Box(kObjectRace), Box(kObjectShipType), Box(kObjectStatus)};
    for (TextBox* const box : boxes) {
        if (box != nullptr) box->Clear();
    }
    const SpaceObject* const object = selectedObject;
    if (object == nullptr) return;
    const char* status = "Neutral";
    if (twin_ == MapTwin::kWarRoom) {
        status = object->side < 0 ? "Hostile" : object->side > 0 ? "Friendly" : "Neutral";
    } else {
        const SpaceObject* const player = game != nullptr ? game->playerShip : nullptr;
        const int32_t own = player != nullptr ? player->side : 0;
        status = object->side == 0 || own == 0 ? "Neutral" : object->side == own ? "Friendly" : "Hostile";
    }
    const char* const texts[4] = {object->name != nullptr ? object->name : "", object->GetRaceName(), object->label,
                                  status};
    for (int32_t i = 0; i < 4; ++i) {
        if (boxes[i] != nullptr) boxes[i]->SetText(texts[i]);
    }
}

void MapScreen::DrawPassTexts(const char* deletePrompt) const {
    Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    SelectFont(TextBox::kFontName);
    SetFontColors(palette != nullptr ? palette->MatchColor(kWhite) : 0, Canvas::kColorTransparent);
    const std::string range = "Map Range: " + std::to_string(mapRange);
    DrawString(range.c_str(), kRangeX, kRangeY, 0);
    const char* prompt = nullptr;
    switch (placementStep) {
        case -1: prompt = deletePrompt; break;
        case 3: prompt = "Click on map to place Way Point."; break;
        case 2: prompt = "Move mouse to position Way Point on X-Z plane."; break;
        case 1: prompt = "Move mouse to position Way Point on Y axis."; break;
        default: break;
    }
    if (prompt != nullptr) DrawString(prompt, kPromptX, kPromptY, 0);
}
