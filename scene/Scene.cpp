#include "scene/Scene.h"

#include <cstring>
#include <memory>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "scene/Camera.h"
#include "scene/DerivedCamera.h"
#include "scene/Frame.h"
#include "scene/JointedObject.h"
#include "scene/KeyframeTrack.h"
#include "scene/Light.h"
#include "scene/Model.h"
#include "scene/SceneObject.h"

namespace {

constexpr uint32_t kSceneForm = MakeTag("ESEN");
constexpr uint32_t kMeshForm = MakeTag("EMSH");
constexpr uint32_t kHeaderChunk = MakeTag("HDR ");
constexpr uint32_t kHeaderBytes = 64;
constexpr uint32_t kModelReadFlags = 15;
constexpr uint32_t kAllFrameFlags = 0xFF;

// The light kinds of a scene form by their two record tags.
struct LightKind {
    uint32_t fixedTag;
    uint32_t floatTag;
    Light* (*make)();
};

template <typename Kind>
Light* Make() {
    return new Kind;
}

constexpr LightKind kLightKinds[] = {
    {MakeTag("EAMB"), MakeTag("EAMB"), &Make<Light>},
    {MakeTag("EVEC"), MakeTag("EVE1"), &Make<VectorLight>},
    {MakeTag("EFPT"), MakeTag("EFP1"), &Make<FramePointLight>},
    {MakeTag("EFAT"), MakeTag("EFA1"), &Make<FrameAttenuatedLight>},
    {MakeTag("EFSP"), MakeTag("EFS1"), &Make<FrameSpotLight>},
    {MakeTag("EPNT"), MakeTag("EPN1"), &Make<PointLight>},
    {MakeTag("EATN"), MakeTag("EAT1"), &Make<AttenuatedLight>},
    {MakeTag("ESPT"), MakeTag("ESP1"), &Make<SpotLight>},
};

const LightKind* LightKindOf(uint32_t tag) {
    for (const LightKind& kind : kLightKinds) {
        if (tag == kind.fixedTag || tag == kind.floatTag) return &kind;
    }
    return nullptr;
}

}  // namespace

// The objects read with a parent name, waiting to be linked.
struct Scene::Reading {
    struct Entry {
        char parent[kNameLength + 1] = {};
        SceneObject* object = nullptr;
    };
    std::vector<Entry> table;
    bool hierarchy = false;
    uint32_t objects = 0, cameras = 0, lights = 0;

    ~Reading() {
        for (Entry& entry : table) delete entry.object;
    }
};

Scene::Scene() = default;

Scene::Scene(const char* fileName, const char* sceneName, Palette* palette, uint32_t loadFlags) {
    if (fileName != nullptr) Load(fileName, sceneName, palette, loadFlags);
}

Scene::Scene(const Scene& other) : EngineObject() { *this = other; }

Scene& Scene::operator=(const Scene& other) {
    if (this == &other) return *this;
    flags = other.flags & ~kFlagOwnsContents;
    std::memcpy(name, other.name, sizeof name);
    cameraCount = other.cameraCount;
    cameras = other.cameras;
    lightCount = other.lightCount;
    lights = other.lights;
    objectCount = other.objectCount;
    objects = other.objects;
    return *this;
}

Scene::~Scene() { Scene::Release(); }

void Scene::Release() {
    if ((flags & kFlagOwnsContents) != 0) {
        while (lights != nullptr) {
            Light* const following = lights->next;
            delete lights;   // unlinks itself
            lights = following;
        }
        while (cameras != nullptr) {
            Camera* const following = cameras->next;
            delete cameras;
            cameras = following;
        }
        Frame* object = objects;
        while (object != nullptr) {
            Frame* const following = static_cast<Frame*>(object->next);
            object->Detach(1, kAllFrameFlags);
            delete object;
            object = following;
        }
    }
    flags &= ~kFlagOwnsContents;
    cameraCount = lightCount = objectCount = 0;
    cameras = nullptr;
    lights = nullptr;
    objects = nullptr;
    std::strcpy(name, "NoName");
}

Status Scene::Load(const char* fileName, const char* sceneName, Palette* palette, uint32_t loadFlags) {
    IffFile iff(0);
    if (fileName == nullptr || iff.OpenFile(fileName, kOpenRead) != kStatusOk) return kStatusSceneReadFailed;
    if (iff.ValidateHeader() != kStatusOk) {
        iff.CloseFile();
        return kStatusSceneReadFailed;
    }
    // Scenes stand at the top level only.
    Status result = kStatusSceneNotFound;
    const Status walked = iff_walk::Walk(iff, [&](IffFile& at) {
        if (at.ChunkId() != IffFile::kFormId || at.FormType() != kSceneForm) return iff_walk::Choice::kPass;
        result = ReadForm(at, sceneName, palette, loadFlags);
        return result == kStatusSceneNotFound ? iff_walk::Choice::kPass : iff_walk::Choice::kStop;
    });
    if (walked == kStatusCannotOpen) result = kStatusSceneReadFailed;
    iff.CloseFile();
    return result;
}

Status Scene::ReadForm(IffFile& iff, const char* sceneName, Palette* palette, uint32_t loadFlags) {
    Release();
    if (iff.ChunkId() != IffFile::kFormId || iff.FormType() != kSceneForm) return kStatusSceneNotFound;
    if (iff.Descend() != kStatusOk) return kStatusSceneReadFailed;
    uint8_t header[kHeaderBytes];
    if (iff.FindChunk(kHeaderChunk) != kStatusOk || iff.ChunkSize() != kHeaderBytes) {
        iff.Ascend();
        return kStatusSceneBadHeader;
    }
    if (iff.ReadChunk(header, sizeof header) != kStatusOk) {
        iff.Ascend();
        return kStatusSceneReadFailed;
    }
    char headerName[kNameLength + 1] = {};
    std::memcpy(headerName, header, kNameLength);
    if (sceneName != nullptr && std::strcmp(sceneName, headerName) != 0) {
        iff.Ascend();
        return kStatusSceneNotFound;
    }
    std::memcpy(name, headerName, sizeof name);
    flags |= kFlagOwnsContents;

    Reading reading;
    reading.hierarchy = (loadFlags & kLoadHierarchy) != 0;
    const uint32_t announcedObjects = LoadLe32(header + 20);
    if ((loadFlags & (kLoadObjects | kLoadJointedObjects)) != 0 && announcedObjects != 0) {
        objectCount = announcedObjects;
    }
    if ((loadFlags & kLoadCameras) != 0) cameraCount = LoadLe32(header + 16);
    if ((loadFlags & kLoadLights) != 0) {
        uint64_t sum = uint64_t(LoadLe32(header + 28)) + LoadLe32(header + 32);
        for (int i = 0; i < 5; ++i) sum += LoadLe16(header + 36 + 2 * i);
        lightCount = uint32_t(sum);
        // A sum past 32 bits can never be met.
        if (sum > 0xFFFFFFFFu) lightCount = 0xFFFFFFFFu;
    }

    Status result = ReadContents(iff, reading, palette, loadFlags);
    iff.Ascend();
    if (result == kStatusOk && !reading.table.empty()) result = LinkParents(reading, objects);
    if (result == kStatusOk && (reading.cameras != cameraCount || reading.objects != objectCount ||
                                reading.lights != lightCount)) {
        result = kStatusSceneCountsDiffer;
    }
    if (result != kStatusOk) Release();
    return result;
}

Status Scene::ReadContents(IffFile& iff, Reading& reading, Palette* palette, uint32_t loadFlags) {
    uint32_t modelFlags = kModelReadFlags;
    if ((loadFlags & kLoadModelNoAnimation) != 0) modelFlags &= ~0x1u;
    if ((loadFlags & kLoadModelNoWorldImages) != 0) modelFlags &= ~0x2u;
    if ((loadFlags & kLoadModelNoLibraries) != 0) modelFlags &= ~0x4u;
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) return kStatusOk;
        if (step != kStatusOk) return kStatusSceneReadFailed;
        const uint32_t id = iff.ChunkId();
        if (id == IffFile::kFormId) {
            if (iff.FormType() == MakeTag("KEYF")) {
                // Skipped while there is no keyframe library.
                if (g_keyframeLibrary == nullptr) continue;
                const Status keys = JointedObject::LibraryRead(iff);
                if (keys != kStatusOk) return keys;
                continue;
            }
            const bool jointed = (loadFlags & kLoadJointedObjects) != 0;
            if (iff.FormType() != kMeshForm || (!jointed && (loadFlags & kLoadObjects) == 0)) continue;
            SceneObject* const object = jointed ? new JointedObject : new SceneObject;
            if (object == nullptr) return kStatusSceneOutOfMemory;
            char parent[kNameLength + 1] = {};
            const Status read = object->ReadModel(iff, nullptr, palette, nullptr, parent, modelFlags);
            if (read != kStatusOk) {
                delete object;
                return read;
            }
            // More objects than announced would not fit the parent table.
            if (reading.objects >= objectCount) {
                delete object;
                return kStatusSceneCountsDiffer;
            }
            ++reading.objects;
            if (parent[0] != 0 && reading.hierarchy) {
                Reading::Entry entry;
                std::memcpy(entry.parent, parent, kNameLength);
                entry.object = object;
                reading.table.push_back(entry);
            } else if (objects == nullptr) {
                objects = object;
            } else {
                object->InsertAfterSibling(objects, kAllFrameFlags);
            }
            continue;
        }
        if ((id == MakeTag("ECAM") || id == MakeTag("ECA1")) && (loadFlags & kLoadCameras) != 0) {
            Camera* const camera =
                (loadFlags & kLoadDerivedCameras) != 0 ? new DerivedCamera(nullptr) : new Camera(nullptr);
            if (camera == nullptr) return kStatusSceneOutOfMemory;
            const Status read = camera->ReadRecord(iff, nullptr);
            if (read != kStatusOk) {
                delete camera;
                return read;
            }
            if (cameras == nullptr) {
                cameras = camera;
            } else {
                camera->InsertAfter(cameras);
            }
            ++reading.cameras;
            continue;
        }
        const LightKind* const lightKind = LightKindOf(id);
        if (lightKind != nullptr && (loadFlags & kLoadLights) != 0) {
            Light* const light = lightKind->make();
            if (light == nullptr) return kStatusSceneOutOfMemory;
            const Status read = light->ReadRecord(iff, nullptr);
            if (read != kStatusOk) {
                delete light;
                return read;
            }
            if (lights == nullptr) {
                lights = light;
            } else {
                light->InsertAfter(lights);
            }
            if (id != MakeTag("EAMB")) ++reading.lights;
        }
    }
}

Status Scene::LinkParents(Reading& reading, Frame* root) {
    for (bool linked = true; linked && root != nullptr;) {
        linked = false;
        for (Reading::Entry& entry : reading.table) {
            if (entry.object == nullptr) continue;
            auto* const parent = dynamic_cast<Frame*>(root->FindByName(entry.parent));
            if (parent == nullptr) continue;
            entry.object->AttachToParent(parent, kAllFrameFlags);
            entry.object = nullptr;
            linked = true;
        }
    }
    for (const Reading::Entry& entry : reading.table) {
        if (entry.object != nullptr) return kStatusSceneParentMissing;   // the reading deletes them
    }
    return kStatusOk;
}
