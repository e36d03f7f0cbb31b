#include "scene/Light.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <typeinfo>

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

// A frame light's place from the object placed by `transform`, in the space
// of preparation (the object's own when `objectSpace`). The default math
// routine's sums are made here in its order, without the call.
Vector3 OffsetFrom(const Vector3& position, const Transform* transform, bool objectSpace) {
    if (objectSpace) {
        if (g_mathRoutineTable.transformPoint != &TransformPoint) {
            Vector3 p;
            g_mathRoutineTable.transformPoint(&position, &transform->inverse, &p);
            return p;
        }
        const auto& r = transform->inverse.rows;
        const double x = position.x, y = position.y, z = position.z;
        float p[3];
        for (int j = 0; j < 3; ++j) {
            double sum = x * r[0][j] + y * r[1][j] + z * r[2][j];
            sum += r[Matrix34::kTranslationRow][j];
            p[j] = static_cast<float>(sum);
        }
        return {p[0], p[1], p[2]};
    }
    if (transform == nullptr) return position;
    Vector3 origin;
    transform->matrix.GetTranslation(&origin);
    return {position.x - origin.x, position.y - origin.y, position.z - origin.z};
}

bool IsIdentity3x3(const Matrix34& m) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            if (m.rows[r][c] != (r == c ? 1.0f : 0.0f)) return false;
        }
    }
    return true;
}

// The walk after the head of the chain prepared last, copied for its
// vertices: the vector and frame lights it visits, in order, each with its
// level (0 where it adds nothing: switched off, or a frame light not above
// 0) and prepared direction. Every vertex of an object walks the same
// lights, and arrays read in order spare each vertex the chase from light
// to light. It serves only the head that owns it, while no link has changed
// since its preparation. What it copies changes only by another preparation,
// which takes the plan for its own head, or by a switch, which a frame
// forbids: in a frame one copy serves the object, outside one each vertex
// makes its own.
struct WalkPlan {
    static constexpr int32_t kCapacity = 256;
    // Bounds under which no sum of a vertex's shares can leave 32 bits, for
    // any normal within kNormalBound (the sum of its sizes) and any
    // intensity it starts from within kStartBound: then the shares may be
    // added without the saturation after each.
    static constexpr float kLevelBound = 65536.0f;
    static constexpr float kDirectionBound = 2.0f;
    static constexpr float kNormalBound = 4.0f;
    static constexpr int32_t kStartBound = 1 << 30;

    const Light* head = nullptr;
    uint64_t edits = 0;
    // The frame the copy was made in; 0, no frame's, to make it again.
    uint64_t pass = 0;
    int32_t count = 0;
    bool moderate = false;   // every level and direction within the bounds
    // Where the walk goes on after the steps, a light that shines in a way
    // of its own (or one past the capacity); null when the walk clamps to
    // `top`.
    Light* rest = nullptr;
    int32_t top = 0;
    float level[kCapacity] = {};
    float levelAlt[kCapacity] = {};
    float x[kCapacity] = {};
    float y[kCapacity] = {};
    float z[kCapacity] = {};
};

constinit WalkPlan g_walkPlan;

// The lights a preparation goes through after the chain's head, as Onward
// finds them one from the other, listed once a frame for the head, with the
// world place and reach of those judged by it: each object's preparation
// then judges them all from these few arrays, instead of asking each light
// for the next and reading its place. Links changed or another head
// prepared, it is listed again.
struct OnwardRun {
    static constexpr int32_t kCapacity = 512;
    const Light* head = nullptr;
    uint64_t pass = 0;
    uint64_t edits = 0;
    int32_t count = 0;   // -1 when the run is longer than the capacity
    Light* lights[kCapacity] = {};
    // Per light that SurelyOutOfReach would judge by its world place: that
    // place and its reach as SurelyBeyond takes them; 0 for the others.
    int64_t judged[kCapacity] = {};
    double x[kCapacity] = {};
    double y[kCapacity] = {};
    double z[kCapacity] = {};
    double reach[kCapacity] = {};
    // Set for the lights surely out of reach of the object being prepared.
    int64_t out[kCapacity] = {};
    // The places of the lights prepared for the object prepared last, in
    // order: the others' levels are 0 (cleared when passed by), so passed by
    // again they need no clearing. Unknown, -1, when the run is listed.
    int32_t visited[kCapacity] = {};
    int32_t visitedCount = -1;
    // Set for the lights judged by their place that are plain frame
    // attenuated lights (no kind derived from one), prepared in a batch.
    uint8_t batched[kCapacity] = {};
    // Each light's kind as lone lighting knows it, and whether it knows all.
    uint8_t loneKinds[kCapacity] = {};
    bool lone = false;
};

constinit OnwardRun g_onwardRun;

// The plain attenuated lights of one object's walk, prepared together: the
// same sums as each light's own preparation, in arrays a loop runs through
// without a call or a branch per light.
struct FlashBatch {
    int32_t places[OnwardRun::kCapacity] = {};
    // The light's place, then its offset, then the direction to it.
    float x[OnwardRun::kCapacity] = {};
    float y[OnwardRun::kCapacity] = {};
    float z[OnwardRun::kCapacity] = {};
    float inner[OnwardRun::kCapacity] = {};
    float outer[OnwardRun::kCapacity] = {};
    float level[OnwardRun::kCapacity] = {};
    float levelAlt[OnwardRun::kCapacity] = {};
    int32_t attenuate[OnwardRun::kCapacity] = {};
    int32_t aimed[OnwardRun::kCapacity] = {};   // the direction was taken
};

constinit FlashBatch g_flashBatch;

// The kinds whose share of a lone vertex Light::ShineLone takes without a
// preparation: exactly these classes, no kind derived from one.
constexpr uint8_t kLoneOther = 0;
constexpr uint8_t kLoneAmbient = 1;
constexpr uint8_t kLoneVector = 2;
constexpr uint8_t kLoneFramePoint = 3;
constexpr uint8_t kLoneFrameAttenuated = 4;

uint8_t LoneKindOf(const Light& light) {
    const std::type_info& type = typeid(light);
    if (type == typeid(Light)) return kLoneAmbient;
    if (type == typeid(VectorLight)) return kLoneVector;
    if (type == typeid(FramePointLight)) return kLoneFramePoint;
    if (type == typeid(FrameAttenuatedLight)) return kLoneFrameAttenuated;
    return kLoneOther;
}

// The place of a light whose preparation finds the lights after it by Onward.
constexpr int32_t kUnlisted = -2;

// SaturateToInt32 of a float without its way through double: truncated
// toward zero, NaN as 0, the ends held (no float lies between 2^31 - 128
// and 2^31, so the double's tests fall at the same places).
int32_t TruncateToInt32(float value) {
    if (value >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    if (!(value > -2147483648.0f)) return value != value ? 0 : std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// The plan's shares added to `intensity` one after another, as Light::Add
// adds them: a step that adds nothing has a level of 0, whose share
// truncates to 0 whatever the facing. The facing is Light::Facing's but for
// a two-sided face, whose size is taken where Facing negates: the two differ
// only in the sign of a zero or of a NaN, which give the same whole share.
template <bool kTwoSided>
int32_t AddPlanShares(const WalkPlan& plan, const float* levels, const MeshVertex& point, int32_t intensity) {
    const float nx = point.nx, ny = point.ny, nz = point.nz;
    const int32_t count = plan.count;
    if (plan.moderate && std::fabs(nx) + std::fabs(ny) + std::fabs(nz) <= WalkPlan::kNormalBound &&
        intensity >= -WalkPlan::kStartBound && intensity <= WalkPlan::kStartBound) {
        // Every share finite and far inside 32 bits, and no sum near their
        // ends: in any order, and without a test of its own, each adds as
        // Add would.
        int32_t sum = 0;
        for (int32_t i = 0; i < count; ++i) {
            const float f = nx * plan.x[i] + ny * plan.y[i] + nz * plan.z[i];
            const float facing = kTwoSided ? std::fabs(f) : std::max(f, 0.0f);
            sum += static_cast<int32_t>(levels[i] * facing);
        }
        return intensity + sum;
    }
    for (int32_t i = 0; i < count; ++i) {
        const float f = nx * plan.x[i] + ny * plan.y[i] + nz * plan.z[i];
        const float facing = kTwoSided ? std::fabs(f) : (f >= 0.0f ? f : 0.0f);
        intensity = Saturate32(int64_t(intensity) + TruncateToInt32(levels[i] * facing));
    }
    return intensity;
}

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
bool Light::walkListed_ = false;
bool Light::walkJudged_ = false;
bool Light::walkPaletted_ = false;
uint32_t Light::walkFullLevel_ = 0;
int32_t Light::walkAt_ = 0;
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
    // stored inverse. With P = A M: |v A| >= |v| (1 - |P - I|) / |M|, |P - I|
    // the Frobenius norm, so no trust in the inverse being current is
    // needed, and |M| bounded by the largest row sum of |M M^T|, which
    // bounds its largest eigenvalue: for a turned and scaled object that is
    // the scale itself, where the Frobenius norm would take the whole
    // object's reach 1.7 times as far. The slip is |o A + b|.
    const Matrix34& m = transform->matrix;
    const Matrix34& a = transform->inverse;
    double stretch = 1.0, drift = 0.0;
    // A billboard's placement moves it only: M M^T and P are the identity.
    if (!IsIdentity3x3(m) || !IsIdentity3x3(a)) {
        double widest = 0.0;
        for (int r = 0; r < 3; ++r) {
            double sum = 0.0;
            for (int s = 0; s < 3; ++s) {
                sum += std::fabs(double(m.rows[r][0]) * m.rows[s][0] + double(m.rows[r][1]) * m.rows[s][1] +
                                 double(m.rows[r][2]) * m.rows[s][2]);
            }
            if (!(sum <= widest)) widest = sum;   // a NaN kept, to fail the test below
        }
        stretch = std::sqrt(widest);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                double product = 0.0;
                for (int k = 0; k < 3; ++k) product += double(a.rows[r][k]) * m.rows[k][c];
                const double off = product - (r == c ? 1.0 : 0.0);
                drift += off * off;
            }
        }
        drift = std::sqrt(drift);
    }
    double slip = 0.0;
    for (int c = 0; c < 3; ++c) {
        double v = a.rows[Matrix34::kTranslationRow][c];
        v += double(walkOrigin_.x) * a.rows[0][c] + double(walkOrigin_.y) * a.rows[1][c] + double(walkOrigin_.z) * a.rows[2][c];
        slip += v * v;
    }
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

bool Light::ListRun() {
    OnwardRun& run = g_onwardRun;
    if (run.head == this && run.pass == passes_ && run.edits == chainEdits_) return run.count >= 0;
    run.head = this;
    run.pass = passes_;
    run.edits = chainEdits_;
    run.count = 0;
    run.visitedCount = -1;
    run.lone = true;
    for (Light* light = Onward(); light != nullptr; light = light->Onward()) {
        if (run.count == OnwardRun::kCapacity) {
            run.count = -1;
            return false;
        }
        const int32_t at = run.count++;
        run.lights[at] = light;
        run.judged[at] = light->rangeBound_ && (light->flags & kFlagOff) == 0 && light->next != nullptr;
        run.x[at] = run.y[at] = run.z[at] = run.reach[at] = 0.0;
        if (run.judged[at] != 0) {
            const auto* const ranged = static_cast<const FrameAttenuatedLight*>(light);
            run.judged[at] = ranged->outerRange >= 0.0f;
            run.x[at] = ranged->position.x;
            run.y[at] = ranged->position.y;
            run.z[at] = ranged->position.z;
            run.reach[at] = ranged->Reach();
        }
        run.batched[at] = run.judged[at] != 0 && typeid(*light) == typeid(FrameAttenuatedLight);
        run.loneKinds[at] = LoneKindOf(*light);
        run.lone = run.lone && run.loneKinds[at] != kLoneOther;
    }
    return true;
}

bool Light::LightLoneVertex(const Transform* transform, const MeshVertex& point, RenderVertex& vertex,
                            int32_t twoSided) {
    if (!drawing_ || walkDepth_ != 0) return false;
    const uint8_t headKind = LoneKindOf(*this);
    if (headKind == kLoneOther || !ListRun() || !g_onwardRun.lone) return false;
    // The palette and the judgement of the run as the head's preparation
    // takes them; the lights judged out of reach would add nothing.
    const Camera* const camera = g_viewContext != nullptr ? g_viewContext->camera : nullptr;
    walkPaletted_ = camera != nullptr && camera->canvas != nullptr && camera->canvas->palette != nullptr &&
                    camera->canvas->palette->Shades() != nullptr;
    if (walkPaletted_) walkFullLevel_ = camera->canvas->palette->Shades()->pivot;
    const OnwardRun& run = g_onwardRun;
    if (run.count > 0) MeasureWalk(transform);
    const bool objectSpace = InObjectSpace(transform);
    // The plain attenuated lights within reach, a battle's flashes, take
    // their levels and directions together, as their preparation does.
    FlashBatch& batch = g_flashBatch;
    int32_t batched = 0;
    if (run.count > 0) {
        JudgeRun();
        for (int32_t i = 0; i < run.count; ++i) {
            batch.places[batched] = i;
            batched += run.out[i] == 0 && run.batched[i] != 0 ? 1 : 0;
        }
        if (batched > 0) ComputeFlashes(transform, batched);
    }
    ShineLone(*this, headKind, transform, objectSpace, point, vertex, twoSided);
    for (int32_t i = 0, flash = 0; i < run.count; ++i) {
        if (run.out[i] != 0) continue;
        Light& light = *run.lights[i];
        if (run.batched[i] == 0) {
            ShineLone(light, run.loneKinds[i], transform, objectSpace, point, vertex, twoSided);
            continue;
        }
        if (walkPaletted_) light.fullLevel = walkFullLevel_;
        const float level = batch.level[flash];
        if (level > 0.0f) {
            Add(vertex, level * Facing(point, {batch.x[flash], batch.y[flash], batch.z[flash]}, twoSided));
        }
        ++flash;
    }
    // The walk clamps where the chain's last light would, which is always
    // prepared.
    const Light* const last = run.count > 0 ? run.lights[run.count - 1] : this;
    vertex.intensity = std::clamp(vertex.intensity, 0, int32_t(last->fullLevel));
    return true;
}

void Light::ShineLone(Light& light, uint8_t loneKind, const Transform* transform, bool objectSpace,
                      const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) {
    if (walkPaletted_) light.fullLevel = walkFullLevel_;
    if ((light.flags & kFlagOff) != 0) return;
    float level = float(light.fullLevel) * float(light.intensity) * kOneOver255;
    if ((light.flags & kFlagNegative) != 0) level = -level;
    if (loneKind == kLoneAmbient) {
        Add(vertex, level);
        return;
    }
    if (loneKind == kLoneVector) {
        Add(vertex, level * Facing(point, static_cast<VectorLight&>(light).Carried(transform), twoSided));
        return;
    }
    // A frame light: one direction from the object's place, and only a
    // level above 0 shines.
    const Vector3 p = OffsetFrom(static_cast<const FramePointLight&>(light).position, transform, objectSpace);
    const auto* const ranged =
        loneKind == kLoneFrameAttenuated ? static_cast<const FrameAttenuatedLight*>(&light) : nullptr;
    if (ranged != nullptr && ranged->Beyond(p)) return;
    const float d = Length(p);
    if (ranged != nullptr) {
        if (!(!(d >= ranged->outerRange) && d > 0.0f)) return;
        level -= ranged->DistanceLoss(level, d);
    }
    if (!(level > 0.0f)) return;
    const Vector3 towards = d > 0.0f ? Vector3{p.x / d, p.y / d, p.z / d} : p;
    Add(vertex, level * Facing(point, towards, twoSided));
}

void Light::JudgeRun() {
    OnwardRun& run = g_onwardRun;
    if (!walkBounded_) {
        std::fill_n(run.out, run.count, int64_t{0});
        return;
    }
    // A select, not a branch, in the loop: the judgements mix at random.
    for (int32_t i = 0; i < run.count; ++i) {
        run.out[i] = PastReach(run.x[i], run.y[i], run.z[i], run.reach[i]) ? run.judged[i] : 0;
    }
}

void Light::PrepareLevels(const Transform* transform) {
    const bool head = walkDepth_ == 0;
    if (head) {
        g_walkPlan.head = nullptr;
        walkListed_ = drawing_ && ListRun();
    }
    // Without a canvas palette the previous full level stands. The palette
    // stays while the head prepares its chain: the head reads it for all.
    if (head) {
        const Camera* const camera = g_viewContext != nullptr ? g_viewContext->camera : nullptr;
        walkPaletted_ = camera != nullptr && camera->canvas != nullptr && camera->canvas->palette != nullptr &&
                        camera->canvas->palette->Shades() != nullptr;
        if (walkPaletted_) walkFullLevel_ = camera->canvas->palette->Shades()->pivot;
    }
    if (walkPaletted_) fullLevel = walkFullLevel_;
    level = float(fullLevel) * float(intensity) * kOneOver255;
    levelAlt = float(intensity) * 240.0f * kOneOver255;
    if ((flags & kFlagNegative) != 0) {
        level = -level;
        levelAlt = -levelAlt;
    }
    preparedEdits_ = chainEdits_;
    clampLevel_ = fullLevel;
    // This light's place in the run listed for the head, -1 for the head
    // itself; unlisted, the lights after it are found by Onward.
    OnwardRun& run = g_onwardRun;
    int32_t at = head ? -1 : walkAt_;
    if (!walkListed_ || (at >= 0 && run.lights[at] != this)) at = kUnlisted;
    // A light of the listed run is linked by its head, once all are prepared.
    if (at >= 0) return;
    Light* following = at == kUnlisted ? Onward() : run.count > 0 ? run.lights[0] : nullptr;
    if (following == nullptr) {
        reaching = nullptr;
        return;
    }
    if (head) {
        MeasureWalk(transform);
        if (walkListed_) JudgeRun();
    }
    ++walkDepth_;
    if (at == kUnlisted) {
        // A crowd's many small lights each reach few objects: passing those
        // out of reach here, without the call down the chain, keeps the cost
        // of an object to the lights that can touch it. Their levels are
        // cleared so a walk that must follow `next` (a link changed
        // meanwhile) adds nothing.
        while (following->next != nullptr && following->SurelyOutOfReach()) {
            following->level = following->levelAlt = 0.0f;
            following = following->Onward();
        }
        reaching = following;
        following->Prepare(transform);
        clampLevel_ = following->clampLevel_;
        if (!following->Adds()) reaching = following->reaching;
    } else {
        PrepareRun(transform);
    }
    --walkDepth_;
    if (head && reaching != nullptr) {
        g_walkPlan.head = this;
        g_walkPlan.edits = chainEdits_;
        g_walkPlan.pass = 0;
    }
}

void Light::PrepareRun(const Transform* transform) {
    OnwardRun& run = g_onwardRun;
    // Each light of the run that may reach the object is prepared in turn,
    // with no call down the chain: a preparation reads nothing of the
    // lights after it. Those judged out of reach are passed by, their
    // levels cleared as a walk down `next` would need them. The plain frame
    // attenuated lights among them, a battle's blasts and burning wrecks,
    // are prepared together after the others.
    const auto pass = [&run](int32_t place) {
        if (run.out[place] != 0) run.lights[place]->level = run.lights[place]->levelAlt = 0.0f;
    };
    if (run.visitedCount < 0) {
        for (int32_t place = 0; place < run.count; ++place) pass(place);
    } else {
        for (int32_t i = 0; i < run.visitedCount; ++i) pass(run.visited[i]);
    }
    int32_t count = 0;
    for (int32_t place = 0; place < run.count; ++place) {
        run.visited[count] = place;
        count += run.out[place] == 0 ? 1 : 0;
    }
    run.visitedCount = count;
    int32_t batched = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t place = run.visited[i];
        if (run.batched[place] != 0) {
            g_flashBatch.places[batched++] = place;
            continue;
        }
        walkAt_ = place;
        walkJudged_ = run.judged[place] != 0;
        run.lights[place]->Prepare(transform);
    }
    walkJudged_ = false;
    if (batched > 0) PrepareFlashes(transform, batched);
    // Then linked from the last back: each walk goes on to the first light
    // after it that adds, and clamps where the chain's last would.
    Light* after = nullptr;
    for (int32_t i = count - 1; i >= -1; --i) {
        Light* const light = i >= 0 ? run.lights[run.visited[i]] : this;
        light->reaching = after;
        if (after != nullptr) {
            light->clampLevel_ = after->clampLevel_;
            if (!after->Adds()) light->reaching = after->reaching;
        }
        after = light;
    }
}

void Light::PrepareFlashes(const Transform* transform, int32_t count) {
    ComputeFlashes(transform, count);
    const OnwardRun& run = g_onwardRun;
    const FlashBatch& batch = g_flashBatch;
    for (int32_t i = 0; i < count; ++i) {
        auto* const light = static_cast<FrameAttenuatedLight*>(run.lights[batch.places[i]]);
        if (walkPaletted_) light->fullLevel = walkFullLevel_;
        light->level = batch.level[i];
        light->levelAlt = batch.levelAlt[i];
        if (batch.aimed[i] != 0) light->prepared = {batch.x[i], batch.y[i], batch.z[i]};
        light->preparedEdits_ = chainEdits_;
        light->clampLevel_ = light->fullLevel;
    }
}

void Light::ComputeFlashes(const Transform* transform, int32_t count) {
    const OnwardRun& run = g_onwardRun;
    FlashBatch& batch = g_flashBatch;
    for (int32_t i = 0; i < count; ++i) {
        const auto* const light = static_cast<const FrameAttenuatedLight*>(run.lights[batch.places[i]]);
        batch.x[i] = light->position.x;
        batch.y[i] = light->position.y;
        batch.z[i] = light->position.z;
        batch.inner[i] = light->innerRange;
        batch.outer[i] = light->outerRange;
        const uint32_t full = walkPaletted_ ? walkFullLevel_ : light->fullLevel;
        const float sign = (light->flags & kFlagNegative) != 0 ? -1.0f : 1.0f;
        batch.level[i] = sign * (float(full) * float(light->intensity) * kOneOver255);
        batch.levelAlt[i] = sign * (float(light->intensity) * 240.0f * kOneOver255);
        batch.attenuate[i] = (light->flags & kFlagAttenuate) != 0;
    }
    // The offsets, as FramePointLight::Offset takes them.
    if (InObjectSpace(transform)) {
        const Matrix34& m = transform->inverse;
        if (g_mathRoutineTable.transformPoint == &TransformPoint) {
            // TransformPoint's own sums, in its order, inlined for the loop.
            const auto& r = m.rows;
            const double t[3] = {r[Matrix34::kTranslationRow][0], r[Matrix34::kTranslationRow][1],
                                 r[Matrix34::kTranslationRow][2]};
            for (int32_t i = 0; i < count; ++i) {
                const double x = batch.x[i], y = batch.y[i], z = batch.z[i];
                batch.x[i] = float(x * r[0][0] + y * r[1][0] + z * r[2][0] + t[0]);
                batch.y[i] = float(x * r[0][1] + y * r[1][1] + z * r[2][1] + t[1]);
                batch.z[i] = float(x * r[0][2] + y * r[1][2] + z * r[2][2] + t[2]);
            }
        } else {
            for (int32_t i = 0; i < count; ++i) {
                const Vector3 at{batch.x[i], batch.y[i], batch.z[i]};
                Vector3 p;
                g_mathRoutineTable.transformPoint(&at, &m, &p);
                batch.x[i] = p.x;
                batch.y[i] = p.y;
                batch.z[i] = p.z;
            }
        }
    } else if (transform != nullptr) {
        Vector3 origin;
        transform->matrix.GetTranslation(&origin);
        for (int32_t i = 0; i < count; ++i) {
            batch.x[i] -= origin.x;
            batch.y[i] -= origin.y;
            batch.z[i] -= origin.z;
        }
    }
    // FrameAttenuatedLight::Prepare's tests and sums, every one computed
    // and the results selected, so the loop runs on several lights at once:
    // a light past its range keeps its old direction and takes levels of 0.
    for (int32_t i = 0; i < count; ++i) {
        const float px = batch.x[i], py = batch.y[i], pz = batch.z[i];
        const float outer = batch.outer[i], inner = batch.inner[i];
        const double squared = double(px) * px + double(py) * py + double(pz) * pz;
        const bool beyond = (squared > double(outer) * outer * (1.0 + 1e-6)) & (outer >= 0.0f);
        const float d = std::sqrt(px * px + py * py + pz * pz);
        const float qx = px / d, qy = py / d, qz = pz / d;
        const bool aimed = !beyond & (d > 0.0f);
        batch.x[i] = aimed ? qx : px;
        batch.y[i] = aimed ? qy : py;
        batch.z[i] = aimed ? qz : pz;
        const bool lit = aimed & !(d >= outer);
        const float span = outer - inner;
        const bool loses = (batch.attenuate[i] != 0) & (span > 0.0f) & (d > inner);
        const float level = batch.level[i], levelAlt = batch.levelAlt[i];
        const float loss = level * (d - inner) / span;
        const float lossAlt = levelAlt * (d - inner) / span;
        const float kept = level - (loses ? loss : 0.0f);
        const float keptAlt = levelAlt - (loses ? lossAlt : 0.0f);
        batch.level[i] = lit ? kept : 0.0f;
        batch.levelAlt[i] = lit ? keptAlt : 0.0f;
        batch.aimed[i] = !beyond;
    }
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

bool Light::HeadsPlan() const {
    return g_walkPlan.head == this && g_walkPlan.edits == chainEdits_;
}

void Light::BuildPlan() const {
    WalkPlan& plan = g_walkPlan;
    int32_t count = 0;
    // Gathered without branches, which would cost more than the tests.
    int32_t moderate = 1;
    const auto within = [](float value, float bound) { return int32_t(std::fabs(value) <= bound); };
    const Light* last = this;
    Light* to = WalkOnward();
    while (to != nullptr && to->share_ != Share::kOwn && count < WalkPlan::kCapacity) {
        const bool frame = to->share_ == Share::kFrame;
        const bool on = (to->flags & kFlagOff) == 0;
        const float level = on && (!frame || to->level > 0.0f) ? to->level : 0.0f;
        const float levelAlt = on && (!frame || to->levelAlt > 0.0f) ? to->levelAlt : 0.0f;
        const Vector3& towards = frame ? static_cast<const FramePointLight*>(to)->prepared
                                       : static_cast<const VectorLight*>(to)->prepared;
        plan.level[count] = level;
        plan.levelAlt[count] = levelAlt;
        plan.x[count] = towards.x;
        plan.y[count] = towards.y;
        plan.z[count] = towards.z;
        moderate &= within(level, WalkPlan::kLevelBound) & within(levelAlt, WalkPlan::kLevelBound) &
                    within(towards.x, WalkPlan::kDirectionBound) & within(towards.y, WalkPlan::kDirectionBound) &
                    within(towards.z, WalkPlan::kDirectionBound);
        ++count;
        last = to;
        to = to->WalkOnward();
    }
    plan.count = count;
    plan.moderate = moderate != 0;
    plan.rest = to;
    plan.top = int32_t(last->preparedEdits_ == chainEdits_ ? last->clampLevel_ : last->fullLevel);
    plan.pass = drawing_ ? passes_ : 0;
}

void Light::WalkByPlan(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided, bool alt) const {
    WalkPlan& plan = g_walkPlan;
    if (!drawing_ || plan.pass != passes_) BuildPlan();
    const float* const levels = alt ? plan.levelAlt : plan.level;
    vertex.intensity = twoSided != 0 ? AddPlanShares<true>(plan, levels, point, vertex.intensity)
                                     : AddPlanShares<false>(plan, levels, point, vertex.intensity);
    if (plan.rest != nullptr) {
        if (alt) {
            plan.rest->LightVertexAlt(point, vertex, twoSided);
        } else {
            plan.rest->LightVertex(point, vertex, twoSided);
        }
        return;
    }
    vertex.intensity = std::clamp(vertex.intensity, 0, alt ? kAltFullLevel : plan.top);
}

void Light::PassOn(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided, bool alt) {
    if (HeadsPlan()) return WalkByPlan(point, vertex, twoSided, alt);
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
    share_ = Share::kVector;
    intensity = 255;
    if (fileName != nullptr) Load(fileName, lightName);
}

VectorLight::VectorLight(const Vector3& towards) : VectorLight() {
    direction = towards;
    g_mathRoutineTable.normalizeVector(&direction);
}

void VectorLight::Prepare(const Transform* transform) {
    if ((flags & kFlagOff) != 0) return PrepareLevels(transform);
    prepared = Carried(transform);
    PrepareLevels(transform);
}

const Vector3& VectorLight::Carried(const Transform* transform) {
    // Objects turned alike carry the direction alike: every billboard, whose
    // placement only moves it, takes what the last one carried.
    const bool inObject = InObjectSpace(transform);
    static constexpr float kUnturned[3][3] = {};
    const float* const by = inObject ? &transform->inverse.rows[0][0] : &kUnturned[0][0];
    if (!carry_.valid || carry_.inObject != inObject || std::memcmp(carry_.direction, &direction, sizeof carry_.direction) != 0 ||
        std::memcmp(carry_.by, by, sizeof carry_.by) != 0 || carry_.transform != g_mathRoutineTable.transformVector ||
        carry_.normalize != g_mathRoutineTable.normalizeVector) {
        carry_.result = CarryDirection(Negated(direction), transform);
        carry_.valid = true;
        carry_.inObject = inObject;
        std::memcpy(carry_.direction, &direction, sizeof carry_.direction);
        std::memcpy(carry_.by, by, sizeof carry_.by);
        carry_.transform = g_mathRoutineTable.transformVector;
        carry_.normalize = g_mathRoutineTable.normalizeVector;
    }
    return carry_.result;
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
    share_ = Share::kFrame;
    intensity = 255;
    if (fileName != nullptr) Load(fileName, lightName);
}

FramePointLight::FramePointLight(const Vector3& where) : FramePointLight() { position = where; }

Vector3 FramePointLight::Offset(const Transform* transform) const {
    return OffsetFrom(position, transform, InObjectSpace(transform));
}

float FramePointLight::Aim(const Vector3& p) {
    const float d = Length(p);
    prepared = d > 0.0f ? Vector3{p.x / d, p.y / d, p.z / d} : p;
    return d;
}

float FramePointLight::PrepareDirection(const Transform* transform) { return Aim(Offset(transform)); }

bool Light::PastReach(double x, double y, double z, double reach) {
    const double dx = x - walkOrigin_.x, dy = y - walkOrigin_.y, dz = z - walkOrigin_.z;
    const double far = (reach + walkSlip_) * walkGrowth_;
    return dx * dx + dy * dy + dz * dz > far * far;
}

// Margins for the rounding of the offset the light would compute.
double FrameAttenuatedLight::Reach() const { return double(outerRange) * (1.0 + 1e-5) + 1e-3; }

bool FrameAttenuatedLight::SurelyBeyond() const {
    if (walkJudged_) return false;   // judged so by the run already
    if (walkDepth_ == 0 || !walkBounded_ || !(outerRange >= 0.0f)) return false;
    return PastReach(position.x, position.y, position.z, Reach());
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
void FramePointLight::ShineRun(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided, bool alt) {
    FramePointLight* light = this;
    for (;;) {
        const float share = alt ? light->levelAlt : light->level;
        if ((light->flags & kFlagOff) == 0 && share > 0.0f) Add(vertex, share * Facing(point, light->prepared, twoSided));
        Light* const to = light->WalkOnward();
        if (to == nullptr || !WalksAsFrameLight(to) || light->HeadsPlan()) break;
        light = static_cast<FramePointLight*>(to);
    }
    light->PassOn(point, vertex, twoSided, alt);
}

void FramePointLight::LightVertex(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) {
    ShineRun(point, vertex, twoSided, false);
}

void FramePointLight::LightVertexAlt(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) {
    ShineRun(point, vertex, twoSided, true);
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
