#include "game/EffectTypes.h"

#include "scene/Material.h"
#include "scene/Model.h"
#include "game/SceneLoaders.h"
#include "sound/SoundObject.h"

ExplosionType* g_explosionTypes = nullptr;
AnimationType* g_animationTypes = nullptr;
ProjectileType* g_projectileTypes = nullptr;
BeamType* g_beamTypes = nullptr;
StreamType* g_streamTypes = nullptr;
DynArray<FlareDef*> g_flareTable{4};

namespace {

template <typename Record>
void LinkAtHead(Record*& head, Record* record) {
    record->next = head;
    head = record;
}

// The chains are only ever emptied from the head, but a record deleted from
// the middle must not leave its predecessor pointing at freed memory.
template <typename Record>
void Unlink(Record*& head, Record* record) {
    for (Record** link = &head; *link != nullptr; link = &(*link)->next) {
        if (*link == record) {
            *link = record->next;
            break;
        }
    }
    record->next = nullptr;
}

void DeleteMaterials(std::vector<BitmapMaterial*>& materials) {
    for (BitmapMaterial* material : materials) delete material;
    materials.clear();
}

}  // namespace

ExplosionType::ExplosionType() { LinkAtHead(g_explosionTypes, this); }

ExplosionType::~ExplosionType() {
    Unlink(g_explosionTypes, this);
    DeleteMaterials(frames);
    delete sound;
}

AnimationType::AnimationType() { LinkAtHead(g_animationTypes, this); }

AnimationType::~AnimationType() {
    Unlink(g_animationTypes, this);
    ReleaseAnimationFrames(frames);
}

ProjectileType::ProjectileType() { LinkAtHead(g_projectileTypes, this); }

ProjectileType::~ProjectileType() {
    Unlink(g_projectileTypes, this);
    DeleteMaterials(glowMaterials);
    if (model != nullptr) {
        if (model->refCount > 0) --model->refCount;
        if (model->refCount == 0 && model->deleteWithLastHolder) delete model;
    }
}

BeamType::BeamType() { LinkAtHead(g_beamTypes, this); }

BeamType::~BeamType() {
    Unlink(g_beamTypes, this);
    DeleteMaterials(frames);
}

StreamType::StreamType() { LinkAtHead(g_streamTypes, this); }

StreamType::~StreamType() {
    Unlink(g_streamTypes, this);
    DeleteMaterials(frames);
}

FlareDef::~FlareDef() {
    for (BitmapMaterial* picture : pictures) delete picture;
}
