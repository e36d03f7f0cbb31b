#include "game/GameState.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/Clock.h"
#include "engine/input/InputEventMap.h"
#include "engine/input/InputSystem.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/DataDirectories.h"
#include "game/EffectRegistries.h"
#include "game/KeyMapFile.h"
#include "game/OptionsFile.h"
#include "game/ResponseCurve.h"
#include "scene/Camera.h"
#include "scene/ParticleSystem.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
#include "sound/SoundObject.h"

GameState* g_gameState = nullptr;

namespace {

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
    MissionCleared();
    ApplyOptions(0);
    if (g_careerHooks.startTraining != nullptr) g_careerHooks.startTraining(*this);
}

void GameState::MakeExclamationSounds() {
    for (int32_t i = 0; i < kExclamations; ++i) {
        delete exclamationSounds[i];
        char name[16];
        std::snprintf(name, sizeof name, "Excl %d", int(i + 1));
        exclamationSounds[i] = CreateSoundObject(name);
    }
}
