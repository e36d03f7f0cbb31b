#include "game/GameState.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/ByteOrder.h"
#include "engine/Clock.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/input/InputEventMap.h"
#include "engine/input/InputSystem.h"
#include "engine/Stream.h"
#include "game/OptionsFile.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/DataDirectories.h"
#include "game/EffectRegistries.h"
#include "game/KeyMapFile.h"
#include "game/ResponseCurve.h"
#include "scene/Camera.h"
#include "scene/ParticleSystem.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
#include "sound/SoundObject.h"

namespace {

constexpr uint32_t kVornForm = MakeTag("VORN");
constexpr uint32_t kPaletteForm = MakeTag("PALT");
constexpr uint32_t kInfoChunk = MakeTag("INFO");
constexpr uint32_t kConfigChunk = MakeTag("CNFG");
constexpr uint32_t kConfigWords = ConfigRecord::kBytes / 4;

// True when the "PALT" form just entered names this palette. A form without
// "INFO", or with one larger than a cache entry's name, does not.
bool InfoMatches(IffFile& iff, const char* name) {
    if (iff.FindChunk(kInfoChunk) != kStatusOk || iff.ChunkSize() > PaletteCacheEntry::kNameBytes) {
        return false;
    }
    char info[PaletteCacheEntry::kNameBytes + 1] = {};
    if (iff.ChunkSize() != 0 && iff.ReadChunk(info, PaletteCacheEntry::kNameBytes) != kStatusOk) {
        return false;
    }
    return std::strcmp(info, name) == 0;
}

bool WriteAll(platform::FileHandle file, const void* data, uint32_t bytes) {
    return FileWrite(file, data, bytes) == static_cast<int32_t>(bytes);
}

// The record's words in file order; both directions go through it.
void ConfigWords(const ConfigRecord& record, uint32_t words[kConfigWords]) {
    words[0] = uint32_t(record.pixelFormat);
    words[1] = uint32_t(record.graphicsDriver);
    words[2] = record.textureFilterFlags;
    words[3] = uint32_t(record.softwareAlpha);
    words[4] = uint32_t(record.enhancedGraphics);
    words[5] = uint32_t(record.inertialFlight);
}

void SetConfigWords(const uint32_t words[kConfigWords], ConfigRecord* record) {
    record->pixelFormat = int32_t(words[0]);
    record->graphicsDriver = int32_t(words[1]);
    record->textureFilterFlags = words[2];
    record->softwareAlpha = int32_t(words[3]);
    record->enhancedGraphics = int32_t(words[4]);
    record->inertialFlight = int32_t(words[5]);
}

// The "CNFG" data, as many whole words as it holds, over `words`.
bool ReadConfigChunk(IffFile& iff, uint32_t words[kConfigWords]) {
    if (iff.FindForm(kVornForm) != kStatusOk || iff.Descend() != kStatusOk ||
        iff.FindChunk(kConfigChunk) != kStatusOk) {
        return false;
    }
    uint8_t bytes[ConfigRecord::kBytes] = {};
    const uint32_t size = iff.ChunkSize();
    if (size != 0 && iff.ReadChunk(bytes, ConfigRecord::kBytes) != kStatusOk) {
        return false;
    }
    for (uint32_t i = 0; i < size / 4; ++i) {
        words[i] = LoadLe32(bytes + 4 * i);
    }
    return true;
}

}  // namespace

int32_t g_graphicsDriver = kGraphicsDriverDirectDraw;
uint32_t g_textureFilterFlags = 0;
int32_t g_softwareAlpha = 0;

PaletteCacheEntry::~PaletteCacheEntry() { delete palette; }

GameState* g_gameState = nullptr;

namespace {

std::string KeyMapPath() { return g_dataDirs.Prefix(DataDir::kData) + KeyMap::kFileName; }

GameState::ObjectConstructor g_objectKinds[GameState::kObjectKinds] = {};
GameState::NetworkHooks g_networkHooks;
GameState::CareerHooks g_careerHooks;

// The face features the options switch on the flight camera.
constexpr uint32_t kCameraTextures = 0x200;
constexpr uint32_t kCameraShading = 0x8;
constexpr uint32_t kCameraAlphaBlend = 0x800;

void SetCameraOptions(Camera& camera, const CareerOptions& options) {
    const auto follow = [&camera](uint32_t bit, int32_t on) {
        camera.flags = on != 0 ? camera.flags | bit : camera.flags & ~bit;
    };
    follow(kCameraTextures, options.textures);
    follow(kCameraShading, options.shadingLevel);
    follow(kCameraAlphaBlend, options.alphaBlend);
}

}  // namespace

GameState::GameState() : cockpit_(new Cockpit(*this)) {
    career = new CareerRecord;
    KeyMap defaults = KeyMap::Defaults();
    modifierKey = defaults.modifierKey;
    modifierKeyRight = defaults.modifierKeyRight;
    functionBindings = std::move(defaults.functions);
    axisBindings = std::move(defaults.axes);
}

GameState::~GameState() {
    DeleteScreens();
    ClearFlight();
    // The definitions hold sounds and scene-library models: they go before
    // the sound device and the library.
    FreeFx();
    FreeEffectRegistries();
    delete cockpit_;
    lightHolders_.Clear();
    delete sceneLibrary_;
    delete career;
    if (g_networkHooks.deleteSettings != nullptr) g_networkHooks.deleteSettings(netSettings);
    if (g_networkHooks.deleteSession != nullptr) g_networkHooks.deleteSession(netSession);
    netSettings = nullptr;
    netSession = nullptr;
    for (SoundObject*& sound : collisionSounds) {
        delete sound;
        sound = nullptr;
    }
    delete jumpGateSound;
    jumpGateSound = nullptr;
    for (SoundObject*& sound : exclamationSounds) {
        delete sound;
        sound = nullptr;
    }
    delete explosionSound_;
    delete soundDevice_;
    if (g_soundEffects == soundEffects_) g_soundEffects = nullptr;
    delete soundEffects_;
    eventMap_.reset();
    delete input_;
    for (PaletteCacheEntry* entry : paletteCache_) {
        delete entry;
    }
}

void GameState::TakeSound(SoundDevice* device, SoundEffectLibrary* effects) {
    delete explosionSound_;
    explosionSound_ = nullptr;
    if (device != soundDevice_) delete soundDevice_;
    soundDevice_ = device;
    if (effects != soundEffects_) {
        if (g_soundEffects == soundEffects_) g_soundEffects = nullptr;
        delete soundEffects_;
    }
    soundEffects_ = effects;
    if (effects != nullptr) g_soundEffects = effects;
}



void GameState::RegisterObjectGroup(NamedObject* object, const void* key, uint32_t subKey) {
    groups_.Register(object, key, subKey);
}

void GameState::SetSimulateHook(SimulateStep step, SimulateHook hook) {
    if (step >= 0 && step < kSimulateSteps) simulateHooks_[step] = hook;
}

Camera* GameState::EnsureFlightCamera() {
    if (flightCamera != nullptr) return flightCamera;
    if (ownCamera_ == nullptr) {
        ownCamera_ = std::make_unique<Camera>();
        Camera& camera = *ownCamera_;
        camera.flags = Camera::kFlightFlags;
        camera.background = 255;
        camera.farZ = 10000.0f;
        camera.nearZ = 1.0f;
        camera.fieldOfView = 35.0f;
        camera.UpdateClipPlanes();
        camera.UpdateDepthScale();
        camera.UpdateProjection();
    }
    // A camera made after the options were applied still follows them.
    if (career != nullptr) SetCameraOptions(*ownCamera_, career->options);
    flightCamera = ownCamera_.get();
    return flightCamera;
}

void GameState::AimFlightCamera(const Transform& placement) {
    if (flightCamera == nullptr) return;
    const Matrix34& placed = placement.matrix;
    const Vector3 up{placed.rows[1][0], placed.rows[1][1], placed.rows[1][2]};
    const Vector3 forward{placed.rows[2][0], placed.rows[2][1], placed.rows[2][2]};
    if (up.Length() > 0.0f && forward.Length() > 0.0f) flightCamera->SetOrientation(up, forward, Camera::kAllFlags);
    Vector3 at;
    placed.GetTranslation(&at);
    flightCamera->SetPosition(at);
}

void GameState::Simulate() {
    for (SimulateHook hook : simulateHooks_) {
        if (hook != nullptr) hook(*this);
    }
    lightHolders_.Step(GetMilliseconds());
    groups_.Walk();
}

void GameState::RegisterObjectKind(int32_t kind, ObjectConstructor construct) {
    if (kind >= 0 && kind < kObjectKinds) g_objectKinds[kind] = construct;
}

SpaceObject* GameState::CreateObject(int32_t kind, const char* name, const void* record, SpaceObject* templateObject) {
    if (kind < 0 || kind >= kObjectKinds || g_objectKinds[kind] == nullptr) return nullptr;
    return g_objectKinds[kind](name, record, templateObject);
}

void GameState::SetNetworkHooks(const NetworkHooks& hooks) { g_networkHooks = hooks; }

bool GameState::IsNetworkGame() const { return g_networkHooks.isNetworkGame != nullptr && g_networkHooks.isNetworkGame(); }
bool GameState::IsHost() const { return g_networkHooks.isHost != nullptr && g_networkHooks.isHost(); }
bool GameState::IsClient() const { return g_networkHooks.isClient != nullptr && g_networkHooks.isClient(); }

void GameState::NetReceive() {
    if (g_networkHooks.receive != nullptr) g_networkHooks.receive(*this);
}

void GameState::NetSend() {
    if (g_networkHooks.send != nullptr) g_networkHooks.send(*this);
}

int32_t GameState::NetCreateObject(SpaceObject* object) {
    return g_networkHooks.createObject != nullptr ? g_networkHooks.createObject(object) : 1;
}

int32_t GameState::NetCreateProjectile(Projectile* projectile) {
    return g_networkHooks.createProjectile != nullptr ? g_networkHooks.createProjectile(projectile) : 1;
}

void GameState::AddActiveJammer(ShipSystem* jammer) {
    if (jammer == nullptr) return;
    for (ShipSystem* active : activeJammers_) {
        if (active == jammer) return;
    }
    activeJammers_.Append(jammer);
}

void GameState::RemoveActiveJammer(ShipSystem* jammer) {
    for (int32_t i = 0; i < activeJammers_.Count(); ++i) {
        if (activeJammers_[i] == jammer) {
            activeJammers_.RemoveAt(i);
            return;
        }
    }
}

ParticleSystem* GameState::GunSparks() {
    if (gunSparks_ == nullptr) {
        gunSparks_ = new ParticleSystem(kGunSparkCount);
        // Drawn and stepped with the explosions, and owned by their group.
        if (gunSparks_ != nullptr) groups_.Register(gunSparks_, effectKey, 1);
    }
    return gunSparks_;
}

SceneObject* GameState::AttachToScene(const char* name, const char* path, Palette* palette) {
    if (name == nullptr) return nullptr;
    const auto find = [this, name]() -> SceneObject* {
        if (sceneLibrary_ == nullptr) return nullptr;
        for (NamedObject* object = sceneLibrary_->objects; object != nullptr; object = object->next) {
            if (object->name != nullptr && std::strcmp(object->name, name) == 0) return static_cast<SceneObject*>(object);
        }
        return nullptr;
    };
    if (SceneObject* const found = find()) return found;
    if (path == nullptr) return nullptr;
    if (sceneLibrary_ == nullptr) {
        sceneLibrary_ = new Scene;
        if (sceneLibrary_ == nullptr) return nullptr;
        sceneLibrary_->flags |= Scene::kFlagOwnsContents;   // the moved objects are its own
    }
    Scene* const loaded = new Scene;
    if (loaded == nullptr) return nullptr;
    // Objects as scene objects, linked to their parents, without the material libraries.
    constexpr uint32_t kLibraryLoadFlags =
        Scene::kLoadObjects | Scene::kLoadHierarchy | Scene::kLoadModelNoLibraries;
    const Status read = loaded->Load(path, nullptr, palette != nullptr ? palette : defaultPalette, kLibraryLoadFlags);
    if (read == kStatusOk) {
        Frame* object = loaded->objects;
        while (object != nullptr) {
            Frame* const following = static_cast<Frame*>(object->next);
            object->Unlink();
            if (sceneLibrary_->objects == nullptr) {
                sceneLibrary_->objects = object;
            } else {
                object->InsertAfter(sceneLibrary_->objects);
            }
            ++sceneLibrary_->objectCount;
            object = following;
        }
        loaded->objects = nullptr;
        loaded->objectCount = 0;
    }
    delete loaded;
    return find();
}

Status GameState::LoadFlightControl(const char* fileName) {
    if (fileName == nullptr) return kStatusCannotOpen;
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + fileName;
    return response_curve::Load(path.c_str(), responseCurve);
}

bool GameState::LoadFlightPalettes() {
    flarePalette = LoadPalette("flare");
    explodePalette = LoadPalette("explode");
    weaponsPalette = LoadPalette("weapons");
    effectKey = explodePalette;
    tracerKey = weaponsPalette;
    if (defaultPalette == nullptr) defaultPalette = currentPalette;
    return flarePalette != nullptr && explodePalette != nullptr && weaponsPalette != nullptr;
}

void GameState::PostRadioMessage(RadioMessage* message) {
    if (message == nullptr) return;
    if (pendingRadio != nullptr) {
        DropRadioMessage(message);
        return;
    }
    pendingRadio = message;
    radioPostedAt = GetMilliseconds();
}

void GameState::ShowRadioMessage(RadioMessage* message, uint32_t now) {
    if (message == nullptr) return;
    DropRadioMessage(shownRadio);
    shownRadio = message;
    shownRadioAt = now;
    if (message->voice != nullptr && soundDevice_ != nullptr) soundDevice_->Play(message->voice, Cockpit::kVoiceLevel, 0);
}

void GameState::DropRadioMessage(RadioMessage*& message) {
    if (message == nullptr) return;
    if (message->voice != nullptr && soundDevice_ != nullptr) soundDevice_->StopSound(message->voice);
    delete message;
    message = nullptr;
}

void GameState::ClearFlight() {
    DropRadioMessage(pendingRadio);
    DropRadioMessage(shownRadio);
    groups_.Clear();   // the gun sparks with the rest
    gunSparks_ = nullptr;
    delete dustField;
    dustField = nullptr;
    trackedPlayerMissile = nullptr;
    lastPlayerMissile = nullptr;
    weaponFlash = nullptr;
}

void GameState::PlayExplosionSound(const char*) {
    if (soundDevice_ == nullptr) return;
    if (explosionSound_ == nullptr) explosionSound_ = CreateSoundObject("Explosion");
    soundDevice_->Play(explosionSound_, 5, 1);
}

Palette* GameState::LoadPalette(const char* name, bool reload) {
    // A cache entry could not hold a longer name, and no "INFO" chunk can either.
    if (name == nullptr || std::strlen(name) >= PaletteCacheEntry::kNameBytes) {
        return nullptr;
    }
    const int32_t cached = FindCachedPalette(name);
    if (cached >= 0) {
        PaletteCacheEntry* const entry = paletteCache_[cached];
        if (!reload) {
            return entry->palette;
        }
        paletteCache_.RemoveAt(cached);
        delete entry;
    }
    return ReadPalette(name);
}

int32_t GameState::FindCachedPalette(const char* name) const {
    for (int32_t i = 0; i <= paletteCache_.LastIndex(); ++i) {
        if (std::strcmp(paletteCache_[i]->name, name) == 0) {
            return i;
        }
    }
    return -1;
}

Palette* GameState::ReadPalette(const char* name) {
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + kPaletteFile;
    IffFile iff(0);
    Palette* palette = nullptr;
    if (iff.OpenFile(path.c_str(), kOpenGameData) == kStatusOk) {
        palette = ReadPaletteFrom(iff, name);
    }
    iff.CloseFile();
    return palette;
}

Palette* GameState::ReadPaletteFrom(IffFile& iff, const char* name) {
    if (iff.FindForm(kVornForm) != kStatusOk || iff.Descend() != kStatusOk) {
        return nullptr;
    }
    for (;;) {
        if (iff.FindForm(kPaletteForm) != kStatusOk || iff.Descend() != kStatusOk) {
            return nullptr;
        }
        if (InfoMatches(iff, name)) {
            break;
        }
        if (iff.Ascend() != kStatusOk) {
            return nullptr;
        }
    }
    // The form's first "VPAL" is the palette, whether it stands before the
    // name or after it.
    if (iff.Rewind(0) != kStatusOk) {
        return nullptr;
    }

    PaletteCacheEntry* const entry = new PaletteCacheEntry;
    if (entry == nullptr) {
        return nullptr;
    }
    std::strncpy(entry->name, name, PaletteCacheEntry::kNameBytes - 1);
    entry->palette = Palette::Create(g_pixelFormat);
    if (entry->palette == nullptr || entry->palette->LoadFromIff(iff) != kStatusOk ||
        !paletteCache_.Append(entry)) {
        delete entry;
        return nullptr;
    }
    return entry->palette;
}

PaletteCacheEntry* GameState::FindPaletteEntry(const Palette* palette) const {
    if (palette == nullptr) {
        return nullptr;
    }
    for (PaletteCacheEntry* entry : paletteCache_) {
        if (entry->palette == palette) {
            return entry;
        }
    }
    return nullptr;
}

Status GameState::DumpPaletteTables(const Palette* palette, const char* path) const {
    const ShadeTable* const shades = palette != nullptr ? palette->Shades() : nullptr;
    if (shades == nullptr || shades->rows == nullptr || shades->shift > Palette::kShadeShift) {
        return kStatusNothingToDo;
    }
    const uint32_t entryBytes = palette->IsIndexed8() ? 1 : 2;
    const uint32_t shadeBytes = (uint32_t{Palette::kColorCount} << shades->shift) * entryBytes;

    const platform::FileHandle file = FileOpen(path, kOpenWrite | kOpenCreate);
    if (file == platform::kNoFile) {
        const Status error = FileLastError();
        return error != kStatusOk ? error : kStatusCannotOpen;
    }
    const bool written = WriteAll(file, palette->Conversion().index, InverseColorTable::kSize) &&
                         WriteAll(file, shades->rows, shadeBytes) &&
                         WriteAll(file, palette->Colors(), Palette::kColorCount * sizeof(PaletteColor));
    const uint32_t closed = FileClose(file);
    if (!written) {
        return kStatusShortWrite;
    }
    return closed;
}

std::string GameState::ConfigFilePath() const {
    return configFolder_.empty() ? std::string(kConfigFile) : configFolder_ + "/" + kConfigFile;
}

bool GameState::ReadConfigFile(ConfigRecord* record, bool apply) {
    IffFile iff(0);
    if (iff.OpenFile(ConfigFilePath().c_str(), kOpenRead) != kStatusOk) {
        return false;
    }
    uint32_t words[kConfigWords];
    ConfigWords(*record, words);
    const bool read = ReadConfigChunk(iff, words);
    iff.CloseFile();
    // Without the chunk there is nothing to apply: the record holds only
    // what the caller put there.
    if (!read) {
        return false;
    }
    SetConfigWords(words, record);
    if (apply) {
        g_pixelFormat = record->pixelFormat;
        g_graphicsDriver = record->graphicsDriver;
        g_textureFilterFlags = record->textureFilterFlags;
        g_softwareAlpha = record->softwareAlpha;
        enhancedGraphics = record->enhancedGraphics;
        if (career != nullptr) career->options.inertialOff = record->inertialFlight != 0 ? 1 : 0;
    }
    return true;
}

void GameState::SetCareerHooks(const CareerHooks& hooks) { g_careerHooks = hooks; }
const GameState::CareerHooks& GameState::CareerHooksInForce() { return g_careerHooks; }

void GameState::ApplyOptions(int32_t argument) {
    if (career == nullptr) return;
    CareerOptions& options = career->options;
    dustShown = options.spaceDust != 0 ? 1 : 0;
    if (flightCamera != nullptr) SetCameraOptions(*flightCamera, options);
    if (argument == 0) {
        options.invulnerability = 0;
        options.unlimitedAmmo = 0;
        options.unlimitedFuel = 0;
        options.invisibility = 0;
        cheatUsed = 0;
        if (ScreenIn(ScreenSlot::kOptions) != nullptr) {
            if (g_careerHooks.writeOptionsFile != nullptr) {
                g_careerHooks.writeOptionsFile(*this);
            } else {
                WriteOptionsFile(*this);
            }
        }
    }
    if (soundDevice_ == nullptr) return;
    if (soundDevice_->DigitalDriverPresent()) soundDevice_->SetDigitalVolume(options.soundVolume * kVolumePerStep);
    if (soundDevice_->MidiDriverPresent()) soundDevice_->SetMidiVolume(options.musicVolume * kVolumePerStep);
}

void GameState::StartNewCareer() {
    auto* const fresh = new CareerRecord;
    if (career != nullptr) fresh->options.inertialOff = career->options.inertialOff;
    delete career;
    career = fresh;
    LoadPlaceScreens(kNewCareerPlace);
    if (g_careerHooks.loadWingmen != nullptr) g_careerHooks.loadWingmen(*this);
    missionReady = 0;
    missionFlown = 0;
    ApplyOptions(0);
    if (g_careerHooks.startTraining != nullptr) g_careerHooks.startTraining(*this);
}

Status GameState::WriteConfigFile(const ConfigRecord& record) const {
    uint32_t words[kConfigWords];
    ConfigWords(record, words);
    uint8_t bytes[ConfigRecord::kBytes];
    for (uint32_t i = 0; i < kConfigWords; ++i) {
        StoreLe32(bytes + 4 * i, words[i]);
    }
    // Written beside the old file and renamed over it, so that a failed or
    // interrupted write keeps the old choices.
    const std::string path = ConfigFilePath();
    const std::string pending = path + ".new";
    Status status;
    {
        IffFile iff(0);
        status = iff.OpenFile(pending.c_str(), kOpenWrite | kOpenCreate);
        if (status != kStatusOk) return status;
        if ((status = iff.BeginForm(kVornForm)) == kStatusOk &&
            (status = iff.WriteChunk(kConfigChunk, bytes, ConfigRecord::kBytes)) == kStatusOk) {
            status = iff.Ascend();
        }
        const Status closed = iff.CloseFile();
        if (status == kStatusOk) status = closed;
    }
    return static_cast<Status>(FinishReplacement(status, pending.c_str(), path.c_str()));
}

void GameState::TakeInputSystem(InputSystem* input) {
    if (input == input_) return;
    // The map polls the system: it goes first, and comes back on the new one.
    eventMap_.reset();
    commands.Clear();
    delete input_;
    input_ = input;
    if (input_ == nullptr) return;
    eventMap_ = std::make_unique<InputEventMap>(input_);
    RegisterKeyMap();
}

void GameState::RegisterKeyMap() {
    if (eventMap_ == nullptr) return;
    eventMap_->Clear();
    for (const auto& function : functionBindings) {
        for (KeyTrigger* trigger : {function->trigger1.get(), function->trigger1Twin.get(), function->trigger2.get(),
                                    function->trigger2Twin.get()}) {
            if (trigger != nullptr && !IsEmptyTrigger(*trigger)) eventMap_->AddEvent(trigger, function->commandCode);
        }
    }
}

bool GameState::LoadKeyMap(std::span<const uint8_t> bytes) {
    KeyMap map;
    if (!KeyMap::Parse(bytes, &map)) return false;
    // The event map holds the old triggers until it takes the new ones.
    if (eventMap_ != nullptr) eventMap_->Clear();
    modifierKey = map.modifierKey;
    modifierKeyRight = map.modifierKeyRight;
    functionBindings = std::move(map.functions);
    axisBindings = std::move(map.axes);
    RegisterKeyMap();
    return true;
}

bool GameState::LoadKeyMap(const char* path) {
    const platform::FileHandle file = FileOpen(path, kOpenRead);
    if (file == platform::kNoFile) return false;
    const int32_t size = FileSize(file);
    // Far more than any key map of 512 functions needs.
    constexpr int32_t kMaxBytes = 1 << 20;
    std::vector<uint8_t> bytes(size > 0 && size <= kMaxBytes ? size_t(size) : 0);
    const bool read = !bytes.empty() && FileRead(file, bytes.data(), uint32_t(bytes.size())) == size;
    FileClose(file);
    return read && LoadKeyMap(bytes);
}

bool GameState::LoadKeyMap() { return LoadKeyMap(KeyMapPath().c_str()); }

Status GameState::SaveKeyMap(const char* path) const {
    const std::vector<uint8_t> bytes = KeyMap::Build(modifierKey, functionBindings, axisBindings);
    // Written beside the old map and renamed over it, so that a failed or
    // interrupted write keeps the old bindings.
    const std::string pending = std::string(path) + ".new";
    const platform::FileHandle file = FileOpen(pending.c_str(), kOpenWrite | kOpenCreate);
    if (file == platform::kNoFile) return kStatusCannotOpen;
    bool written = FileWrite(file, bytes.data(), uint32_t(bytes.size())) == int32_t(bytes.size());
    written = FileClose(file) == platform::kFileOk && written;
    if (written && FileRename(pending.c_str(), path) == platform::kFileOk) return kStatusOk;
    FileDelete(pending.c_str());
    return kStatusPlatformFailed;
}

void GameState::SaveKeyMap() const { SaveKeyMap(KeyMapPath().c_str()); }

namespace {

GameState::ScreenFactory g_screenFactories[kScreenSlotCount];

}  // namespace

bool GameState::RegisterScreen(const char* name, const ScreenFactory& factory) {
    const ScreenSlot slot = FindScreenSlot(name);
    if (slot == ScreenSlot::kCount || factory.create == nullptr || factory.destroy == nullptr) return false;
    g_screenFactories[static_cast<int32_t>(slot)] = factory;
    return true;
}

const GameState::ScreenFactory* GameState::FindScreenFactory(ScreenSlot slot) {
    const int32_t index = static_cast<int32_t>(slot);
    if (index < 0 || index >= kScreenSlotCount || g_screenFactories[index].create == nullptr) return nullptr;
    return &g_screenFactories[index];
}

void GameState::ClearScreenRegistry() {
    for (ScreenFactory& factory : g_screenFactories) factory = {};
}

int32_t GameState::LoadPlaceScreens(int32_t place) {
    if (place < kFirstPlace || place > kLastPlace) return 0;
    int32_t built = 0;
    for (int32_t i = 0; i < kScreenSlotCount; ++i) {
        const ScreenFactory& factory = g_screenFactories[i];
        if (screens_[i] != nullptr || factory.create == nullptr) continue;
        screens_[i] = factory.create(*this);
        if (screens_[i] == nullptr) continue;
        screenDeleters_[i] = factory.destroy;
        ++built;
    }
    return built;
}

Screen* GameState::BuildScreen(ScreenSlot slot) {
    const int32_t index = static_cast<int32_t>(slot);
    if (index < 0 || index >= kScreenSlotCount) return nullptr;
    const ScreenFactory& factory = g_screenFactories[index];
    if (screens_[index] == nullptr && factory.create != nullptr) {
        screens_[index] = factory.create(*this);
        if (screens_[index] != nullptr) screenDeleters_[index] = factory.destroy;
    }
    return screens_[index];
}

void GameState::DeleteScreens() {
    currentScreen = nullptr;
    nextScreen = nullptr;
    nextScreenName = nullptr;
    for (int32_t i = 0; i < kScreenSlotCount; ++i) {
        Screen* const screen = screens_[i];
        screens_[i] = nullptr;
        if (screen != nullptr) screenDeleters_[i](screen);
        screenDeleters_[i] = nullptr;
    }
}

void GameState::SelectNextScreen(ScreenSlot slot) {
    nextScreen = ScreenIn(slot);
    nextScreenName = ScreenSlotName(slot);
}

void GameState::MakeExclamationSounds() {
    for (int32_t i = 0; i < kExclamations; ++i) {
        delete exclamationSounds[i];
        char name[16];
        std::snprintf(name, sizeof name, "Excl %d", int(i + 1));
        exclamationSounds[i] = CreateSoundObject(name);
    }
}
