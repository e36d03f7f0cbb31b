#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/MathRoutineTable.h"
#include "engine/Status.h"
#include "engine/Vector3.h"

class IffFile;
struct MeshVertex;
struct RenderVertex;
struct Transform;

// Results of the light record readers besides kStatusOk.
inline constexpr Status kStatusLightReadFailed = 10;
inline constexpr Status kStatusLightNotFound = 11;   // another tag, or another name
inline constexpr Status kStatusLightBadSize = 12;

// A light of the chain that lights each vertex of a draw: the base class is
// the ambient light, the seven kinds derive from it. Before an object is
// drawn the chain is prepared for its world transform; then each vertex is
// passed down the chain, each light adding its share, the last clamping.
class Light : public EngineObject {
public:
    static constexpr uint16_t kKindAmbient = 0;
    static constexpr uint16_t kKindVector = 0x100;
    static constexpr uint16_t kKindFramePoint = 0x200;
    static constexpr uint16_t kKindFrameAttenuated = 0x210;
    static constexpr uint16_t kKindFrameSpot = 0x211;
    static constexpr uint16_t kKindPoint = 0x300;
    static constexpr uint16_t kKindAttenuated = 0x310;
    static constexpr uint16_t kKindSpot = 0x311;

    static constexpr uint32_t kFlagOff = 0x1;
    static constexpr uint32_t kFlagNegative = 0x2;
    static constexpr uint32_t kFlagAttenuate = 0x10;
    static constexpr int kNameLength = 16;
    // The clamp of the alternate lighting.
    static constexpr int32_t kAltFullLevel = 240;

    // The ambient light; loads the named record when a file is given.
    explicit Light(const char* fileName = nullptr, const char* name = nullptr);
    Light(const Light& other);
    Light& operator=(const Light& other);
    virtual ~Light();

    virtual Light* InsertAfter(Light* node);
    virtual Light* Unlink();
    virtual Light* FindByName(const char* name);
    // For the object placed by `transform` (null: world space).
    virtual void Prepare(const Transform* transform);
    // Adds this light's share to the vertex's intensity and passes the
    // vertex on; the last light clamps to 0..fullLevel (or 0..240).
    virtual void LightVertex(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided);
    virtual void LightVertexAlt(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided);
    // Lights the one vertex of the object placed by `transform` as Prepare
    // and then LightVertex would: the same shares, added in the same order,
    // clamped alike. No light is prepared for it, the preparation paying
    // only over a mesh's many vertices. Only for the head of a chain in a
    // frame, whose lights are of the kinds a battle holds (ambient, vector,
    // frame point and frame attenuated); false, lighting nothing, otherwise.
    bool LightLoneVertex(const Transform* transform, const MeshVertex& point, RenderVertex& vertex, int32_t twoSided);
    virtual Status ReadRecord(IffFile& iff, const char* name);
    virtual Status Load(const char* fileName, const char* name);

    // A camera's frame, from its BeginFrame to its EndFrame: no light is
    // switched on or off, moved or given another range meanwhile (links may
    // still change), so each light finds the run of switched-off lights
    // after it once a frame instead of once an object drawn, and the chain's
    // lights are listed with their world places once a frame for its head.
    static void BeginDrawing();
    static void EndDrawing();

    Light* next = nullptr;
    Light* prev = nullptr;
    float level = 0.0f;        // in full-level units, set by Prepare
    float levelAlt = 0.0f;     // in units of 0..240
    uint32_t fullLevel = 0;    // the canvas palette's shade pivot
    uint16_t kind = kKindAmbient;
    uint8_t intensity = 16;
    uint8_t carried = 0;
    uint32_t flags = 0;
    char name[kNameLength + 1] = "NoName";
    uint32_t lastWord = 0;
    // Where the vertex walk goes after this light: the first light after it
    // whose share for the object prepared last can be more than nothing;
    // null when none is left, and the walk clamps where it is, as the
    // chain's last light would.
    // Set by Prepare and good until the next link or unlink of any chain
    // (before that, or without a Prepare, the walk follows `next`).
    Light* reaching = nullptr;

protected:
    // The base part of every kind's preparation: the levels, then the next
    // light. Lights that are off add nothing for any object: they are passed
    // by unprepared, save the last one, whose full level ends every walk.
    void PrepareLevels(const Transform* transform);
    // Whether this light, as prepared, can add anything to a vertex.
    bool Adds() const;
    // The first light after this one that is on, or the chain's last.
    Light* Onward();
    // Whether this light, on and not the last, surely adds nothing to the
    // object being prepared, judged from its world place alone: then it is
    // passed by unprepared, its levels 0, as an off light is.
    bool SurelyOutOfReach() const;
    // Passes the vertex on, or clamps at the end of the chain.
    void PassOn(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided, bool alt);
    // Whether the walk after this light goes by the plan of its preparation
    // (see WalkPlan in Light.cpp): it was the chain's head last prepared,
    // and no link changed since.
    bool HeadsPlan() const;
    // The kind's record: its two tags, size, and the fields after the name
    // and flag word; `fixed` for the 16.16 tag. The colour offset gives the
    // intensity.
    virtual uint32_t FixedTag() const;
    virtual uint32_t FloatTag() const;
    virtual uint32_t RecordBytes() const;
    virtual uint32_t ColourOffset() const;
    virtual void ParseRecord(const uint8_t* record, bool fixed);
    // The share of a light of `strength` from direction `toLight` (unit).
    static float Facing(const MeshVertex& point, const Vector3& toLight, int32_t twoSided);
    static void Add(RenderVertex& vertex, float amount);

private:
    // Lists the run of Onward lights after this head for the frame (see
    // OnwardRun in Light.cpp), unless listed already; false when it is too
    // long to list.
    bool ListRun();
    // Marks the lights of the listed run surely out of reach of the object
    // being prepared.
    static void JudgeRun();
    // Prepares the lights of the listed run that may reach the object, after
    // this head, and links their walk.
    void PrepareRun(const Transform* transform);
    // Prepares the run's plain attenuated lights gathered by PrepareRun.
    static void PrepareFlashes(const Transform* transform, int32_t count);
    // Their levels and directions as the preparation gives them, into the
    // batch's arrays, the lights left as they are.
    static void ComputeFlashes(const Transform* transform, int32_t count);
    // Adds the share of `light`, of the kind LoneKindOf gives, to the lone
    // vertex of LightLoneVertex, its full level taken from the palette as
    // its preparation takes it; `objectSpace` as InObjectSpace(transform).
    static void ShineLone(Light& light, uint8_t loneKind, const Transform* transform, bool objectSpace,
                          const MeshVertex& point, RenderVertex& vertex, int32_t twoSided);
    // Whether the preparation reads the run listed for its head, and the
    // place in it of the light the chain prepares next.
    static bool walkListed_;
    static int32_t walkAt_;
    // The canvas palette's shade pivot read by the head, if it has one.
    static bool walkPaletted_;
    static uint32_t walkFullLevel_;
    // Copies the shares of the lights the walk after this head visits, up
    // to the first that shines in a way of its own.
    void BuildPlan() const;
    // The walk after the head, by the plan; the same shares in the same
    // order as passing the vertex on light by light.
    void WalkByPlan(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided, bool alt) const;
    // Counts the links and unlinks of every chain; `reaching` holds only
    // while it is what it was at the light's Prepare.
    static uint64_t chainEdits_;
    uint64_t preparedEdits_ = 0;
    // The full level of the chain's last light as prepared: a walk that
    // need not visit that light clamps to it.
    uint32_t clampLevel_ = 0;
    // The frames begun and whether one is open; the first light after this
    // one that is on, or the last, as found in frame `onwardPass_`.
    static uint64_t passes_;
    static bool drawing_;
    Light* onward_ = nullptr;
    uint64_t onwardPass_ = 0;
    uint64_t onwardEdits_ = 0;

protected:
    // The object the chain is being prepared for, as the lights after the
    // first see it: how deep the preparation is, and whether a light's
    // distance in the space of preparation is bounded below by its world
    // distance from `walkOrigin_`: at least that distance / `walkGrowth_`
    // less `walkSlip_` (the object's matrix and its inverse as stored).
    static int32_t walkDepth_;
    static bool walkBounded_;
    // Set while a light of the run judged within reach by the head is
    // prepared: its own judgement would be the same.
    static bool walkJudged_;
    static Vector3 walkOrigin_;
    static double walkGrowth_;
    static double walkSlip_;
    // Sets the above for the object placed by `transform`.
    static void MeasureWalk(const Transform* transform);
    // Whether a light at world place (x, y, z), its outer range with the
    // margins `reach`, surely leaves the object out of it.
    static bool PastReach(double x, double y, double z, double reach);
    // Set by the kinds whose reach ends at a range from a place in the
    // world (the frame attenuated lights and their spots).
    bool rangeBound_ = false;
    // How the light adds its share to a vertex: by its own LightVertex, or
    // as a vector light or a frame light does, level times the facing toward
    // its prepared direction. Set by those kinds' constructors (a copy made
    // through the base class shines by its own LightVertex).
    enum class Share : uint8_t { kOwn, kVector, kFrame };
    Share share_ = Share::kOwn;
    // Where a walk that has lit the vertex here goes next (see PassOn);
    // null at the end of the chain.
    Light* WalkOnward() const { return preparedEdits_ == chainEdits_ ? reaching : next; }
    static bool WalksAsFrameLight(const Light* light) { return light->share_ == Share::kFrame; }
};

// A directional light.
class VectorLight : public Light {
public:
    explicit VectorLight(const char* fileName = nullptr, const char* name = nullptr);
    explicit VectorLight(const Vector3& direction);
    void Prepare(const Transform* transform) override;
    // Final: a walk by plan adds this share as these would.
    void LightVertex(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) final;
    void LightVertexAlt(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) final;

    // The unit direction toward the light in the space of preparation for
    // `transform`, what Prepare leaves in `prepared`.
    const Vector3& Carried(const Transform* transform);

    Vector3 prepared{};
    Vector3 direction{0.0f, 0.0f, 1.0f};   // unit

protected:
    uint32_t FixedTag() const override;
    uint32_t FloatTag() const override;
    uint32_t RecordBytes() const override;
    uint32_t ColourOffset() const override;
    void ParseRecord(const uint8_t* record, bool fixed) override;

private:
    // The direction as last carried into the space of preparation, and what
    // it was carried from and by: the 3x3 part of the inverse (all that turns
    // a direction), and the math routines.
    struct Carry {
        bool valid = false;
        bool inObject = false;
        float direction[3] = {};
        float by[3][3] = {};
        MathRoutineTable::TransformRoutine transform = nullptr;
        MathRoutineTable::NormalizeRoutine normalize = nullptr;
        Vector3 result{};
    } carry_;
};

// A point light computed once per object: one direction for every vertex.
class FramePointLight : public Light {
public:
    explicit FramePointLight(const char* fileName = nullptr, const char* name = nullptr);
    explicit FramePointLight(const Vector3& position);
    void Prepare(const Transform* transform) override;
    // Final: the walk goes on through the frame lights after this one in a
    // loop of its own, as each of them would shine.
    void LightVertex(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) final;
    void LightVertexAlt(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) final;

    Vector3 prepared{};
    Vector3 position{};

protected:
    // The direction to the light from the object, and its distance.
    float PrepareDirection(const Transform* transform);
    // This light and the frame lights the walk reaches after it shine in
    // turn, then the walk passes on.
    void ShineRun(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided, bool alt);
    // The light's place from the object, in the space of preparation.
    Vector3 Offset(const Transform* transform) const;
    // `prepared` the unit direction along `offset`; gives its length.
    float Aim(const Vector3& offset);
    uint32_t FixedTag() const override;
    uint32_t FloatTag() const override;
    uint32_t RecordBytes() const override;
    uint32_t ColourOffset() const override;
    void ParseRecord(const uint8_t* record, bool fixed) override;
};

class FrameAttenuatedLight : public FramePointLight {
public:
    explicit FrameAttenuatedLight(const char* fileName = nullptr, const char* name = nullptr);
    FrameAttenuatedLight(const Vector3& position, float innerRange, float outerRange);
    void Prepare(const Transform* transform) override;

    float innerRange = 0.0f;
    float outerRange = 4096.0f;

protected:
    // The share the distance takes from a level.
    float DistanceLoss(float strength, float distance) const;
    // Whether a light at `offset` is surely at or past the outer range.
    bool Beyond(const Vector3& offset) const;
    // The same from its world place alone, for the lights after the first.
    bool SurelyBeyond() const;
    // The outer range with the margins for the rounding of the offset.
    double Reach() const;
    // Prepares the levels with the light's direction and sets the distance
    // to it; false, with the levels 0 where the light does not reach (out
    // of range, or at the light itself with no direction), when nothing is
    // left to take from them. An off light skips the direction.
    bool PrepareInReach(const Transform* transform, float* distance);
    friend class Light;
    uint32_t FixedTag() const override;
    uint32_t FloatTag() const override;
    void ParseRecord(const uint8_t* record, bool fixed) override;
};

class FrameSpotLight : public FrameAttenuatedLight {
public:
    explicit FrameSpotLight(const char* fileName = nullptr, const char* name = nullptr);
    FrameSpotLight(const Vector3& position, float innerRange, float outerRange, const Vector3& spotDirection,
                   float innerAngle, float outerAngle);
    void Prepare(const Transform* transform) override;

    Vector3 spotDirection{0.0f, 0.0f, 1.0f};
    float innerAngle = 44.0f;
    float outerAngle = 45.0f;

protected:
    uint32_t FixedTag() const override;
    uint32_t FloatTag() const override;
    uint32_t RecordBytes() const override;
    uint32_t ColourOffset() const override;
    void ParseRecord(const uint8_t* record, bool fixed) override;
};

// A point light computed per vertex.
class PointLight : public Light {
public:
    explicit PointLight(const char* fileName = nullptr, const char* name = nullptr);
    explicit PointLight(const Vector3& position);
    void Prepare(const Transform* transform) override;
    void LightVertex(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) override;
    void LightVertexAlt(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) override;

    Vector3 prepared{};
    Vector3 position{};

protected:
    void PreparePosition(const Transform* transform);
    // Level of this light at a vertex (before facing); the unit direction
    // to the light in `toLight`. False when the light adds nothing there.
    virtual bool Reach(const MeshVertex& point, bool alt, float* strength, Vector3* toLight) const;
    void Shine(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided, bool alt);
    uint32_t FixedTag() const override;
    uint32_t FloatTag() const override;
    uint32_t RecordBytes() const override;
    uint32_t ColourOffset() const override;
    void ParseRecord(const uint8_t* record, bool fixed) override;
};

class AttenuatedLight : public PointLight {
public:
    explicit AttenuatedLight(const char* fileName = nullptr, const char* name = nullptr);
    AttenuatedLight(const Vector3& position, float innerRange, float outerRange);
    void Prepare(const Transform* transform) override;

    float unused[2] = {};
    float rangeSlope = 0.0f;
    float rangeSlopeAlt = 0.0f;
    float innerRange = 0.0f;
    float outerRange = 4096.0f;

protected:
    bool Reach(const MeshVertex& point, bool alt, float* strength, Vector3* toLight) const override;
    uint32_t FixedTag() const override;
    uint32_t FloatTag() const override;
    void ParseRecord(const uint8_t* record, bool fixed) override;
};

class SpotLight : public AttenuatedLight {
public:
    explicit SpotLight(const char* fileName = nullptr, const char* name = nullptr);
    SpotLight(const Vector3& position, float innerRange, float outerRange, const Vector3& spotDirection,
              float innerAngle, float outerAngle);
    void Prepare(const Transform* transform) override;

    Vector3 preparedSpot{};
    float cosInner = 0.0f;
    float cosOuter = 0.0f;
    float coneSlope = 0.0f;
    float coneSlopeAlt = 0.0f;
    Vector3 spotDirection{0.0f, 0.0f, 1.0f};
    float innerAngle = 44.0f;
    float outerAngle = 45.0f;

protected:
    bool Reach(const MeshVertex& point, bool alt, float* strength, Vector3* toLight) const override;
    uint32_t FixedTag() const override;
    uint32_t FloatTag() const override;
    uint32_t RecordBytes() const override;
    uint32_t ColourOffset() const override;
    void ParseRecord(const uint8_t* record, bool fixed) override;
};
