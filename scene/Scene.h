#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"

class Camera;
class Frame;
class IffFile;
class Light;
class Palette;

// Results of the scene readers besides kStatusOk and the readers' own.
inline constexpr Status kStatusSceneOutOfMemory = 2;
inline constexpr Status kStatusSceneReadFailed = 10;
inline constexpr Status kStatusSceneNotFound = 11;     // not an "ESEN" form, or another name
inline constexpr Status kStatusSceneBadHeader = 12;
inline constexpr Status kStatusSceneCountsDiffer = 15;
inline constexpr Status kStatusSceneParentMissing = 18;

// One FORM "ESEN" of a scene file read into scene objects, cameras and
// lights, the objects linked into a hierarchy by their parent names and the
// numbers checked against the form's header. A read scene owns what its
// lists hold; copies never do.
class Scene : public EngineObject {
public:
    static constexpr uint32_t kFlagOwnsContents = 0x1;
    // Load flags.
    static constexpr uint32_t kLoadLights = 0x1;
    static constexpr uint32_t kLoadCameras = 0x2;
    static constexpr uint32_t kLoadObjects = 0x4;
    static constexpr uint32_t kLoadHierarchy = 0x8;
    static constexpr uint32_t kLoadDerivedCameras = 0x10;
    static constexpr uint32_t kLoadModelNoAnimation = 0x20;
    static constexpr uint32_t kLoadModelNoWorldImages = 0x40;
    static constexpr uint32_t kLoadModelNoLibraries = 0x80;
    static constexpr uint32_t kLoadJointedObjects = 0x100;
    static constexpr int kNameLength = 16;

    Scene();
    Scene(const char* fileName, const char* sceneName, Palette* palette, uint32_t loadFlags);
    Scene(const Scene& other);
    Scene& operator=(const Scene& other);
    virtual ~Scene();

    virtual void Release();
    // The current chunk of `iff`, which must be a FORM "ESEN" (of that name
    // when one is given).
    virtual Status ReadForm(IffFile& iff, const char* sceneName, Palette* palette, uint32_t loadFlags);
    // The first "ESEN" of the file's top level that reads, or the result
    // that ended the walk; 11 when none is left.
    virtual Status Load(const char* fileName, const char* sceneName, Palette* palette, uint32_t loadFlags);

    uint32_t flags = 0;
    char name[kNameLength + 1] = "NoName";
    uint32_t cameraCount = 0;
    Camera* cameras = nullptr;
    uint32_t lightCount = 0;
    Light* lights = nullptr;
    uint32_t objectCount = 0;
    Frame* objects = nullptr;

private:
    struct Reading;
    Status ReadContents(IffFile& iff, Reading& reading, Palette* palette, uint32_t loadFlags);
    static Status LinkParents(Reading& reading, Frame* root);
};
