#include "scene/Light.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "display/Canvas.h"
#include "display/Palette.h"
#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "engine/MathRoutineTable.h"
#include "engine/Saturate.h"
#include "scene/Camera.h"
#include "scene/Model.h"
#include "scene/RenderVertex.h"
#include "scene/Transform.h"
#include "scene/ViewContext.h"

namespace {

constexpr uint32_t kSceneForm = MakeTag("ESEN");
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kOneOver255 = 0.003921569f;
// The camera flag under which objects are lit in their own space.
constexpr uint32_t kCameraObjectSpace = 0x8000;

float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Length(const Vector3& v) { return std::sqrt(Dot(v, v)); }
// Three numbers of a record, 16.16 or float.
Vector3 VectorAt(const uint8_t* at, bool fixed) {
    return {LoadLeFixedOrFloat(at, fixed), LoadLeFixedOrFloat(at + 4, fixed), LoadLeFixedOrFloat(at + 8, fixed)};
}
Vector3 Negated(const Vector3& v) { return {-v.x, -v.y, -v.z}; }

bool InObjectSpace(const Transform* transform) {
    return transform != nullptr && g_viewContext != nullptr && g_viewContext->camera != nullptr &&
           (g_viewContext->camera->flags & kCameraObjectSpace) != 0;
}

// A direction in the space of preparation, unit length.
Vector3 CarryDirection(const Vector3& direction, const Transform* transform) {
    Vector3 out = direction;
    if (InObjectSpace(transform)) g_mathRoutineTable.transformVector(&direction, &transform->inverse, &out);
    g_mathRoutineTable.normalizeVector(&out);
    return out;
}

Vector3 PositionOf(const MeshVertex& point) { return {point.x, point.y, point.z}; }

}  // namespace

// --- Ambient light and the chain -----------------------------------------------

Light::Light(const char* fileName, const char* lightName) {
    if (fileName != nullptr) Load(fileName, lightName);
}

Light::Light(const Light& other)
    : EngineObject(),
      level(other.level),
      levelAlt(other.levelAlt),
      kind(other.kind),
      intensity(other.intensity),
      carried(other.carried),
      flags(other.flags),
      lastWord(other.lastWord) {
    std::memcpy(name, other.name, sizeof name);
}

Light& Light::operator=(const Light& other) {
    if (this == &other) return *this;
    level = other.level;
    levelAlt = other.levelAlt;
    intensity = other.intensity;
    carried = other.carried;
    flags = other.flags;
    std::memcpy(name, other.name, sizeof name);
    lastWord = other.lastWord;
    return *this;
}

uint64_t Light::chainEdits_ = 1;
uint64_t Light::passes_ = 0;
bool Light::drawing_ = false;

void Light::BeginDrawing() {
    ++passes_;
    drawing_ = true;
}

void Light::EndDrawing() { drawing_ = false; }

int32_t Light::walkDepth_ = 0;
bool Light::walkBounded_ = false;
Vector3 Light::walkOrigin_{};
double Light::walkGrowth_ = 0.0;
double Light::walkSlip_ = 0.0;

void Light::MeasureWalk(const Transform* transform) {
    walkBounded_ = false;
    if (transform == nullptr) return;
    transform->matrix.GetTranslation(&walkOrigin_);
    if (!InObjectSpace(transform)) {
        // The offset is the world one itself.
        walkGrowth_ = 1.0;
        walkSlip_ = 0.0;
        walkBounded_ = true;
        return;
    }
    // For row vectors the offset is (p - o) A + (o A + b), A and b the
    // stored inverse. With P = A M: |v A| >= |v| (1 - |P - I|) / |M|, the
    // norms Frobenius ones, so no trust in the inverse being current is
    // needed; the slip is |o A + b|.
    const Matrix34& m = transform->matrix;
    const Matrix34& a = transform->inverse;
    double stretch = 0.0, drift = 0.0;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            stretch += double(m.rows[r][c]) * m.rows[r][c];
            double product = 0.0;
            for (int k = 0; k < 3; ++k) product += double(a.rows[r][k]) * m.rows[k][c];
            const double off = product - (r == c ? 1.0 : 0.0);
            drift += off * off;
        }
    }
    double slip = 0.0;
    for (int c = 0; c < 3; ++c) {
        double v = a.rows[Matrix34::kTranslationRow][c];
        v += double(walkOrigin_.x) * a.rows[0][c] + double(walkOrigin_.y) * a.rows[1][c] + double(walkOrigin_.z) * a.rows[2][c];
        slip += v * v;
    }
    stretch = std::sqrt(stretch);
    drift = std::sqrt(drift);
    if (!(stretch > 0.0) || !std::isfinite(stretch) || !(drift < 0.5) || !std::isfinite(slip)) return;
    walkGrowth_ = stretch / (1.0 - drift);
    walkSlip_ = std::sqrt(slip);
    walkBounded_ = true;
}

Light::~Light() { Unlink(); }

Light* Light::InsertAfter(Light* node) {
    ++chainEdits_;
    prev = node;
    next = node->next;
    node->next = this;
    if (next != nullptr) next->prev = this;
    return next;
}

Light* Light::Unlink() {
    ++chainEdits_;
    if (prev != nullptr) prev->next = next;
    if (next != nullptr) next->prev = prev;
    Light* const following = next;
    next = prev = nullptr;
    return following;
}

Light* Light::FindByName(const char* wanted) {
    if (wanted == nullptr) return nullptr;
    for (Light* light = this; light != nullptr; light = light->next) {
        if (std::strncmp(light->name, wanted, kNameLength) == 0) return light;
    }
    return nullptr;
}

void Light::PrepareLevels(const Transform* transform) {
    // Without a canvas palette the previous full level stands.
    const Camera* const camera = g_viewContext != nullptr ? g_viewContext->camera : nullptr;
    if (camera != nullptr && camera->canvas != nullptr && camera->canvas->palette != nullptr &&
        camera->canvas->palette->Shades() != nullptr) {
        fullLevel = camera->canvas->palette->Shades()->pivot;
    }
    level = float(fullLevel) * float(intensity) * kOneOver255;
    levelAlt = float(intensity) * 240.0f * kOneOver255;
    if ((flags & kFlagNegative) != 0) {
        level = -level;
        levelAlt = -levelAlt;
    }
    preparedEdits_ = chainEdits_;
    Light* following = Onward();
    clampLevel_ = fullLevel;
    if (following == nullptr) {
        reaching = nullptr;
        return;
    }
    if (walkDepth_ == 0) MeasureWalk(transform);
    ++walkDepth_;
    // A crowd's many small lights each reach few objects: passing those out
    // of reach here, without the call down the chain, keeps the cost of an
    // object to the lights that can touch it. Their levels are cleared so a
    // walk that must follow `next` (a link changed meanwhile) adds nothing.
    while (following->next != nullptr && following->SurelyOutOfReach()) {
        following->level = following->levelAlt = 0.0f;
        following = following->Onward();
    }
    reaching = following;
    following->Prepare(transform);
    --walkDepth_;
    clampLevel_ = following->clampLevel_;
    if (!following->Adds()) reaching = following->reaching;
}

Light* Light::Onward() {
    if (drawing_ && onwardPass_ == passes_ && onwardEdits_ == chainEdits_) return onward_;
    Light* following = next;
    while (following != nullptr && following->next != nullptr && (following->flags & kFlagOff) != 0) {
        following = following->next;
    }
    if (drawing_) {
        onward_ = following;
        onwardPass_ = passes_;
        onwardEdits_ = chainEdits_;
    }
    return following;
}

bool Light::SurelyOutOfReach() const {
    return rangeBound_ && (flags & kFlagOff) == 0 && static_cast<const FrameAttenuatedLight*>(this)->SurelyBeyond();
}

bool Light::Adds() const {
    if ((flags & kFlagOff) != 0) return false;
    // The frame lights add nothing at a level of 0 or less; the others add
    // a product of their level (a zero level gives zero slopes as well).
    if ((kind >> 8) == (kKindFramePoint >> 8)) return level > 0.0f || levelAlt > 0.0f;
    return level != 0.0f || levelAlt != 0.0f;
}

void Light::Prepare(const Transform* transform) { PrepareLevels(transform); }

float Light::Facing(const MeshVertex& point, const Vector3& toLight, int32_t twoSided) {
    const float f = point.nx * toLight.x + point.ny * toLight.y + point.nz * toLight.z;
    if (f >= 0.0f) return f;
    return twoSided != 0 ? -f : 0.0f;
}

void Light::Add(RenderVertex& vertex, float amount) {
    vertex.intensity = Saturate32(int64_t(vertex.intensity) + SaturateToInt32(amount));
}

void Light::PassOn(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided, bool alt) {
    // The lights passed by would add nothing.
    const bool prepared = preparedEdits_ == chainEdits_;
    Light* const to = prepared ? reaching : next;
    if (to != nullptr) {
        if (alt) {
            to->LightVertexAlt(point, vertex, twoSided);
        } else {
            to->LightVertex(point, vertex, twoSided);
        }
        return;
    }
    const int32_t top = alt ? kAltFullLevel : int32_t(prepared ? clampLevel_ : fullLevel);
    vertex.intensity = std::clamp(vertex.intensity, 0, top);
}

void Light::LightVertex(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) {
    if ((flags & kFlagOff) == 0) Add(vertex, level);
    PassOn(point, vertex, twoSided, false);
}

void Light::LightVertexAlt(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) {
    if ((flags & kFlagOff) == 0) Add(vertex, levelAlt);
    PassOn(point, vertex, twoSided, true);
}

uint32_t Light::FixedTag() const { return MakeTag("EAMB"); }
uint32_t Light::FloatTag() const { return MakeTag("EAMB"); }
uint32_t Light::RecordBytes() const { return 32; }
uint32_t Light::ColourOffset() const { return 20; }
void Light::ParseRecord(const uint8_t*, bool) {}

Status Light::ReadRecord(IffFile& iff, const char* wanted) {
    const uint32_t id = iff.ChunkId();
    if (id != FixedTag() && id != FloatTag()) return kStatusLightNotFound;
    const uint32_t bytes = RecordBytes();
    if (iff.ChunkSize() != bytes) return kStatusLightBadSize;
    uint8_t record[64];
    if (iff.ReadChunk(record, bytes) != kStatusOk) return kStatusLightReadFailed;
    char recordName[kNameLength + 1] = {};
    std::memcpy(recordName, record, kNameLength);
    if (wanted != nullptr && std::strncmp(recordName, wanted, kNameLength) != 0) return kStatusLightNotFound;
    std::memcpy(name, recordName, sizeof name);
    flags = LoadLe32(record + 16);
    const uint32_t colour = LoadLe32(record + ColourOffset());
    intensity = uint8_t(std::max({colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF}));
    ParseRecord(record, id == FixedTag() && FixedTag() != FloatTag());
    return kStatusOk;
}

Status Light::Load(const char* fileName, const char* wanted) {
    IffFile iff(0);
    if (fileName == nullptr || iff.OpenFile(fileName, kOpenRead) != kStatusOk) return kStatusLightReadFailed;
    Status result = kStatusLightNotFound;
    const Status walked = iff_walk::Walk(iff, [&](IffFile& at) {
        const uint32_t id = at.ChunkId();
        if (id == FixedTag() || id == FloatTag()) {
            result = ReadRecord(at, wanted);
            return result == kStatusLightNotFound ? iff_walk::Choice::kPass : iff_walk::Choice::kStop;
        }
        return id == IffFile::kFormId && at.FormType() == kSceneForm ? iff_walk::Choice::kEnter
                                                                     : iff_walk::Choice::kPass;
    });
    if (walked == kStatusCannotOpen) result = kStatusLightReadFailed;
    iff.CloseFile();
    return result;
}

// --- Vector light --------------------------------------------------------------

VectorLight::VectorLight(const char* fileName, const char* lightName) : Light(nullptr, nullptr) {
    kind = kKindVector;
    intensity = 255;
    if (fileName != nullptr) Load(fileName, lightName);
}

VectorLight::VectorLight(const Vector3& towards) : VectorLight() {
    direction = towards;
    g_mathRoutineTable.normalizeVector(&direction);
}

void VectorLight::Prepare(const Transform* transform) {
    if ((flags & kFlagOff) != 0) return PrepareLevels(transform);
    prepared = CarryDirection(Negated(direction), transform);
    PrepareLevels(transform);
}

void VectorLight::LightVertex(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) {
    if ((flags & kFlagOff) == 0) Add(vertex, level * Facing(point, prepared, twoSided));
    PassOn(point, vertex, twoSided, false);
}

void VectorLight::LightVertexAlt(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) {
    if ((flags & kFlagOff) == 0) Add(vertex, levelAlt * Facing(point, prepared, twoSided));
    PassOn(point, vertex, twoSided, true);
}

uint32_t VectorLight::FixedTag() const { return MakeTag("EVEC"); }
uint32_t VectorLight::FloatTag() const { return MakeTag("EVE1"); }
uint32_t VectorLight::RecordBytes() const { return 48; }
uint32_t VectorLight::ColourOffset() const { return 32; }
void VectorLight::ParseRecord(const uint8_t* r, bool fixed) {
    direction = VectorAt(r + 20, fixed);
    g_mathRoutineTable.normalizeVector(&direction);
}

// --- Frame lights --------------------------------------------------------------

FramePointLight::FramePointLight(const char* fileName, const char* lightName) : Light(nullptr, nullptr) {
    kind = kKindFramePoint;
    frameWalk_ = true;
    intensity = 255;
    if (fileName != nullptr) Load(fileName, lightName);
}

FramePointLight::FramePointLight(const Vector3& where) : FramePointLight() { position = where; }

Vector3 FramePointLight::Offset(const Transform* transform) const {
    Vector3 p = position;
    if (InObjectSpace(transform)) {
        g_mathRoutineTable.transformPoint(&position, &transform->inverse, &p);
    } else if (transform != nullptr) {
        Vector3 origin;
        transform->matrix.GetTranslation(&origin);
        p = {position.x - origin.x, position.y - origin.y, position.z - origin.z};
    }
    return p;
}

float FramePointLight::Aim(const Vector3& p) {
    const float d = Length(p);
    prepared = d > 0.0f ? Vector3{p.x / d, p.y / d, p.z / d} : p;
    return d;
}

float FramePointLight::PrepareDirection(const Transform* transform) { return Aim(Offset(transform)); }

bool FrameAttenuatedLight::SurelyBeyond() const {
    if (walkDepth_ == 0 || !walkBounded_ || !(outerRange >= 0.0f)) return false;
    const double dx = double(position.x) - walkOrigin_.x, dy = double(position.y) - walkOrigin_.y,
                 dz = double(position.z) - walkOrigin_.z;
    // Margins for the rounding of the offset the light would compute.
    const double far = (double(outerRange) * (1.0 + 1e-5) + 1e-3 + walkSlip_) * walkGrowth_;
    return dx * dx + dy * dy + dz * dz > far * far;
}

bool FrameAttenuatedLight::Beyond(const Vector3& p) const {
    // Clearly past the outer range: the rounding of the distance's square
    // root cannot bring it back under.
    const double squared = double(p.x) * p.x + double(p.y) * p.y + double(p.z) * p.z;
    return squared > double(outerRange) * outerRange * (1.0 + 1e-6) && outerRange >= 0.0f;
}

void FramePointLight::Prepare(const Transform* transform) {
    if ((flags & kFlagOff) != 0) return PrepareLevels(transform);
    PrepareDirection(transform);
    PrepareLevels(transform);
}

// A battle's blasts make long runs of frame lights that reach one object:
// each shines in turn here, without a call down the chain for every one.
void FramePointLight::LightVertex(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) {
    FramePointLight* light = this;
    for (;;) {
        if ((light->flags & kFlagOff) == 0 && light->level > 0.0f) {
            Add(vertex, light->level * Facing(point, light->prepared, twoSided));
        }
        Light* const to = light->WalkOnward();
        if (to == nullptr || !WalksAsFrameLight(to)) break;
        light = static_cast<FramePointLight*>(to);
    }
    light->PassOn(point, vertex, twoSided, false);
}

void FramePointLight::LightVertexAlt(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) {
    FramePointLight* light = this;
    for (;;) {
        if ((light->flags & kFlagOff) == 0 && light->levelAlt > 0.0f) {
            Add(vertex, light->levelAlt * Facing(point, light->prepared, twoSided));
        }
        Light* const to = light->WalkOnward();
        if (to == nullptr || !WalksAsFrameLight(to)) break;
        light = static_cast<FramePointLight*>(to);
    }
    light->PassOn(point, vertex, twoSided, true);
}

uint32_t FramePointLight::FixedTag() const { return MakeTag("EFPT"); }
uint32_t FramePointLight::FloatTag() const { return MakeTag("EFP1"); }
uint32_t FramePointLight::RecordBytes() const { return 48; }
uint32_t FramePointLight::ColourOffset() const { return 32; }
void FramePointLight::ParseRecord(const uint8_t* r, bool fixed) {
    position = VectorAt(r + 20, fixed);
}

FrameAttenuatedLight::FrameAttenuatedLight(const char* fileName, const char* lightName)
    : FramePointLight(nullptr, nullptr) {
    kind = kKindFrameAttenuated;
    flags |= kFlagAttenuate;
    rangeBound_ = true;
    if (fileName != nullptr) Load(fileName, lightName);
}

FrameAttenuatedLight::FrameAttenuatedLight(const Vector3& where, float inner, float outer)
    : FrameAttenuatedLight() {
    position = where;
    innerRange = inner;
    outerRange = outer;
}

float FrameAttenuatedLight::DistanceLoss(float strength, float distance) const {
    const float span = outerRange - innerRange;
    if ((flags & kFlagAttenuate) == 0 || !(span > 0.0f) || !(distance > innerRange)) return 0.0f;
    return strength * (distance - innerRange) / span;
}

bool FrameAttenuatedLight::PrepareInReach(const Transform* transform, float* distance) {
    if ((flags & kFlagOff) != 0) {
        PrepareLevels(transform);
        return false;
    }
    // Out of reach, a light needs no direction: its levels are 0.
    if (!SurelyBeyond()) {
        const Vector3 p = Offset(transform);
        if (!Beyond(p)) {
            const float d = Aim(p);
            PrepareLevels(transform);
            *distance = d;
            if (!(d >= outerRange) && d > 0.0f) return true;
            level = levelAlt = 0.0f;
            return false;
        }
    }
    PrepareLevels(transform);
    level = levelAlt = 0.0f;
    return false;
}

void FrameAttenuatedLight::Prepare(const Transform* transform) {
    float d = 0.0f;
    if (!PrepareInReach(transform, &d)) return;
    level -= DistanceLoss(level, d);
    levelAlt -= DistanceLoss(levelAlt, d);
}

uint32_t FrameAttenuatedLight::FixedTag() const { return MakeTag("EFAT"); }
uint32_t FrameAttenuatedLight::FloatTag() const { return MakeTag("EFA1"); }
void FrameAttenuatedLight::ParseRecord(const uint8_t* r, bool fixed) {
    FramePointLight::ParseRecord(r, fixed);
    innerRange = LoadLeFixedOrFloat(r + 36, fixed);
    outerRange = LoadLeFixedOrFloat(r + 40, fixed);
}

FrameSpotLight::FrameSpotLight(const char* fileName, const char* lightName) : FrameAttenuatedLight(nullptr, nullptr) {
    kind = kKindFrameSpot;
    if (fileName != nullptr) Load(fileName, lightName);
}

FrameSpotLight::FrameSpotLight(const Vector3& where, float inner, float outer, const Vector3& spot, float innerDegrees,
                               float outerDegrees)
    : FrameSpotLight() {
    position = where;
    innerRange = inner;
    outerRange = outer;
    spotDirection = spot;
    innerAngle = innerDegrees;
    outerAngle = outerDegrees;
}

void FrameSpotLight::Prepare(const Transform* transform) {
    float d = 0.0f;
    if (!PrepareInReach(transform, &d)) return;
    const Vector3 s = CarryDirection(Negated(spotDirection), transform);
    const float c = Dot(prepared, s);
    const float cosInner = std::cos(innerAngle * kDegreesToRadians);
    const float cosOuter = std::cos(outerAngle * kDegreesToRadians);
    if (!(c > cosOuter)) {
        level = levelAlt = 0.0f;
        return;
    }
    const float before = level, beforeAlt = levelAlt;
    if (c < cosInner) {
        level -= level * (cosInner - c) / (cosInner - cosOuter);
        levelAlt -= levelAlt * (cosInner - c) / (cosInner - cosOuter);
    }
    level -= DistanceLoss(before, d);
    levelAlt -= DistanceLoss(beforeAlt, d);
}

uint32_t FrameSpotLight::FixedTag() const { return MakeTag("EFSP"); }
uint32_t FrameSpotLight::FloatTag() const { return MakeTag("EFS1"); }
uint32_t FrameSpotLight::RecordBytes() const { return 64; }
uint32_t FrameSpotLight::ColourOffset() const { return 44; }
void FrameSpotLight::ParseRecord(const uint8_t* r, bool fixed) {
    position = VectorAt(r + 20, fixed);
    spotDirection = VectorAt(r + 32, fixed);
    g_mathRoutineTable.normalizeVector(&spotDirection);
    innerRange = LoadLeFixedOrFloat(r + 48, fixed);
    outerRange = LoadLeFixedOrFloat(r + 52, fixed);
    innerAngle = LoadLeFixedOrFloat(r + 56, fixed);
    outerAngle = LoadLeFixedOrFloat(r + 60, fixed);
}

// --- Point lights --------------------------------------------------------------

PointLight::PointLight(const char* fileName, const char* lightName) : Light(nullptr, nullptr) {
    kind = kKindPoint;
    intensity = 255;
    if (fileName != nullptr) Load(fileName, lightName);
}

PointLight::PointLight(const Vector3& where) : PointLight() { position = where; }

void PointLight::PreparePosition(const Transform* transform) {
    prepared = position;
    if (InObjectSpace(transform)) g_mathRoutineTable.transformPoint(&position, &transform->inverse, &prepared);
}

void PointLight::Prepare(const Transform* transform) {
    if ((flags & kFlagOff) != 0) return PrepareLevels(transform);
    PreparePosition(transform);
    PrepareLevels(transform);
}

bool PointLight::Reach(const MeshVertex& point, bool alt, float* strength, Vector3* toLight) const {
    const Vector3 p = PositionOf(point);
    *toLight = {prepared.x - p.x, prepared.y - p.y, prepared.z - p.z};
    g_mathRoutineTable.normalizeVector(toLight);
    *strength = alt ? levelAlt : level;
    return true;
}

void PointLight::Shine(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided, bool alt) {
    float strength = 0.0f;
    Vector3 toLight{};
    if ((flags & kFlagOff) == 0 && Reach(point, alt, &strength, &toLight)) {
        Add(vertex, strength * Facing(point, toLight, twoSided));
    }
    PassOn(point, vertex, twoSided, alt);
}

void PointLight::LightVertex(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) {
    Shine(point, vertex, twoSided, false);
}

void PointLight::LightVertexAlt(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) {
    Shine(point, vertex, twoSided, true);
}

uint32_t PointLight::FixedTag() const { return MakeTag("EPNT"); }
uint32_t PointLight::FloatTag() const { return MakeTag("EPN1"); }
uint32_t PointLight::RecordBytes() const { return 48; }
uint32_t PointLight::ColourOffset() const { return 32; }
void PointLight::ParseRecord(const uint8_t* r, bool fixed) {
    position = VectorAt(r + 20, fixed);
}

AttenuatedLight::AttenuatedLight(const char* fileName, const char* lightName) : PointLight(nullptr, nullptr) {
    kind = kKindAttenuated;
    flags |= kFlagAttenuate;
    if (fileName != nullptr) Load(fileName, lightName);
}

AttenuatedLight::AttenuatedLight(const Vector3& where, float inner, float outer) : AttenuatedLight() {
    position = where;
    innerRange = inner;
    outerRange = outer;
}

void AttenuatedLight::Prepare(const Transform* transform) {
    if ((flags & kFlagOff) != 0) return PrepareLevels(transform);
    PointLight::Prepare(transform);
    const float span = outerRange - innerRange;
    rangeSlope = span > 0.0f ? level / span : 0.0f;
    rangeSlopeAlt = span > 0.0f ? levelAlt / span : 0.0f;
}

bool AttenuatedLight::Reach(const MeshVertex& point, bool alt, float* strength, Vector3* toLight) const {
    const Vector3 p = PositionOf(point);
    const Vector3 towards{prepared.x - p.x, prepared.y - p.y, prepared.z - p.z};
    const float d = Length(towards);
    // At the light itself there is no direction to shine from.
    if (!(d < outerRange) || !(d > 0.0f)) return false;
    *toLight = {towards.x / d, towards.y / d, towards.z / d};
    float l = alt ? levelAlt : level;
    if ((flags & kFlagAttenuate) != 0 && d > innerRange) l -= (d - innerRange) * (alt ? rangeSlopeAlt : rangeSlope);
    *strength = l;
    return true;
}

uint32_t AttenuatedLight::FixedTag() const { return MakeTag("EATN"); }
uint32_t AttenuatedLight::FloatTag() const { return MakeTag("EAT1"); }
void AttenuatedLight::ParseRecord(const uint8_t* r, bool fixed) {
    PointLight::ParseRecord(r, fixed);
    innerRange = LoadLeFixedOrFloat(r + 36, fixed);
    outerRange = LoadLeFixedOrFloat(r + 40, fixed);
}

SpotLight::SpotLight(const char* fileName, const char* lightName) : AttenuatedLight(nullptr, nullptr) {
    kind = kKindSpot;
    if (fileName != nullptr) Load(fileName, lightName);
}

SpotLight::SpotLight(const Vector3& where, float inner, float outer, const Vector3& spot, float innerDegrees,
                     float outerDegrees)
    : SpotLight() {
    position = where;
    innerRange = inner;
    outerRange = outer;
    spotDirection = spot;
    g_mathRoutineTable.normalizeVector(&spotDirection);
    innerAngle = innerDegrees;
    outerAngle = outerDegrees;
}

void SpotLight::Prepare(const Transform* transform) {
    if ((flags & kFlagOff) != 0) return PrepareLevels(transform);
    AttenuatedLight::Prepare(transform);
    preparedSpot = CarryDirection(Negated(spotDirection), transform);
    cosInner = std::cos(innerAngle * kDegreesToRadians);
    cosOuter = std::cos(outerAngle * kDegreesToRadians);
    const float span = cosInner - cosOuter;
    coneSlope = span > 0.0f ? level / span : 0.0f;
    coneSlopeAlt = span > 0.0f ? levelAlt / span : 0.0f;
}

bool SpotLight::Reach(const MeshVertex& point, bool alt, float* strength, Vector3* toLight) const {
    const Vector3 p = PositionOf(point);
    const Vector3 towards{prepared.x - p.x, prepared.y - p.y, prepared.z - p.z};
    const float d = Length(towards);
    if (!(d < outerRange) || !(d > 0.0f)) return false;
    *toLight = {towards.x / d, towards.y / d, towards.z / d};
    const float c = Dot(*toLight, preparedSpot);
    if (!(c > cosOuter)) return false;
    float l = alt ? levelAlt : level;
    if (c < cosInner) l -= (cosInner - c) * (alt ? coneSlopeAlt : coneSlope);
    if ((flags & kFlagAttenuate) != 0 && d > innerRange) l -= (d - innerRange) * (alt ? rangeSlopeAlt : rangeSlope);
    *strength = l;
    return true;
}

uint32_t SpotLight::FixedTag() const { return MakeTag("ESPT"); }
uint32_t SpotLight::FloatTag() const { return MakeTag("ESP1"); }
uint32_t SpotLight::RecordBytes() const { return 64; }
uint32_t SpotLight::ColourOffset() const { return 44; }
void SpotLight::ParseRecord(const uint8_t* r, bool fixed) {
    position = VectorAt(r + 20, fixed);
    spotDirection = VectorAt(r + 32, fixed);
    g_mathRoutineTable.normalizeVector(&spotDirection);
    innerRange = LoadLeFixedOrFloat(r + 48, fixed);
    outerRange = LoadLeFixedOrFloat(r + 52, fixed);
    innerAngle = LoadLeFixedOrFloat(r + 56, fixed);
    outerAngle = LoadLeFixedOrFloat(r + 60, fixed);
}
