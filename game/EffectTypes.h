#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/DynArray.h"

class BitmapMaterial;
class Model;
class SoundObject;

// The visual effect definitions of "fx.iff". Each record links itself in at
// the head of its kind's chain when made, so a chain lists the file's
// entries last first and a look-up by name finds the later of two entries of
// one name. Effect objects hold plain pointers to them; the records live
// until the game state goes.
inline constexpr int kEffectNameBytes = 16;

struct ExplosionType {
    ExplosionType();
    ~ExplosionType();
    ExplosionType(const ExplosionType&) = delete;
    ExplosionType& operator=(const ExplosionType&) = delete;

    char name[kEffectNameBytes] = {};
    int32_t shockSphere = 0;    // 1: three expanding spheres when it starts
    int32_t frameCount = 0;     // the frames actually loaded
    int32_t duration = 0;       // ms, the whole sequence
    int32_t sizeCode = 0;       // world size = code x 0.04; below 1 the effect's default
    int32_t leastDelay = 0;     // ms
    int32_t greatestDelay = 0;  // ms
    int32_t level = 0;          // translucency, 255 opaque
    std::vector<BitmapMaterial*> frames;   // owned
    int32_t widestWidth = 1;    // pixels, over the frames
    int32_t tallestHeight = 1;
    char flareName[kEffectNameBytes] = "NONE";
    int32_t leastFlares = 0;
    int32_t greatestFlares = 0;
    char animationName[kEffectNameBytes] = {};
    SoundObject* sound = nullptr;   // owned
    ExplosionType* next = nullptr;
};

struct AnimationType {
    AnimationType();
    ~AnimationType();
    AnimationType(const AnimationType&) = delete;
    AnimationType& operator=(const AnimationType&) = delete;

    char name[kEffectNameBytes] = {};
    int32_t duration = 1;       // ms; 0 plays one frame per update
    int32_t repeat = 0;         // no file sets it
    int32_t frameCount = 0;     // the models actually loaded
    DynArray<Model*>* frames = nullptr;   // counted references, given back at the end
    AnimationType* next = nullptr;
};

struct ProjectileType {
    ProjectileType();
    ~ProjectileType();
    ProjectileType(const ProjectileType&) = delete;
    ProjectileType& operator=(const ProjectileType&) = delete;

    char name[kEffectNameBytes] = {};
    int32_t animationPeriod = 1;   // ms
    int32_t frameCount = 0;        // glow frames: none for types of the file
    std::vector<BitmapMaterial*> glowMaterials;
    Model* model = nullptr;        // a counted reference
    float speed = 0.0f;
    float speedFactor = 0.0f;
    char explosionName[kEffectNameBytes] = {};
    char muzzleFlashName[kEffectNameBytes] = {};
    char fragmentTypeName[kEffectNameBytes] = {};
    int32_t fragmentCount = 0;
    int32_t fuseTime = 9999999;    // ms
    float fragmentSpeed = 0.0f;
    uint8_t colour[4] = {};        // red, green, blue, 0
    ProjectileType* next = nullptr;
};

struct BeamType {
    BeamType();
    ~BeamType();
    BeamType(const BeamType&) = delete;
    BeamType& operator=(const BeamType&) = delete;

    char name[kEffectNameBytes] = {};
    char explosionName[kEffectNameBytes] = {};
    int32_t arc = 1;             // degrees: how far from the muzzle's axis a beam weapon keeps its target
    int32_t frameCount = 0;
    int32_t level = 255;         // translucency
    uint8_t colour[4] = {};      // red, green, blue, 0
    float halfWidth = 0.1f;
    std::vector<BitmapMaterial*> frames;   // owned
    BeamType* next = nullptr;
};

struct StreamType {
    StreamType();
    ~StreamType();
    StreamType(const StreamType&) = delete;
    StreamType& operator=(const StreamType&) = delete;

    char name[kEffectNameBytes] = {};
    int32_t life = 1;            // ms, one sprite over all its frames
    int32_t frameCount = 0;
    int32_t driftPercent = 0;    // of the emitter's velocity
    float spacing = 0.0f;        // world units between two sprites
    int32_t timePerFrame = 1;    // ms, never below 1
    std::vector<BitmapMaterial*> frames;   // owned
    StreamType* next = nullptr;
};

struct FlareDef {
    FlareDef() = default;
    ~FlareDef();
    FlareDef(const FlareDef&) = delete;
    FlareDef& operator=(const FlareDef&) = delete;

    char name[kEffectNameBytes] = {};
    int32_t elementSize = 0;     // world units
    DynArray<BitmapMaterial*> pictures{4};   // owned
};

extern ExplosionType* g_explosionTypes;
extern AnimationType* g_animationTypes;
extern ProjectileType* g_projectileTypes;
extern BeamType* g_beamTypes;
extern StreamType* g_streamTypes;
extern DynArray<FlareDef*> g_flareTable;

// The first record of the chain with exactly that name (the later entry of
// the file), or null.
template <typename Record>
Record* FindEffectType(Record* chain, const char* name) {
    if (name == nullptr) return nullptr;
    for (Record* record = chain; record != nullptr; record = record->next) {
        if (std::strncmp(record->name, name, kEffectNameBytes) == 0) return record;
    }
    return nullptr;
}

inline ExplosionType* FindExplosionType(const char* name) { return FindEffectType(g_explosionTypes, name); }
inline AnimationType* FindAnimationType(const char* name) { return FindEffectType(g_animationTypes, name); }
inline ProjectileType* FindProjectileType(const char* name) { return FindEffectType(g_projectileTypes, name); }
inline BeamType* FindBeamType(const char* name) { return FindEffectType(g_beamTypes, name); }
inline StreamType* FindStreamType(const char* name) { return FindEffectType(g_streamTypes, name); }
