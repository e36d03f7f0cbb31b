#pragma once
#include <cstddef>
#include <cstdint>

#include "display/ScreenVertex.h"

class Arena;
class Canvas;
class Material;
class Palette;

// A primitive drawn at the end of the frame in painter's order: built in the
// world context's primitive arena and inserted into a tree ordered by its
// farthest depth, drawn far to near by the flush, then thrown away with the
// arena. No destructor ever runs.
class SortedPrimitive {
public:
    // Kind codes; the low digit of a polygon's code picks its fill.
    static constexpr uint16_t kPoint = 0x100;
    static constexpr uint16_t kLine = 0x200;
    static constexpr uint16_t kPolygonFlat = 0x300;
    static constexpr uint16_t kPolygonShaded = 0x301;
    static constexpr uint16_t kPolygonShadedAlt = 0x302;
    static constexpr uint16_t kTranslucentFlat = 0x310;
    static constexpr uint16_t kTranslucentShaded = 0x311;
    static constexpr uint16_t kTranslucentShadedAlt = 0x312;
    static constexpr uint16_t kTextured = 0x320;          // + 0 flat, 1 perspective, 2 shaded, 3 shaded perspective
    static constexpr uint16_t kTexturedTranslucent = 0x330;

    // A point of the screen: x, y and depth.
    struct Point {
        float x, y, depth;
    };

    // Links this primitive into the depth tree.
    void Insert();
    virtual void Draw(Canvas& canvas) = 0;
    virtual Point GetCentre() const = 0;
    virtual bool IsBehind(const Point& other) const = 0;

    // The extent of the screen vertices: depth, x and y. The tree reads zMax.
    float zMax = 0.0f, zMin = 0.0f, xMax = 0.0f, xMin = 0.0f, yMax = 0.0f, yMin = 0.0f;
    uint16_t kind = 0;
    uint16_t vertexCount = 0;
    // The canvas's palette when the primitive was made: effects draw under
    // their group's palette, which is no longer the canvas's at the flush.
    Palette* palette = nullptr;
    SortedPrimitive* nearer = nullptr;   // zMax less than or equal to this one's
    SortedPrimitive* farther = nullptr;  // zMax greater

protected:
    SortedPrimitive(uint16_t kind, const ScreenVertex* vertices, int32_t count, uint32_t recordBytes);
    ~SortedPrimitive() = default;

private:
    // The keys a walk from the root brings to a place of the tree: above
    // `low` when `hasLow`, at or below `high` when `hasHigh`. Judged as the
    // walk judges, a NaN key is admitted nowhere (the walk still places it).
    struct Slot {
        float low = 0.0f, high = 0.0f;
        bool hasLow = false, hasHigh = false;
        bool Admits(float key) const { return (!hasLow || key > low) && (!hasHigh || key <= high); }
    };
    Slot NearerSlot() const;
    Slot FartherSlot() const;
    // Links this primitive under `parent` on the near side or the far.
    void HangUnder(SortedPrimitive* parent, bool nearerSide, SortedPrimitive* root);
    // Where this primitive hangs: its slot and its steps from the root.
    Slot slot_;
    uint32_t steps_ = 0;
};

// One vertex, drawn with Canvas::PlotPixel.
class SortedPoint final : public SortedPrimitive {
public:
    static SortedPoint* Create(Arena& arena, const ScreenVertex& vertex);
    void Draw(Canvas& canvas) override;
    Point GetCentre() const override;
    bool IsBehind(const Point& other) const override;

    ScreenVertex vertex;

private:
    explicit SortedPoint(const ScreenVertex& vertex);
};

// A line, drawn with Canvas::DrawLineClipped.
class SortedLine final : public SortedPrimitive {
public:
    static SortedLine* Create(Arena& arena, const ScreenVertex& a, const ScreenVertex& b);
    void Draw(Canvas& canvas) override;
    Point GetCentre() const override;
    bool IsBehind(const Point& other) const override;

    ScreenVertex a;
    ScreenVertex b;

private:
    SortedLine(const ScreenVertex& a, const ScreenVertex& b);
};

// A flat or shaded polygon, opaque or translucent, of count vertices that
// follow the record.
class SortedPolygon final : public SortedPrimitive {
public:
    // kind kPolygon* or kTranslucent*; level 0-255 for the translucent ones.
    static SortedPolygon* Create(Arena& arena, uint16_t kind, int32_t count, const ScreenVertex* vertices,
                                 uint32_t level = 0);
    void Draw(Canvas& canvas) override;
    Point GetCentre() const override;
    bool IsBehind(const Point& other) const override;

    uint32_t level = 0;

private:
    SortedPolygon(uint16_t kind, int32_t count, const ScreenVertex* vertices, uint32_t level, uint32_t recordBytes);
    ScreenVertex* vertices_;
};

// A textured polygon, opaque (0x320-0x323) or translucent (0x330-0x333):
// drawn with its material locked, the material's image as the texture.
class SortedTexturedPolygon final : public SortedPrimitive {
public:
    static SortedTexturedPolygon* Create(Arena& arena, uint16_t kind, int32_t count, const ScreenVertex* vertices,
                                         Material* material, uint32_t level = 0);
    void Draw(Canvas& canvas) override;
    Point GetCentre() const override;
    bool IsBehind(const Point& other) const override;

    Material* material = nullptr;
    uint32_t level = 0;

private:
    SortedTexturedPolygon(uint16_t kind, int32_t count, const ScreenVertex* vertices, Material* material,
                          uint32_t level, uint32_t recordBytes);
    ScreenVertex* vertices_;
};

// Bytes of primitives built this frame, and the deepest insertion path of
// this frame in tree steps.
extern uint32_t g_primBytesUsed;
extern uint32_t g_primTreeSteps;

// Draws the tree far to near (or near to far) through the current view's
// camera's canvas, then empties the tree and the arena, raises the world
// context's peaks and resets the frame counters.
void FlushSortedPrimitives();
void FlushSortedPrimitivesNearFirst();
// The same clean-up without drawing.
void DiscardSortedPrimitives();
