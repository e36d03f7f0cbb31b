#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <memory>
#include <span>
#include <type_traits>
#include <vector>

#include "display/PixelFormat.h"
#include "engine/DynArray.h"
#include "engine/EngineAllocation.h"
#include "engine/RecordArray.h"
#include "engine/Status.h"
#include "game/CommLine.h"
#include "game/CommandState.h"
#include "game/KeyBindings.h"
#include "game/LightHolder.h"
#include "game/MessageList.h"
#include "game/Mission.h"
#include "game/ObjectGroups.h"
#include "game/PlayerControls.h"
#include "game/RadioMessage.h"
#include "game/ScreenSlots.h"
#include "game/WorldList.h"
#include "scene/Transform.h"

class BitmapMaterial;
class Camera;
class CareerRecord;
class Cockpit;
class Frame;
class IffFile;
class InputEventMap;
class InputSystem;
class LensFlare;
class Model;
class NamedObject;
class NetGameSettings;
class NetSession;
class ParticleSystem;
class Projectile;
class Goal;
class RandomMissionGenerator;
class Scene;
class SceneObject;
class Screen;
struct InputTrigger;
struct Transform;
class ShipSystem;
class SoftCursor;
class SpaceObject;
class SoundDevice;
class SoundEffectLibrary;
class SoundObject;
class Palette;

// The display driver the start-up opens (g_graphicsDriver).
inline constexpr int32_t kGraphicsDriverDib = 0;
inline constexpr int32_t kGraphicsDriverDirectDraw = 1;
inline constexpr int32_t kGraphicsDriverDirect3d = 2;

// g_textureFilterFlags
inline constexpr uint32_t kTextureFilter2d = 0x1;
inline constexpr uint32_t kTextureFilter3d = 0x2;

// The graphics choices that "vorn.cfg" keeps besides g_pixelFormat
// (display/PixelFormat.h).
extern int32_t g_graphicsDriver;
extern uint32_t g_textureFilterFlags;
extern int32_t g_softwareAlpha;   // 0 or 1

// The record of "vorn.cfg": six 32-bit words, stored little-endian in this
// order.
struct ConfigRecord {
    static constexpr uint32_t kBytes = 24;
    // What the start-up opens when the file says nothing it can use.
    static constexpr int32_t kDefaultPixelFormat = kPixelFormatRgb565;
    static constexpr int32_t kDefaultGraphicsDriver = kGraphicsDriverDirectDraw;
    // Mend's answer: the words it replaced.
    static constexpr uint32_t kMendedPixelFormat = 0x1;
    static constexpr uint32_t kMendedGraphicsDriver = 0x2;

    // A pixel format or driver that no display answers to becomes the
    // default; the words replaced, as bits.
    uint32_t Mend();

    int32_t pixelFormat = 0;
    int32_t graphicsDriver = 0;
    uint32_t textureFilterFlags = 0;
    int32_t softwareAlpha = 0;
    int32_t enhancedGraphics = 0;
    int32_t inertialFlight = 0;    // nonzero: inertial flight is off
};

// A palette loaded by name. The entry owns the palette.
struct PaletteCacheEntry : EngineObject {
    static constexpr uint32_t kNameBytes = 16;

    PaletteCacheEntry() = default;
    ~PaletteCacheEntry();
    PaletteCacheEntry(const PaletteCacheEntry&) = delete;
    PaletteCacheEntry& operator=(const PaletteCacheEntry&) = delete;

    char name[kNameBytes] = {};   // zero-terminated, so at most 15 characters
    Palette* palette = nullptr;
};

// The one game object.
class GameState : public EngineObject {
public:
    // What the main loop does next (`mode`).
    static constexpr int32_t kModeLobbyWait = 1;   // the lobby's waiting room
    static constexpr int32_t kModeFlight = 2;      // launch, then fly
    static constexpr int32_t kModeNavMap = 3;      // the in-flight map
    static constexpr int32_t kModeScreens = 4;     // option screens
    static constexpr int32_t kModeCredits = 5;
    static constexpr int32_t kModePause = 6;       // the pause menu in flight
    static constexpr int32_t kModeQuit = 7;
    // How the game was started (`startMode`).
    static constexpr int32_t kStartNone = 0;
    static constexpr int32_t kStartNewGame = 1;
    static constexpr int32_t kStartMultiplayer = 2;
    static constexpr int32_t kStartLoadGame = 3;
    // Places are numbered 1 to 23.
    static constexpr int32_t kFirstPlace = 1;
    static constexpr int32_t kLastPlace = 23;

    // In the first data directory.
    static constexpr const char* kPaletteFile = "palettes.iff";
    // In the config folder: FORM "VORN" holding the chunk "CNFG".
    static constexpr const char* kConfigFile = "vorn.cfg";

    GameState();
    ~GameState();
    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    // Palettes by name. Repeated requests give the same object; `reload`
    // drops a cached one and reads it again, in the kind of the pixel format
    // now in force (callers holding the old pointer must let it go). Null
    // for a null name, a name the file does not hold, or a palette that
    // cannot be read; failures are not cached, so the next request tries the
    // file again.
    Palette* LoadPalette(const char* name, bool reload = false);
    // The cache entry that holds this palette, or null.
    PaletteCacheEntry* FindPaletteEntry(const Palette* palette) const;
    // Writes the palette's conversion table, its shade rows and its 256
    // colours, each at its real size, to a new file. kStatusNothingToDo for
    // a null palette or one without a shade table (nothing is written).
    Status DumpPaletteTables(const Palette* palette, const char* path) const;

    // Entries in the order they were loaded.
    const DynArray<PaletteCacheEntry*>& PaletteCache() const { return paletteCache_; }

    // Where "vorn.cfg" lives; empty (the default) is the working folder.
    void SetConfigFolder(const std::string& folder) { configFolder_ = folder; }
    std::string ConfigFilePath() const;
    // Reads the "CNFG" chunk of the options file into `record`: its whole
    // words replace the record's first words, at most six. With `apply` the
    // record's words then become g_pixelFormat, g_graphicsDriver,
    // g_textureFilterFlags, g_softwareAlpha and enhancedGraphics, and the
    // career's inertialOff becomes 1 when the sixth word is set, else 0. A file that
    // cannot be opened, or holds no "CNFG" chunk of at most 24 bytes inside
    // FORM "VORN", changes nothing and gives false. The words are mended as
    // they are read (ConfigRecord::Mend), so that every reader takes the
    // choices the start-up took; `stored`, when given, gets them as the file
    // held them.
    bool ReadConfigFile(ConfigRecord* record, bool apply, ConfigRecord* stored = nullptr);
    // Creates the options file anew: FORM "VORN" holding "CNFG" of the six
    // words. The chunk file's status, or the first failure.
    Status WriteConfigFile(const ConfigRecord& record) const;

    int32_t enhancedGraphics = 0;   // 0 or 1, from the options file

    // The player's devices, made at start-up; the game state owns them from
    // then on and deletes them with itself.
    void TakeInputSystem(InputSystem* input);
    InputSystem* Input() const { return input_; }
    // The commands of flight on the input system: made with the input
    // system the game state takes, on the triggers of the key map. Null
    // while there is no input system.
    InputEventMap* EventMap() const { return eventMap_.get(); }

    // --- Key map -------------------------------------------------------------

    // The key map of "controls.iff" in the data directory: a file that is not
    // there, or not a whole key map, leaves the bindings as they are and
    // gives false.
    bool LoadKeyMap();
    bool LoadKeyMap(const char* path);
    bool LoadKeyMap(std::span<const uint8_t> bytes);
    // Writes the bindings to "controls.iff" in the data directory, or to
    // `path`; the twins are left for the loader to rebuild.
    void SaveKeyMap() const;
    Status SaveKeyMap(const char* path) const;
    // Gives the event map each binding's non-empty triggers and twins under
    // its command, in place of what it held. Called after the bindings
    // change.
    void RegisterKeyMap();

    uint32_t modifierKey = 0;        // scan code of the game's modifier: 42 Shift, 29 Ctrl or 56 Alt
    uint32_t modifierKeyRight = 0;   // its right-hand twin: 54, 157 or 184
    // Index = command number; at least the command table's functions.
    std::vector<std::unique_ptr<FunctionBinding>> functionBindings;
    std::vector<std::unique_ptr<AxisBinding>> axisBindings;
    uint32_t keyCaptureActive = 0;   // 1 while the controls screen waits for a key
    // The controls screen's list of captured scan codes while it is open;
    // not owned.
    std::vector<uint32_t>* capturedKeys = nullptr;

    // The sound device and the definitions of "fx.iff", made at start-up
    // after the display; the game state owns them and installs the
    // definitions as g_soundEffects while it holds them.
    void TakeSound(SoundDevice* device, SoundEffectLibrary* effects);
    SoundDevice* Sound() const { return soundDevice_; }
    // The explosion of a ship's model: "Explosion" at level 5, overlapping
    // any explosion still sounding. The model does not choose the sound.
    void PlayExplosionSound(const char* modelName);

    // --- Option screens ----------------------------------------------------

    // How a screen of some name is made and unmade: screens live above the
    // game state, so each brings its own deleter. `enterInFlight` (may be
    // null) marks the frame menu as opened from flight.
    struct ScreenFactory {
        Screen* (*create)(GameState& game) = nullptr;
        void (*destroy)(Screen* screen) = nullptr;
        void (*enterInFlight)(Screen& screen) = nullptr;
    };
    // For every game state from now on; false for a name that has no slot
    // or a factory without both functions. A later registration replaces
    // an earlier one.
    static bool RegisterScreen(const char* name, const ScreenFactory& factory);
    static const ScreenFactory* FindScreenFactory(ScreenSlot slot);
    static void ClearScreenRegistry();
    // Builds the screens of a place (1 to 23) that are missing: a screen
    // already built stays, since the place may be loaded from inside one
    // of its screens' handlers. Every place builds every registered screen.
    // The number built; 0 for a place out of range.
    int32_t LoadPlaceScreens(int32_t place);
    // Every built screen goes, through its own deleter; shutdown only.
    void DeleteScreens();
    Screen* ScreenIn(ScreenSlot slot) const { return screens_[static_cast<int32_t>(slot)]; }
    // The slot's screen (none when it is empty) becomes the next screen;
    // the loop names the slot when it finds it empty.
    void SelectNextScreen(ScreenSlot slot);
    // Builds the registered screen of that one slot when it is missing (the
    // start-up's tutorial pop-up); the slot's screen, or null.
    Screen* BuildScreen(ScreenSlot slot);

    // The frame loop the screens run on, which the shell provides: one pass
    // of the message pump (0 once the program quits) and the frame shown.
    // Without a pump a screen's loop ends at once; without a flip nothing
    // is shown.
    std::function<int32_t()> pumpMessages;
    std::function<void()> flipFrame;
    int32_t PumpMessages() { return pumpMessages ? pumpMessages() : 0; }
    void FlipFrame() {
        if (flipFrame) flipFrame();
    }
    SoftCursor* cursor = nullptr;   // the mouse cursor the screens shape; not owned

    // --- The career ---------------------------------------------------------

    // What the career's later parts bring; each may be null until they do.
    struct CareerHooks {
        void (*loadWingmen)(GameState& game) = nullptr;        // a new career's wingmen roster
        void (*startTraining)(GameState& game) = nullptr;      // a new career's first mission
        void (*writeOptionsFile)(GameState& game) = nullptr;   // in place of "opts.sav"; only while "OPTI" exists
    };
    static void SetCareerHooks(const CareerHooks& hooks);
    static const CareerHooks& CareerHooksInForce();
    // The place whose screens a new career starts among.
    static constexpr int32_t kNewCareerPlace = 22;
    // An option's volume step is this much of the library's 0 to 127.
    static constexpr int32_t kVolumePerStep = 25;

    // Puts the career's options into effect: the dust, the flight camera's
    // face features and the digital and XMIDI volumes (the CD keeps its
    // own). With 0 the play aids and the cheat flag are cleared first and
    // the options kept, so that no aid outlives the mission it was used in.
    void ApplyOptions(int32_t argument);
    // A fresh career in place of the current one, keeping only the player's
    // choice of inertial flight; returns with the new career playable.
    void StartNewCareer();

    int32_t cheatUsed = 0;     // set when a play aid is on
    // Screens show their tutorial overview on opening while set; the
    // pop-up's "Tutorial Deactivate" clears it for the run. Never saved.
    int32_t tutorialsEnabled = 1;
    std::string missionName;   // what SetUpMission loads for the career
    int32_t plotCounter = 0;   // +1 for each campaign offer accepted
    // The whole offer word of the random offer last accepted, which the
    // random-mission generator picks its template by.
    uint32_t randomOffer = 0;
    // The campaign's messages; offers travel in the e-mail lists.
    MessageList newMail;
    MessageList oldMail;
    MessageList newNews;
    MessageList oldNews;
    MessageList logs;
    MessageList voice;
    // Set at each launch and cleared by the step after the flight, so that
    // the career takes a flight's results once.
    int32_t flightUnsettled = 0;
    int32_t dustShown = 1;     // the space-dust option in force

    int32_t mode = 0;
    int32_t startMode = kStartNone;
    Screen* currentScreen = nullptr;
    Screen* nextScreen = nullptr;
    const char* nextScreenName = nullptr;   // the slot nextScreen came from, or null
    // Nonzero: after a flight the hangar comes up even when the player
    // salvaged something.
    int32_t salvageOption = 0;

    // --- The flight's world ------------------------------------------------

    // Each new object of the chain (linked by `next`) goes after the objects
    // of its key in the mission's world list. Nothing without a mission.
    template <typename T>
    void AddObjectsToWorld(T* chain, int32_t unused);
    // Drawn under the group of its key and owned by it; the walk of each
    // Simulate updates it and deletes it when it asks to go.
    void RegisterObjectGroup(NamedObject* object, const void* key, uint32_t subKey);
    ObjectGroups& Groups() { return groups_; }

    // The steps of one simulation pass that the world registers, in the
    // order they run; then the light holders and the object groups.
    enum SimulateStep { kWorldPass, kFlareStep, kProjectileStep, kGoalStep, kCooperativeStep, kSimulateSteps };
    using SimulateHook = void (*)(GameState& game);
    void SetSimulateHook(SimulateStep step, SimulateHook hook);
    void Simulate();

    // The object factory, kinds 0 to 16, filled by the world's objects once
    // at start-up. Null for an unknown kind or one nobody filled.
    static constexpr int32_t kObjectKinds = 17;
    using ObjectConstructor = SpaceObject* (*)(const char* name, const void* record, SpaceObject* templateObject);
    static void RegisterObjectKind(int32_t kind, ObjectConstructor construct);
    SpaceObject* CreateObject(int32_t kind, const char* name, const void* record, SpaceObject* templateObject);

    // The network game, once there is one: until the network registers
    // its hooks every object may exist locally and no game is a network game.
    struct NetworkHooks {
        bool (*isNetworkGame)() = nullptr;
        bool (*isHost)() = nullptr;
        bool (*isClient)() = nullptr;
        int32_t (*createObject)(SpaceObject* object) = nullptr;
        int32_t (*createProjectile)(Projectile* projectile) = nullptr;
        // The game state owns the session and the settings; the network deletes them.
        void (*deleteSession)(NetSession* session) = nullptr;
        void (*deleteSettings)(NetGameSettings* settings) = nullptr;
        // One pass each of the flight frame and the screens' loops.
        void (*receive)(GameState& game) = nullptr;
        void (*send)(GameState& game) = nullptr;
    };
    static void SetNetworkHooks(const NetworkHooks& hooks);
    bool IsNetworkGame() const;
    bool IsHost() const;
    bool IsClient() const;
    int32_t NetCreateObject(SpaceObject* object);
    int32_t NetCreateProjectile(Projectile* projectile);
    // The receive and the send pass; the caller asks for them only under
    // an active session.
    void NetReceive();
    void NetSend();

    void AddActiveJammer(ShipSystem* jammer);
    void RemoveActiveJammer(ShipSystem* jammer);
    const DynArray<ShipSystem*>& ActiveJammers() const { return activeJammers_; }

    // Holders of the lights that come and go in flight.
    LightHolders& Lights() { return lightHolders_; }
    // The flight camera, made once with the flight's settings (far 10000,
    // near 1, 35 degrees) when none is set; the game state owns the one it
    // makes. Effects, dust and flares need it in every flight, headless too.
    Camera* EnsureFlightCamera();
    // The flight camera goes to a placement (the viewed object's, before
    // each world pass), looking along its forward axis with its up; nothing
    // without a flight camera.
    void AimFlightCamera(const Transform& placement);
    // The gun sparks, made on first use (350 particles) and kept in the
    // object groups under the effect key for the rest of the flight.
    static constexpr uint32_t kGunSparkCount = 350;
    ParticleSystem* GunSparks();

    // The scene object of that name from the game's scene library, loading
    // the scene file with the palette (the default one when null) when the
    // name is not there yet; null when it is not in the file either.
    SceneObject* AttachToScene(const char* name, const char* path, Palette* palette);
    // The player's response curve from FORM "CTRL" of the file (in the data
    // directory): 0, 10 unreadable, 11 no curve, 12 a ragged record or one
    // whose input high is not above its input low. The old curve stays
    // when the file is refused.
    Status LoadFlightControl(const char* fileName);

    // The palettes of flight effects: "flare", "explode" (explosions and
    // sparks are grouped under it) and "weapons" (tracers); the default
    // palette is the current one when none is set. False when one is missing.
    bool LoadFlightPalettes();

    // Radio messages: posted while none waits (a message posted while one
    // waits is dropped), shown by the cockpit's update. Dropping stops the
    // voice, then frees the text and the voice.
    void PostRadioMessage(RadioMessage* message);
    // Shows a message from `now` on, with its voice; one already shown is dropped.
    void ShowRadioMessage(RadioMessage* message, uint32_t now);
    void DropRadioMessage(RadioMessage*& message);

    // The cockpit: always there, made with the game state.
    Cockpit& TheCockpit() { return *cockpit_; }

    // The object is about to leave the world: every pointer of the game
    // state to it is cleared (the view falls back on the player's ship) and
    // every light holder that follows it lets go.
    template <typename T>
    void ForgetObject(T* object);
    // Before the world is freed: the group objects go, with the sparks, the
    // missiles and the weapon flash they were tied to.
    void ClearFlight();

    Mission* mission = nullptr;                 // not owned (the set-up's is missionStore)
    std::unique_ptr<Mission> missionStore;      // the mission SetUpMission builds
    // The mission's two flags follow one rule: a mission set up (accepted) is
    // ready and not flown; its launch makes it flown and no longer ready;
    // the settlement after the flight ends its being flown. Only a ready
    // mission launches; a flown one is on its way to being settled.
    int32_t missionReady = 0;
    int32_t missionFlown = 0;
    void MissionAccepted() { missionReady = 1, missionFlown = 0; }
    void MissionLaunched() { missionReady = 0, missionFlown = 1; }
    void MissionSettled() { missionFlown = 0; }
    // No mission any more (a new career, a load, a new set-up beginning).
    void MissionCleared() { missionReady = 0, missionFlown = 0; }
    // The set-up's mission is gone: nothing is ready to launch.
    void MissionFreed() { missionReady = 0; }
    // The mission is the career's, flown from the base: its ship is the
    // career's selected one with its crewed ships as wingmen, made when it
    // launches, instead of the mission's own ship made at set-up.
    int32_t launchFromBase = 0;
    SpaceObject* playerShip = nullptr;
    SpaceObject* viewedObject = nullptr;       // an effect sound is positional only while set
    int32_t viewMode = 0;
    int32_t viewSwitches[2] = {};
    SpaceObject* chaseObject = nullptr;
    float chaseDistance = 0.0f;
    int32_t chaseFollowing = 0;
    SpaceObject* chaseReference = nullptr;     // the object kept next to the chase object
    int32_t playerView = 0;
    Camera* flightCamera = nullptr;
    NetSession* netSession = nullptr;
    NetGameSettings* netSettings = nullptr;
    // Made by the first random mission or lobby that needs it; shared only
    // so that its owner need not know it.
    std::shared_ptr<RandomMissionGenerator> randomMissions;
    int32_t teamGame = 0;          // 1 once the lobby confirmed a team game
    int32_t cooperativeTimeUp = 0; // the host passed a cooperative mission's time limit
    Goal* jumpGoal = nullptr;      // the mission's jump-through goal; not owned
    // "Collide Small", "Collide Med", "Collide Large", "Flyby": made on first use, kept.
    SoundObject* collisionSounds[4] = {};
    SoundObject* jumpGateSound = nullptr;      // "Jumpgate": made on first use, kept
    // The canned exclamations "Excl 1" to "Excl 10" at entries 0 to 9, made
    // anew by each mission's set-up (null for a sound "fx.iff" lacks); owned.
    static constexpr int32_t kExclamations = 10;
    SoundObject* exclamationSounds[kExclamations] = {};
    void MakeExclamationSounds();
    // Nonzero while the flight's chat line takes the typed text.
    int32_t chatTyping = 0;
    SpaceObject* specialObject = nullptr;      // the model whose name holds "7720"
    DynArray<SpaceObject*> scriptRecordObjects;   // objects named by mission-script records
    CareerRecord* career = nullptr;            // owned; made with the game state, so options apply before any screen
    RadioMessage* pendingRadio = nullptr;      // owned
    uint32_t radioPostedAt = 0;
    CommLine* commLine = nullptr;              // the current line, one of commLines
    std::vector<std::unique_ptr<CommLine>> commLines;
    SpaceObject* lastSpeaker = nullptr;
    RadioMessage* shownRadio = nullptr;        // owned
    uint32_t shownRadioAt = 0;
    int32_t difficulty = 1;                    // 1, 2 or 4
    int32_t aiEnabled = 1;
    Palette* currentPalette = nullptr;
    // The palette the option screens' text blocks colour their lines in,
    // selected into the canvas for each draw: "mastermenu" unless a screen
    // sets another.
    Palette* textPalette = nullptr;
    Palette* defaultPalette = nullptr;
    Palette* flarePalette = nullptr;
    Palette* explodePalette = nullptr;
    Palette* weaponsPalette = nullptr;
    const void* effectKey = nullptr;           // explosions and sparks: the "explode" palette
    const void* tracerKey = nullptr;           // tracers: the "weapons" palette
    DynArray<Projectile*> projectiles;
    int32_t threeLayerBeams = 0;   // nonzero: beams that other machines report show three layers
    FlashLightHolder* weaponFlash = nullptr;   // held by the light holders
    int32_t novaFired = 0;
    SpaceObject* trackedPlayerMissile = nullptr;
    SpaceObject* lastPlayerMissile = nullptr;
    DynArray<LensFlare*> flares{4};
    DynArray<NamedObject*> dustSprites;        // billboards shared by the dust motes; not owned
    ParticleSystem* dustField = nullptr;       // owned; made once a flight
    int32_t dustDrawn = 0;
    int32_t dustSeen = 0;
    Scene* dustScene = nullptr;
    DynArray20 responseCurve;
    SpaceObject* rotatingObject = nullptr;     // the world pass's rotating pointer
    CommandState commands;                     // captured from the event map each flight frame
    PlayerControls playerControls;
    int32_t joystickSetting = 0;               // "Joystick" of the start-up settings: nonzero, the stick steers
    int32_t mouseSetting = 0;                  // "Mouse" of the start-up settings: nonzero, the mouse steers

private:
    // Index of the cached entry of that name, or -1.
    int32_t FindCachedPalette(const char* name) const;
    // Reads the palette from the file and appends it to the cache.
    Palette* ReadPalette(const char* name);
    // With the file open: walks to the named "PALT" form and reads it.
    Palette* ReadPaletteFrom(IffFile& iff, const char* name);

    DynArray<PaletteCacheEntry*> paletteCache_;
    std::string configFolder_;
    InputSystem* input_ = nullptr;
    std::unique_ptr<InputEventMap> eventMap_;
    SoundDevice* soundDevice_ = nullptr;
    SoundEffectLibrary* soundEffects_ = nullptr;
    SoundObject* explosionSound_ = nullptr;   // made on first use
    ObjectGroups groups_;
    LightHolders lightHolders_;
    DynArray<ShipSystem*> activeJammers_;
    ParticleSystem* gunSparks_ = nullptr;
    Scene* sceneLibrary_ = nullptr;
    SimulateHook simulateHooks_[kSimulateSteps] = {};
    Cockpit* cockpit_ = nullptr;
    std::unique_ptr<Camera> ownCamera_;   // the flight camera when the game state made it
    Screen* screens_[kScreenSlotCount] = {};
    // The deleter each screen was built with.
    void (*screenDeleters_[kScreenSlotCount])(Screen*) = {};
};

template <typename T>
void GameState::AddObjectsToWorld(T* chain, int32_t) {
    if (mission == nullptr) return;
    // Any kind of object joins the world as the world's own element type.
    using Object = std::remove_pointer_t<decltype(Mission::firstObject)>;
    Object* object = chain;
    while (object != nullptr) {
        Object* const following = world::Following(object);
        world::StandAsPlaced(object);
        world::Insert(mission->firstObject, object);
        object = following;
    }
}

template <typename T>
void GameState::ForgetObject(T* object) {
    if (object == nullptr) return;
    const auto clear = [object](SpaceObject*& field) {
        if (field == object) field = nullptr;
    };
    clear(playerShip);
    if (viewedObject == object) {
        viewedObject = playerShip;
        viewSwitches[0] = viewSwitches[1] = 0;
        playerView = 0;
    }
    clear(chaseObject);
    clear(chaseReference);
    clear(specialObject);
    clear(trackedPlayerMissile);
    clear(lastPlayerMissile);
    clear(lastSpeaker);
    clear(rotatingObject);
    if (weaponFlash != nullptr && weaponFlash->craft == static_cast<const Frame*>(object)) weaponFlash = nullptr;
    for (RadioMessage* message : {pendingRadio, shownRadio}) {
        if (message != nullptr && message->speaker == object) message->speaker = nullptr;
    }
    for (SpaceObject*& named : scriptRecordObjects) clear(named);
    lightHolders_.Forget(static_cast<const Frame*>(object));
}

// The one game state, made at start-up after the engine and deleted at
// shutdown; null before and after.
extern GameState* g_gameState;
