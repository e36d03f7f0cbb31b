#include "scene/SortedPrimitive.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "display/Canvas.h"
#include "engine/Arena.h"
#include "engine/MathRoutineTable.h"
#include "engine/WorldContext.h"
#include "display/PixelImage.h"
#include "scene/Camera.h"
#include "scene/Material.h"
#include "scene/ViewContext.h"

uint32_t g_primBytesUsed = 0;
uint32_t g_primTreeSteps = 0;

namespace {

// The documented sizes of the records, counted whatever the layout here.
constexpr uint32_t kPointBytes = 72;
constexpr uint32_t kLineBytes = 104;
constexpr uint32_t kPolygonBytes = 40;
constexpr uint32_t kTranslucentBytes = 44;
constexpr uint32_t kTexturedBytes = 44;
constexpr uint32_t kTexturedTranslucentBytes = 48;
constexpr uint32_t kVertexBytes = 32;

// The arena does not align what it hands out, and the record before may
// have ended anywhere.
constexpr uintptr_t kAlignment = 16;

void* TakeAligned(Arena& arena, size_t bytes) {
    void* const raw = arena.AllocInline(bytes + kAlignment - 1);
    if (raw == nullptr) return nullptr;
    return reinterpret_cast<void*>((reinterpret_cast<uintptr_t>(raw) + kAlignment - 1) & ~(kAlignment - 1));
}

Arena* PrimitiveArena() { return g_worldContext != nullptr ? g_worldContext->arena2 : nullptr; }

// The primitive inserted last and the root of its tree, for the next
// insertion's short cut; forgotten with the tree.
SortedPrimitive* g_lastInserted = nullptr;
SortedPrimitive* g_lastRoot = nullptr;

// The tree's primitives in its order (ascending depth, a newcomer before
// the equal ones already there), kept in short sorted runs: a crowded frame's
// tree is tens of steps deep, and a walk down it from the root mispredicts
// about every other step. The in-order neighbours of a newcomer, found here in
// two short searches, give the very place that walk would reach: under its
// successor on the near side when that is free, else under its predecessor
// on the far side. It holds the tree grown from a null root by Insert in
// this world context; a tree it missed, or a depth that is not a number
// (which orders nothing), is walked as before.
class TreeOrder {
public:
    void Start(SortedPrimitive* first) {
        context_ = g_worldContext;
        root_ = first;
        used_ = 0;
        runs_.clear();
        tops_.clear();
        runs_.push_back(TakeRun());
        Run& run = pool_[size_t(runs_.back())];
        run.count = 1;
        run.keys[0] = first->zMax;
        run.items[0] = first;
        tops_.push_back(first->zMax);
        lastAt_ = 0;
        lastSlot_ = 0;
        if (std::isnan(first->zMax)) Forget();
    }
    bool Holds(const SortedPrimitive* root) const { return root_ == root && context_ == g_worldContext; }
    void Forget() { root_ = nullptr; }
    // Puts the primitive in its place; its neighbours there, null for none.
    void Place(SortedPrimitive* primitive, SortedPrimitive** before, SortedPrimitive** after) {
        const float key = primitive->zMax;
        size_t at = size_t(std::lower_bound(tops_.begin(), tops_.end(), key) - tops_.begin());
        int32_t slot = 0;
        if (at == tops_.size()) {
            at = tops_.size() - 1;
            const Run& run = pool_[size_t(runs_[at])];
            slot = run.count;
            *before = run.items[run.count - 1];
            *after = nullptr;
        } else {
            const Run& run = pool_[size_t(runs_[at])];
            slot = int32_t(std::lower_bound(run.keys, run.keys + run.count, key) - run.keys);
            *after = run.items[slot];
            if (slot > 0) {
                *before = run.items[slot - 1];
            } else if (at > 0) {
                const Run& previous = pool_[size_t(runs_[at - 1])];
                *before = previous.items[previous.count - 1];
            } else {
                *before = nullptr;
            }
        }
        PutAt(at, slot, primitive);
    }
    // Puts the primitive right before (or after) the one placed last, as
    // the tree hangs it under that one when it is a leaf still.
    bool PlaceBesideLast(SortedPrimitive* primitive, const SortedPrimitive* last, bool before) {
        if (pool_[size_t(runs_[lastAt_])].items[lastSlot_] != last) return false;
        PutAt(lastAt_, lastSlot_ + (before ? 0 : 1), primitive);
        return true;
    }

private:
    static constexpr int32_t kRun = 64;
    struct Run {
        int32_t count;
        float keys[kRun];
        SortedPrimitive* items[kRun];
    };
    void PutAt(size_t at, int32_t slot, SortedPrimitive* primitive) {
        if (pool_[size_t(runs_[at])].count == kRun) {
            // Split in halves; the second follows the first.
            const int32_t second = TakeRun();
            Run& full = pool_[size_t(runs_[at])];
            Run& half = pool_[size_t(second)];
            half.count = kRun / 2;
            std::copy(full.keys + kRun / 2, full.keys + kRun, half.keys);
            std::copy(full.items + kRun / 2, full.items + kRun, half.items);
            full.count = kRun / 2;
            tops_[at] = full.keys[kRun / 2 - 1];
            runs_.insert(runs_.begin() + std::ptrdiff_t(at) + 1, second);
            tops_.insert(tops_.begin() + std::ptrdiff_t(at) + 1, half.keys[kRun / 2 - 1]);
            if (slot > kRun / 2) {
                ++at;
                slot -= kRun / 2;
            }
        }
        Run& run = pool_[size_t(runs_[at])];
        std::copy_backward(run.keys + slot, run.keys + run.count, run.keys + run.count + 1);
        std::copy_backward(run.items + slot, run.items + run.count, run.items + run.count + 1);
        run.keys[slot] = primitive->zMax;
        run.items[slot] = primitive;
        ++run.count;
        tops_[at] = run.keys[run.count - 1];
        lastAt_ = at;
        lastSlot_ = slot;
    }
    int32_t TakeRun() {
        if (used_ == pool_.size()) pool_.emplace_back();
        pool_[used_].count = 0;
        return int32_t(used_++);
    }

    const WorldContext* context_ = nullptr;
    const SortedPrimitive* root_ = nullptr;
    std::vector<Run> pool_;       // kept from frame to frame
    size_t used_ = 0;
    std::vector<int32_t> runs_;   // the runs in order, as places in the pool
    std::vector<float> tops_;     // each run's last key
    size_t lastAt_ = 0;           // where the last one placed stands
    int32_t lastSlot_ = 0;
};
TreeOrder g_treeOrder;

SortedPrimitive*& Root() {
    static SortedPrimitive* none = nullptr;
    if (g_worldContext == nullptr) return none;
    return reinterpret_cast<SortedPrimitive*&>(g_worldContext->depthTreeRoot);
}

SortedPrimitive::Point PointOf(const ScreenVertex& v) { return {v.x, v.y, v.depth}; }

// Normal of the plane through the first three vertices; true when `other`
// lies on its negative side.
bool BehindPlane(const ScreenVertex* v, int32_t count, const SortedPrimitive::Point& other) {
    if (count < 3) return v[0].depth < other.depth;
    const Vector3 e1{v[1].x - v[0].x, v[1].y - v[0].y, v[1].depth - v[0].depth};
    const Vector3 e2{v[2].x - v[0].x, v[2].y - v[0].y, v[2].depth - v[0].depth};
    Vector3 n;
    g_mathRoutineTable.crossProduct(&e1, &e2, &n);
    return n.x * (other.x - v[0].x) + n.y * (other.y - v[0].y) + n.z * (other.depth - v[0].depth) < 0.0f;
}

Canvas* CurrentCanvas() {
    if (g_viewContext == nullptr || g_viewContext->camera == nullptr) return nullptr;
    return g_viewContext->camera->canvas;
}

// The tree is thrown away after the flush, so the walk may take it apart:
// each node's `first` subtree is rotated up until it is empty, then the node
// is drawn and the walk goes on with its `second` subtree. No recursion and
// no stack, however unbalanced the tree (rising depths make it a list).
template <SortedPrimitive* SortedPrimitive::*kFirst, SortedPrimitive* SortedPrimitive::*kSecond>
void DrawInOrder(SortedPrimitive* node, Canvas* canvas) {
    while (node != nullptr) {
        SortedPrimitive* const first = node->*kFirst;
        if (first != nullptr) {
            node->*kFirst = first->*kSecond;
            first->*kSecond = node;
            node = first;
            continue;
        }
        SortedPrimitive* const following = node->*kSecond;
        if (canvas != nullptr) {
            Palette* const kept = canvas->palette;
            if (node->palette != nullptr) canvas->palette = node->palette;
            node->Draw(*canvas);
            canvas->palette = kept;
        }
        node = following;
    }
}

void EndFlush() {
    // The blocks stay: the next frame's primitives need as many.
    if (Arena* const arena = PrimitiveArena()) arena->Reset();
    Root() = nullptr;
    g_lastInserted = g_lastRoot = nullptr;
    if (g_worldContext != nullptr) {
        g_worldContext->peakTreeDepth = std::max(g_worldContext->peakTreeDepth, g_primTreeSteps);
        g_worldContext->peakPrimitiveBytes = std::max(g_worldContext->peakPrimitiveBytes, g_primBytesUsed);
    }
    g_primTreeSteps = 0;
    g_primBytesUsed = 0;
}

}  // namespace

SortedPrimitive::SortedPrimitive(uint16_t kindCode, const ScreenVertex* vertices, int32_t count,
                                 uint32_t recordBytes)
    : kind(kindCode) {
    g_primBytesUsed += recordBytes;
    if (const Canvas* const canvas = CurrentCanvas()) palette = canvas->palette;
    zMax = zMin = vertices[0].depth;
    xMax = xMin = vertices[0].x;
    yMax = yMin = vertices[0].y;
    for (int32_t i = 1; i < count; ++i) {
        zMax = std::max(zMax, vertices[i].depth);
        zMin = std::min(zMin, vertices[i].depth);
        xMax = std::max(xMax, vertices[i].x);
        xMin = std::min(xMin, vertices[i].x);
        yMax = std::max(yMax, vertices[i].y);
        yMin = std::min(yMin, vertices[i].y);
    }
}

SortedPrimitive::Slot SortedPrimitive::NearerSlot() const { return {slot_.low, zMax, slot_.hasLow, true}; }

SortedPrimitive::Slot SortedPrimitive::FartherSlot() const {
    // Past a NaN every walk goes farther: it bounds nothing.
    if (std::isnan(zMax)) return slot_;
    return {zMax, slot_.high, true, slot_.hasHigh};
}

void SortedPrimitive::Insert() {
    SortedPrimitive*& root = Root();
    if (root == nullptr) {
        root = this;
        slot_ = Slot{};
        steps_ = 0;
        g_lastInserted = this;
        g_lastRoot = root;
        g_treeOrder.Start(this);
        return;
    }
    const bool ordered = g_treeOrder.Holds(root) && !std::isnan(zMax);
    if (!ordered) g_treeOrder.Forget();
    // Primitives come in runs of like depth (a model's faces, a stream's
    // sprites): most hang right under the one inserted before, which is a
    // leaf still. Taking its slot there gives the very tree the walk from
    // the root would build, without the walk down a deep, lopsided tree.
    SortedPrimitive* const last = g_lastRoot == root ? g_lastInserted : nullptr;
    if (last != nullptr && last->nearer == nullptr && last->farther == nullptr) {
        const bool goNearer = zMax <= last->zMax;
        const Slot child = goNearer ? last->NearerSlot() : last->FartherSlot();
        if (child.Admits(zMax) && (!ordered || g_treeOrder.PlaceBesideLast(this, last, goNearer))) {
            return HangUnder(last, goNearer, root);
        }
    }
    if (ordered) {
        SortedPrimitive* before = nullptr;
        SortedPrimitive* after = nullptr;
        g_treeOrder.Place(this, &before, &after);
        const bool nearer = after != nullptr && after->nearer == nullptr;
        return HangUnder(nearer ? after : before, nearer, root);
    }
    // Ties go nearer, so that of equal depths the first inserted draws first.
    for (SortedPrimitive* node = root;;) {
        const bool goNearer = zMax <= node->zMax;
        SortedPrimitive* const child = goNearer ? node->nearer : node->farther;
        if (child == nullptr) return HangUnder(node, goNearer, root);
        node = child;
    }
}

// The slot under a parent is the parent's own, narrowed by its depth on the
// side taken: what the walk from the root gathers on its way there.
void SortedPrimitive::HangUnder(SortedPrimitive* parent, bool nearerSide, SortedPrimitive* root) {
    (nearerSide ? parent->nearer : parent->farther) = this;
    slot_ = nearerSide ? parent->NearerSlot() : parent->FartherSlot();
    steps_ = parent->steps_ + 1;
    g_lastInserted = this;
    g_lastRoot = root;
    g_primTreeSteps = std::max(g_primTreeSteps, steps_);
}

// --- Point -------------------------------------------------------------------

SortedPoint::SortedPoint(const ScreenVertex& v) : SortedPrimitive(kPoint, &v, 1, kPointBytes), vertex(v) {}

SortedPoint* SortedPoint::Create(Arena& arena, const ScreenVertex& v) {
    void* const memory = TakeAligned(arena, sizeof(SortedPoint));
    return memory != nullptr ? ::new (memory) SortedPoint(v) : nullptr;
}

void SortedPoint::Draw(Canvas& canvas) { canvas.PlotPixel(&vertex, nullptr); }

SortedPrimitive::Point SortedPoint::GetCentre() const { return PointOf(vertex); }

bool SortedPoint::IsBehind(const Point& other) const { return vertex.depth < other.depth; }

// --- Line --------------------------------------------------------------------

namespace {

struct Pair {
    ScreenVertex v[2];
};

}  // namespace

SortedLine::SortedLine(const ScreenVertex& from, const ScreenVertex& to)
    : SortedPrimitive(kLine, Pair{{from, to}}.v, 2, kLineBytes), a(from), b(to) {}

SortedLine* SortedLine::Create(Arena& arena, const ScreenVertex& from, const ScreenVertex& to) {
    void* const memory = TakeAligned(arena, sizeof(SortedLine));
    return memory != nullptr ? ::new (memory) SortedLine(from, to) : nullptr;
}

void SortedLine::Draw(Canvas& canvas) { canvas.DrawLineClipped(&a, &b, nullptr, nullptr); }

SortedPrimitive::Point SortedLine::GetCentre() const {
    return {a.x - (b.x - a.x) * -0.5f, a.y - (b.y - a.y) * -0.5f, a.depth - (b.depth - a.depth) * -0.5f};
}

bool SortedLine::IsBehind(const Point& other) const { return GetCentre().depth < other.depth; }

// --- Polygons ----------------------------------------------------------------

SortedPolygon::SortedPolygon(uint16_t kindCode, int32_t count, const ScreenVertex* vertices, uint32_t alpha,
                             uint32_t recordBytes)
    : SortedPrimitive(kindCode, vertices, count, recordBytes), level(alpha) {
    vertexCount = uint16_t(count);
    vertices_ = reinterpret_cast<ScreenVertex*>(this + 1);
    std::copy(vertices, vertices + count, vertices_);
}

SortedPolygon* SortedPolygon::Create(Arena& arena, uint16_t kindCode, int32_t count, const ScreenVertex* vertices,
                                     uint32_t alpha) {
    if (vertices == nullptr || count < 1 || count > 0xFFFF) return nullptr;
    const bool translucent = (kindCode & 0xFF0) == (kTranslucentFlat & 0xFF0);
    const uint32_t recordBytes = (translucent ? kTranslucentBytes : kPolygonBytes) + kVertexBytes * uint32_t(count);
    static_assert(sizeof(SortedPolygon) % alignof(ScreenVertex) == 0);
    void* const memory = TakeAligned(arena, sizeof(SortedPolygon) + sizeof(ScreenVertex) * size_t(count));
    return memory != nullptr ? ::new (memory) SortedPolygon(kindCode, count, vertices, alpha, recordBytes) : nullptr;
}

void SortedPolygon::Draw(Canvas& canvas) {
    const int32_t n = vertexCount;
    switch (kind) {
        case kPolygonFlat: canvas.FillPolygonFlat(n, vertices_); break;
        case kPolygonShaded: canvas.FillPolygonShaded(n, vertices_); break;
        case kPolygonShadedAlt: canvas.FillPolygonShadedAlt(n, vertices_); break;
        case kTranslucentFlat: canvas.FillPolygonFlatAlpha(n, vertices_, level); break;
        case kTranslucentShaded: canvas.FillPolygonShadedAlpha(n, vertices_, level); break;
        case kTranslucentShadedAlt: canvas.FillPolygonShadedAltAlpha(n, vertices_, level); break;
        default: break;   // a code outside the kind's range draws nothing
    }
}

SortedPrimitive::Point SortedPolygon::GetCentre() const { return PointOf(vertices_[0]); }

bool SortedPolygon::IsBehind(const Point& other) const { return BehindPlane(vertices_, vertexCount, other); }

SortedTexturedPolygon::SortedTexturedPolygon(uint16_t kindCode, int32_t count, const ScreenVertex* vertices,
                                             Material* surface, uint32_t alpha, uint32_t recordBytes)
    : SortedPrimitive(kindCode, vertices, count, recordBytes), material(surface), level(alpha) {
    vertexCount = uint16_t(count);
    vertices_ = reinterpret_cast<ScreenVertex*>(this + 1);
    std::copy(vertices, vertices + count, vertices_);
}

SortedTexturedPolygon* SortedTexturedPolygon::Create(Arena& arena, uint16_t kindCode, int32_t count,
                                                     const ScreenVertex* vertices, Material* surface, uint32_t alpha) {
    if (vertices == nullptr || count < 1 || count > 0xFFFF) return nullptr;
    const bool translucent = (kindCode & 0xFF0) == kTexturedTranslucent;
    const uint32_t recordBytes =
        (translucent ? kTexturedTranslucentBytes : kTexturedBytes) + kVertexBytes * uint32_t(count);
    static_assert(sizeof(SortedTexturedPolygon) % alignof(ScreenVertex) == 0);
    void* const memory = TakeAligned(arena, sizeof(SortedTexturedPolygon) + sizeof(ScreenVertex) * size_t(count));
    return memory != nullptr
               ? ::new (memory) SortedTexturedPolygon(kindCode, count, vertices, surface, alpha, recordBytes)
               : nullptr;
}

void SortedTexturedPolygon::Draw(Canvas& canvas) {
    if (material == nullptr) return;
    material->Lock();
    PixelImage* const texture = material->image;
    const int32_t n = vertexCount;
    switch (kind) {
        case kTextured: canvas.FillPolygonTextured(n, vertices_, texture); break;
        case kTextured + 1: canvas.FillPolygonTexturedPersp(n, vertices_, texture); break;
        case kTextured + 2: canvas.FillPolygonTexturedShaded(n, vertices_, texture); break;
        case kTextured + 3: canvas.FillPolygonTexturedShadedPersp(n, vertices_, texture); break;
        case kTexturedTranslucent: canvas.FillPolygonTexturedAlpha(n, vertices_, texture, level); break;
        case kTexturedTranslucent + 1: canvas.FillPolygonTexturedPerspAlpha(n, vertices_, texture, level); break;
        case kTexturedTranslucent + 2: canvas.FillPolygonTexturedShadedAlpha(n, vertices_, texture, level); break;
        case kTexturedTranslucent + 3:
            canvas.FillPolygonTexturedShadedPerspAlpha(n, vertices_, texture, level);
            break;
        default: break;   // a code outside the range still locks and unlocks its material
    }
    material->Unlock();
}

SortedPrimitive::Point SortedTexturedPolygon::GetCentre() const { return PointOf(vertices_[0]); }

bool SortedTexturedPolygon::IsBehind(const Point& other) const { return BehindPlane(vertices_, vertexCount, other); }

// --- Flushes -----------------------------------------------------------------

void FlushSortedPrimitives() {
    DrawInOrder<&SortedPrimitive::farther, &SortedPrimitive::nearer>(Root(), CurrentCanvas());
    EndFlush();
}

void FlushSortedPrimitivesNearFirst() {
    DrawInOrder<&SortedPrimitive::nearer, &SortedPrimitive::farther>(Root(), CurrentCanvas());
    EndFlush();
}

void DiscardSortedPrimitives() { EndFlush(); }
