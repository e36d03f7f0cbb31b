// Reading the visual records of "fx.iff" into the effect chains and the
// flare table. Every size, count and text comes from the file, so each is
// copied bounded by the field it lands in and every walk ends at the first
// step the reader refuses.
#include "game/EffectRegistries.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "display/PixelImage.h"
#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "game/DataDirectories.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "game/SceneLoaders.h"
#include "platform/FileSystem.h"
#include "scene/AnimatedMaterial.h"
#include "scene/FaceRecord.h"
#include "scene/Material.h"
#include "scene/Model.h"
#include "scene/SceneObject.h"
#include "sound/SoundObject.h"

namespace {

constexpr uint32_t kFxForm = MakeTag("FX  ");
constexpr uint32_t kExplosionForm = MakeTag("EXPL");
constexpr uint32_t kAnimationForm = MakeTag("ANIM");
constexpr uint32_t kProjectileForm = MakeTag("PROJ");
constexpr uint32_t kBeamForm = MakeTag("BEAM");
constexpr uint32_t kStreamForm = MakeTag("STRM");
constexpr uint32_t kFlareForm = MakeTag("FLAR");
constexpr uint32_t kPictureForm = MakeTag("XFEB");
constexpr uint32_t kCelForm = MakeTag("XCEL");
constexpr uint32_t kId = MakeTag("ID  ");
constexpr uint32_t kInfo = MakeTag("INFO");
constexpr uint32_t kFlare = MakeTag("FLAR");
constexpr uint32_t kAnimation = MakeTag("ANIM");
constexpr uint32_t kNuke = MakeTag("NUKE");
constexpr uint32_t kSound = MakeTag("SNDI");
constexpr uint32_t kFile = MakeTag("FILE");
constexpr uint32_t kPalette = MakeTag("PALT");
constexpr uint32_t kMesh = MakeTag("MESH");
constexpr uint32_t kExplosion = MakeTag("EXPL");
constexpr uint32_t kSpawn = MakeTag("SPWN");
constexpr uint32_t kSize = MakeTag("SIZE");

constexpr const char* kProjectileMeshes = "3dproj.iff";
constexpr uint8_t kModelLevel = 128;

using iff_walk::FindNext;
using iff_walk::ReadBounded;

// A chunk of the entry, searched from its first chunk. Rewind(0) leaves the
// first chunk to be found by the search itself.
bool FindInEntry(IffFile& iff, uint32_t id) {
    if (iff.Rewind(0) != kStatusOk) return false;
    return FindNext(iff, id) == kStatusOk;
}

// A text chunk into a field of `capacity` bytes, always terminated. False
// (the field untouched) when the entry has no such chunk.
bool ReadText(IffFile& iff, uint32_t id, char* field, uint32_t capacity) {
    if (!FindInEntry(iff, id)) return false;
    std::vector<char> text(capacity, 0);
    ReadBounded(iff, text.data(), capacity - 1);
    std::memcpy(field, text.data(), capacity);
    return true;
}

// The whole words a chunk holds, at most `count`; the words the chunk is
// too short for keep what `words` held.
template <size_t Count>
bool ReadWords(IffFile& iff, uint32_t id, int32_t (&words)[Count]) {
    if (!FindInEntry(iff, id)) return false;
    uint8_t bytes[Count * 4] = {};
    const uint32_t got = ReadBounded(iff, bytes, sizeof bytes);
    for (uint32_t i = 0; i < got / 4; ++i) words[i] = int32_t(LoadLe32(bytes + 4 * i));
    return true;
}

float FloatOf(int32_t word) {
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

// Frame pictures in file order, from the reader's place on: FORM "XFEB"
// read where it stands (flag 0), FORM "XCEL" entered first (flag 1). The
// pictures end at the first form missing or unreadable.
void ReadFrames(IffFile& iff, int32_t wanted, int32_t flag, Palette* palette, std::vector<BitmapMaterial*>& frames) {
    const uint32_t level = iff.Level();
    for (int32_t index = 0; index < wanted; ++index) {
        if (FindNext(iff, IffFile::kFormId, flag == 0 ? kPictureForm : kCelForm) != kStatusOk) break;
        if (flag != 0 && iff.Descend() != kStatusOk) break;
        BitmapMaterial* const material = LoadCelMaterial(iff, flag, nullptr);
        // A failed picture may leave the reader inside it.
        while (iff.Level() > level) {
            if (iff.Ascend() != kStatusOk) break;
        }
        if (material == nullptr) break;
        if (material->block != nullptr) material->block->palette = palette;
        frames.push_back(material);
    }
}

// The picture of a bitmap material, or each frame of an animated one.
template <typename Visit>
void ForEachPicture(Material* material, Visit visit) {
    if (material == nullptr) return;
    if (material->kind == Material::kKindBitmap) {
        auto* const bitmap = static_cast<BitmapMaterial*>(material);
        if (bitmap->block != nullptr) visit(*bitmap->block);
    } else if (material->kind == Material::kKindAnimated) {
        auto* const animated = static_cast<AnimatedMaterial*>(material);
        for (uint16_t i = 0; animated->frames != nullptr && i < animated->frameCount; ++i) visit(animated->frames[i]);
    }
}

int32_t FrameCountFrom(int32_t declared) { return std::max<int32_t>(declared, 0); }

void ReadExplosion(IffFile& iff, GameState* game) {
    auto* const type = new ExplosionType;
    ReadText(iff, kId, type->name, sizeof type->name);
    if (FindInEntry(iff, kFlare)) {
        uint8_t bytes[24] = {};
        const uint32_t got = ReadBounded(iff, bytes, sizeof bytes);
        if (got > 0) {
            std::memset(type->flareName, 0, sizeof type->flareName);
            std::memcpy(type->flareName, bytes, std::min<uint32_t>(got, kEffectNameBytes - 1));
        }
        if (got >= 20) type->leastFlares = int32_t(LoadLe32(bytes + 16));
        if (got >= 24) type->greatestFlares = int32_t(LoadLe32(bytes + 20));
    }
    ReadText(iff, kAnimation, type->animationName, sizeof type->animationName);
    if (FindInEntry(iff, kNuke)) type->shockSphere = 1;
    int32_t info[6] = {type->frameCount, type->duration, type->sizeCode,
                       type->leastDelay, type->greatestDelay, type->level};
    ReadWords(iff, kInfo, info);
    type->duration = info[1];
    type->sizeCode = info[2];
    type->leastDelay = info[3];
    type->greatestDelay = info[4];
    type->level = info[5];
    char sound[kEffectNameBytes] = {};
    if (ReadText(iff, kSound, sound, sizeof sound) && int8_t(sound[0]) > 0) type->sound = CreateSoundObject(sound);
    Palette* const palette = game->LoadPalette("explode");
    iff.Rewind(0);
    ReadFrames(iff, FrameCountFrom(info[0]), 0, palette, type->frames);
    type->frameCount = int32_t(type->frames.size());
    for (const BitmapMaterial* frame : type->frames) {
        if (frame->block == nullptr) continue;
        type->widestWidth = std::max<int32_t>(type->widestWidth, frame->block->width);
        type->tallestHeight = std::max<int32_t>(type->tallestHeight, frame->block->height);
    }
}

void ReadAnimation(IffFile& iff, GameState* game) {
    auto* const type = new AnimationType;
    ReadText(iff, kId, type->name, sizeof type->name);
    int32_t info[3] = {type->duration, 0, type->frameCount};
    ReadWords(iff, kInfo, info);
    type->duration = info[0];
    char file[platform::kMaxPathChars + 1] = {};
    if (!ReadText(iff, kFile, file, sizeof file)) return;
    Palette* const palette = game->LoadPalette(std::strcmp(type->name, "JumpGate") == 0 ? "JumpAnim" : "explode");
    const std::string path = g_dataDirs.FromGameFolder(file);
    type->frames = LoadAnimationFrames(path.c_str(), palette);
    const int32_t loaded = type->frames != nullptr ? type->frames->Count() : 0;
    type->frameCount = std::min(FrameCountFrom(info[2]), loaded);
    for (int32_t i = 0; i < type->frameCount; ++i) {
        MakeModelTranslucent((*type->frames)[i], kModelLevel);
        GiveModelPalette((*type->frames)[i], palette);
    }
}

void ReadProjectile(IffFile& iff, GameState* game) {
    auto* const type = new ProjectileType;
    ReadText(iff, kId, type->name, sizeof type->name);
    char name[kEffectNameBytes] = {};
    if (ReadText(iff, kPalette, name, sizeof name)) game->LoadPalette(name);
    Palette* const palette = game->LoadPalette("3DPROJ");
    char mesh[kEffectNameBytes] = {};
    if (ReadText(iff, kMesh, mesh, sizeof mesh) && g_dataDirs.Found(DataDir::kMesh)) {
        const std::string path = g_dataDirs.Prefix(DataDir::kMesh) + kProjectileMeshes;
        SceneObject* const object = game->AttachToScene(mesh, path.c_str(), palette);
        if (object != nullptr && object->model != nullptr) {
            type->model = object->model;
            ++type->model->refCount;
            MakeModelTranslucent(type->model, kModelLevel);
            GiveModelPalette(type->model, palette);
        }
    }
    ReadText(iff, kAnimation, type->muzzleFlashName, sizeof type->muzzleFlashName);
    int32_t info[8] = {type->animationPeriod, 0, 0, 0, 0, 0, 0, 0};
    ReadWords(iff, kInfo, info);
    type->animationPeriod = info[0];
    type->speed = float(info[2]) / 65536.0f;
    type->speedFactor = float(info[3]) / 65536.0f;
    for (int i = 0; i < 3; ++i) type->colour[i] = uint8_t(info[4 + i] & 0xFF);
    ReadText(iff, kExplosion, type->explosionName, sizeof type->explosionName);
    type->fuseTime = 9999999;
    if (FindInEntry(iff, kSpawn)) {
        uint8_t bytes[28] = {};
        const uint32_t got = ReadBounded(iff, bytes, sizeof bytes);
        if (got >= 4) type->fragmentCount = int32_t(LoadLe32(bytes));
        if (got >= 8) type->fuseTime = int32_t(LoadLe32(bytes + 4));
        if (got >= 12) type->fragmentSpeed = float(int32_t(LoadLe32(bytes + 8))) * 0.01f;
        if (got > 12) std::memcpy(type->fragmentTypeName, bytes + 12, std::min<uint32_t>(got - 12, kEffectNameBytes - 1));
    }
}

void ReadBeam(IffFile& iff, GameState*) {
    auto* const type = new BeamType;
    ReadText(iff, kId, type->name, sizeof type->name);
    int32_t info[7] = {type->frameCount, type->arc, 0, 0, 0, type->level, int32_t(type->halfWidth * 262144.0f)};
    if (ReadWords(iff, kInfo, info)) {
        type->arc = info[1];
        for (int i = 0; i < 3; ++i) type->colour[i] = uint8_t(info[2 + i] & 0xFF);
        type->level = info[5];
        type->halfWidth = float(info[6]) / 262144.0f;
    }
    ReadText(iff, kExplosion, type->explosionName, sizeof type->explosionName);
    iff.Rewind(0);
    ReadFrames(iff, FrameCountFrom(info[0]), 1, nullptr, type->frames);
    type->frameCount = int32_t(type->frames.size());
}

void ReadStream(IffFile& iff, GameState* game) {
    auto* const type = new StreamType;
    ReadText(iff, kId, type->name, sizeof type->name);
    char name[kEffectNameBytes] = {};
    Palette* const palette = ReadText(iff, kPalette, name, sizeof name) ? game->LoadPalette(name) : nullptr;
    int32_t info[4] = {type->life, 0, type->driftPercent, 0};
    ReadWords(iff, kInfo, info);
    type->life = info[0];
    type->driftPercent = info[2];
    type->spacing = FloatOf(info[3]);
    iff.Rewind(0);
    ReadFrames(iff, FrameCountFrom(info[1]), 1, palette, type->frames);
    type->frameCount = int32_t(type->frames.size());
    // Without a frame there is nothing to show and no time per frame.
    if (type->frameCount == 0) {
        delete type;
        return;
    }
    // The life is spread over the frames actually there; a frame lasts at
    // least 1 ms, so that a sprite's frame step always ends.
    type->timePerFrame = std::max<int32_t>(type->life / type->frameCount, 1);
}

using EntryReader = void (*)(IffFile& iff, GameState* game);

// Each entry form of the group the reader stands on. False when the walk
// was refused.
bool ReadGroup(IffFile& iff, uint32_t entryForm, EntryReader read, GameState* game) {
    if (iff.Descend() != kStatusOk) return false;
    const uint32_t groupLevel = iff.Level();
    Status found;
    while ((found = FindNext(iff, IffFile::kFormId, entryForm)) == kStatusOk) {
        if (iff.Descend() != kStatusOk) break;
        read(iff, game);
        while (iff.Level() > groupLevel) {
            if (iff.Ascend() != kStatusOk) return false;
        }
    }
    const bool ended = found == kStatusEndOfData;
    while (iff.Level() >= groupLevel) {
        if (iff.Ascend() != kStatusOk) return false;
    }
    return ended;
}

bool OpenEffects(IffFile& iff) {
    if (!g_dataDirs.Found(DataDir::kData)) return false;
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + kEffectsFile;
    return iff.OpenFile(path.c_str(), kOpenRead) == kStatusOk;
}

bool EnterEffects(IffFile& iff) {
    return FindNext(iff, IffFile::kFormId, kFxForm) == kStatusOk && iff.Descend() == kStatusOk;
}

void ReadFlare(IffFile& iff, GameState*) {
    auto* const flare = new FlareDef;
    ReadText(iff, kInfo, flare->name, sizeof flare->name);
    int32_t size[1] = {flare->elementSize};
    ReadWords(iff, kSize, size);
    flare->elementSize = size[0];
    iff.Rewind(0);
    std::vector<BitmapMaterial*> pictures;
    ReadFrames(iff, INT32_MAX, 0, nullptr, pictures);
    for (BitmapMaterial* picture : pictures) {
        if (!flare->pictures.Append(picture)) delete picture;
    }
    if (!g_flareTable.Append(flare)) delete flare;
}

}  // namespace

void MakeModelTranslucent(Model* model, uint8_t level) {
    if (model == nullptr || model->faces == nullptr) return;
    for (uint32_t i = 0; i < model->faceCount; ++i) {
        FaceRecord& face = model->faces[i];
        face.flags |= FaceRecord::kTranslucent;
        for (uint8_t& each : face.translucency) each = level;
    }
}

void GiveModelPalette(Model* model, Palette* palette) {
    if (model == nullptr || model->materials == nullptr) return;
    for (uint32_t i = 0; i < model->materialCount; ++i) {
        ForEachPicture(model->materials[i], [palette](PixelImage& picture) { picture.palette = palette; });
    }
}

void LoadFx() {
    if (g_flareTable.Count() > 0) return;
    IffFile iff(0);
    if (!OpenEffects(iff)) return;
    ReadFlares(iff);
    iff.CloseFile();
}

void ReadFlares(IffFile& iff) {
    // The flare records need nothing of the game state.
    if (!EnterEffects(iff)) return;
    if (FindNext(iff, IffFile::kFormId, kFlareForm) == kStatusOk) ReadGroup(iff, kFlareForm, ReadFlare, nullptr);
}

void FreeFx() {
    for (int32_t i = g_flareTable.LastIndex(); i >= 0; --i) delete g_flareTable[i];
    g_flareTable.Clear();
}

void LoadEffectRegistries(GameState& game) {
    IffFile iff(0);
    if (!OpenEffects(iff)) return;
    ReadEffectRegistries(iff, game);
    iff.CloseFile();
}

void ReadEffectRegistries(IffFile& iff, GameState& game) {
    if (!EnterEffects(iff)) return;
    struct Kind {
        uint32_t form;
        EntryReader read;
        bool empty;
    };
    const Kind kinds[] = {
        {kExplosionForm, ReadExplosion, g_explosionTypes == nullptr},
        {kAnimationForm, ReadAnimation, g_animationTypes == nullptr},
        {kProjectileForm, ReadProjectile, g_projectileTypes == nullptr},
        {kBeamForm, ReadBeam, g_beamTypes == nullptr},
        {kStreamForm, ReadStream, g_streamTypes == nullptr},
    };
    const uint32_t fxLevel = iff.Level();
    for (const Kind& kind : kinds) {
        if (kind.empty && FindNext(iff, IffFile::kFormId, kind.form) == kStatusOk) {
            if (!ReadGroup(iff, kind.form, kind.read, &game) && iff.Level() != fxLevel) break;
        }
        if (iff.Level() != fxLevel || iff.Rewind(0) != kStatusOk) break;
    }
}

void DropEffectTextures() {
    const auto drop = [](PixelImage& picture) { picture.ReleaseCopies(); };
    for (ExplosionType* type = g_explosionTypes; type != nullptr; type = type->next) {
        for (BitmapMaterial* frame : type->frames) ForEachPicture(frame, drop);
    }
    for (AnimationType* type = g_animationTypes; type != nullptr; type = type->next) {
        if (type->frames == nullptr) continue;
        for (Model* model : *type->frames) {
            for (uint32_t i = 0; model->materials != nullptr && i < model->materialCount; ++i) {
                ForEachPicture(model->materials[i], drop);
            }
        }
    }
}

void FreeEffectRegistries() {
    while (g_explosionTypes != nullptr) delete g_explosionTypes;
    while (g_projectileTypes != nullptr) delete g_projectileTypes;
    while (g_streamTypes != nullptr) delete g_streamTypes;
    while (g_beamTypes != nullptr) delete g_beamTypes;
    while (g_animationTypes != nullptr) delete g_animationTypes;
}
