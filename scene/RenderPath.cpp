#include "scene/RenderPath.h"

#include <algorithm>
#include <cmath>

#include "display/Canvas.h"
#include "display/Palette.h"
#include "engine/NamedObject.h"
#include "engine/Saturate.h"
#include "engine/WorldContext.h"
#include "scene/Camera.h"
#include "scene/FaceRecord.h"
#include "scene/Material.h"
#include "scene/PolygonClip.h"
#include "scene/SortedPrimitive.h"
#include "scene/ViewContext.h"

ScreenVertex g_primScratch{};

int32_t CanvasFullLevel(const Canvas& canvas) {
    if (canvas.palette == nullptr || canvas.palette->Shades() == nullptr) return 0;
    return int32_t(canvas.palette->Shades()->pivot);
}

namespace {

constexpr uint32_t kObjectDrawn = 0x100;   // the object's flag: drawn this frame

// The path's fixed scratch: it is not re-entrant, as only the game thread draws.
RenderVertex g_clipIn[kMaxClipVertices];
RenderVertex g_clipOut[kMaxClipVertices];
ScreenVertex g_screen[kMaxClipVertices];
ScreenVertex g_facePlaces[3];   // a face's corners as FaceJudge tells them to the canvas

// Which polygon operation a face takes.
struct Fill {
    bool filled = false;
    bool textured = false;
    bool translucent = false;
    uint32_t level = 0;
    int32_t variant = 0;   // 0 flat, 1 shaded, 2 shaded alternate; textured: 0 flat, 1 persp, 2 shaded, 3 shaded persp
    Material* material = nullptr;
};

// Whether a face drawn by these flags is filled; one that is not may draw
// its edges.
bool Filled(uint32_t flags, uint32_t drawFlags) {
    const bool fixedColour = (drawFlags & kDrawFixedColour) != 0;
    return (flags & (fixedColour ? FaceRecord::kFilled : FaceRecord::kFilled | FaceRecord::kGouraud)) != 0;
}

Fill Choose(uint32_t flags, const FaceRecord& face, uint32_t drawFlags) {
    Fill fill;
    const bool fixedColour = (drawFlags & kDrawFixedColour) != 0;
    fill.filled = Filled(flags, drawFlags);
    if (!fill.filled) return fill;
    if ((drawFlags & kDrawFixedLevel) != 0) {
        fill.translucent = true;
        fill.level = g_viewContext != nullptr ? g_viewContext->fixedLevel & 0xFF : 255;
    } else if ((flags & FaceRecord::kTranslucent) != 0) {
        fill.translucent = true;
        fill.level = face.translucency[0];
    }
    if (fixedColour) return fill;   // flat, untextured
    const bool gouraud = (flags & FaceRecord::kGouraud) != 0;
    const bool second = (flags & FaceRecord::kSecondOperation) != 0;
    // A material number of 0 or past the table, or no material there, draws
    // the face untextured.
    if ((flags & FaceRecord::kTextured) != 0 && g_viewContext != nullptr && face.material != 0 &&
        face.material <= g_viewContext->materialCount && g_viewContext->materials != nullptr) {
        fill.material = g_viewContext->materials[face.material - 1];
        fill.textured = fill.material != nullptr;
    }
    if (fill.textured) {
        fill.variant = (gouraud ? 2 : 0) + (second ? 1 : 0);
    } else if (gouraud) {
        fill.variant = second ? 2 : 1;
    }
    return fill;
}

void Call(Canvas& canvas, const Fill& fill, int32_t n, const ScreenVertex* v, PixelImage* texture) {
    const uint32_t level = fill.level;
    if (fill.textured) {
        switch (fill.variant + (fill.translucent ? 4 : 0)) {
            case 0: canvas.FillPolygonTextured(n, v, texture); break;
            case 1: canvas.FillPolygonTexturedPersp(n, v, texture); break;
            case 2: canvas.FillPolygonTexturedShaded(n, v, texture); break;
            case 3: canvas.FillPolygonTexturedShadedPersp(n, v, texture); break;
            case 4: canvas.FillPolygonTexturedAlpha(n, v, texture, level); break;
            case 5: canvas.FillPolygonTexturedPerspAlpha(n, v, texture, level); break;
            case 6: canvas.FillPolygonTexturedShadedAlpha(n, v, texture, level); break;
            default: canvas.FillPolygonTexturedShadedPerspAlpha(n, v, texture, level); break;
        }
        return;
    }
    switch (fill.variant + (fill.translucent ? 3 : 0)) {
        case 0: canvas.FillPolygonFlat(n, v); break;
        case 1: canvas.FillPolygonShaded(n, v); break;
        case 2: canvas.FillPolygonShadedAlt(n, v); break;
        case 3: canvas.FillPolygonFlatAlpha(n, v, level); break;
        case 4: canvas.FillPolygonShadedAlpha(n, v, level); break;
        default: canvas.FillPolygonShadedAltAlpha(n, v, level); break;
    }
}

void MarkDrawn() {
    if (g_viewContext != nullptr && g_viewContext->object != nullptr) g_viewContext->object->flags |= kObjectDrawn;
}

// The emitters' projection: truncated toward zero.
void ProjectPoint(const Camera& camera, const Canvas& canvas, ScreenVertex& p, uint32_t drawFlags) {
    const bool orthographic = (camera.flags & Camera::kFlagOrthographic) != 0;
    const float z = p.depth;
    const float x = orthographic ? camera.scaleX * p.x : camera.scaleX * p.x / z;
    const float y = orthographic ? camera.scaleY * p.y : camera.scaleY * p.y / z;
    p.x = float(SaturateToInt32(x) + (canvas.width >> 1));
    p.y = float((canvas.height >> 1) - SaturateToInt32(y));
    p.depth = (drawFlags & kDrawFarDepth) != 0 ? kFarDepth : z * camera.depthScale;
}

bool OutsidePoint(const Camera& camera, const ScreenVertex& p) {
    const float z = p.depth;
    if (z > camera.farZ || z < camera.nearZ) return true;
    const bool orthographic = (camera.flags & Camera::kFlagOrthographic) != 0;
    const float xLimit = orthographic ? camera.halfWidth - 1.0f : camera.halfWidth * z - 1.0f;
    const float yLimit = orthographic ? camera.halfHeight - 1.0f : camera.halfHeight * z - 1.0f;
    return std::fabs(p.x) > xLimit || std::fabs(p.y) > yLimit;
}

Camera* CurrentCamera() { return g_viewContext != nullptr ? g_viewContext->camera : nullptr; }

// Whether the view has all that DrawFace draws a face from.
bool CanDrawFaces(const ViewContext* view) {
    return view != nullptr && view->camera != nullptr && view->camera->canvas != nullptr && view->faces != nullptr &&
           view->vertices != nullptr && view->vertexStates != nullptr;
}

// The flags a face is drawn by: the object's render mask and the camera's
// switches, as far as the face has them.
uint32_t AllowedFaceFlags(const ViewContext& view, uint32_t drawFlags) {
    const Camera& camera = *view.camera;
    const uint16_t mask = view.object != nullptr ? view.object->renderMask : NamedObject::kDefaultRenderMask;
    uint32_t flags = (uint32_t(mask) & camera.flags) | ((drawFlags & kDrawAllowTexture) != 0 ? 0x200u : 0u);
    if ((camera.flags & Camera::kFlagOrthographic) != 0) flags &= ~FaceRecord::kSecondOperation;
    return flags;
}

uint32_t DrawnFaceFlags(const ViewContext& view, const FaceRecord& face, uint32_t drawFlags) {
    return AllowedFaceFlags(view, drawFlags) & face.flags;
}

// floor, inline: the library's is a call on the base instruction set. Past
// 2^23 every float is whole, and NaN falls through unchanged.
float Floor(float value) {
    if (!(std::fabs(value) < 8388608.0f)) return value;
    const float whole = float(int32_t(value));
    return whole > value ? whole - 1.0f : whole;
}

void ProjectOnce(const Camera& camera, RenderVertex& v, uint32_t& state);

// A vertex's screen place, worked out once a frame: the test inline, as
// most corners a face asks for are shared with faces asked before.
inline void Project(const Camera& camera, RenderVertex& v, uint32_t& state) {
    if ((state & ViewContext::kProjected) == 0) ProjectOnce(camera, v, state);
}

void ProjectOnce(const Camera& camera, RenderVertex& v, uint32_t& state) {
    state |= ViewContext::kProjected;
    const Canvas& canvas = *camera.canvas;
    const bool orthographic = (camera.flags & Camera::kFlagOrthographic) != 0;
    const float halfW = float(canvas.width >> 1), halfH = float(canvas.height >> 1);
    const float x = orthographic ? camera.scaleX * v.x : camera.scaleX * v.x / v.z;
    const float y = orthographic ? camera.scaleY * v.y : camera.scaleY * v.y / v.z;
    v.screenX = Floor(x + halfW + 0.5f);
    v.screenY = Floor(halfH - y + 0.5f);
    v.invZ = 1.0f / v.z;
}

// The screen places the canvas is given: off the canvas held at its edges,
// NaN at 0.
class CanvasPlacer {
public:
    explicit CanvasPlacer(const Canvas& canvas) {
        const int32_t extra = (canvas.flags & Canvas::kFlag16Bit) != 0 ? 1 : 0;
        maxX_ = std::max(float(canvas.width + extra - 1), 0.0f);
        maxY_ = std::max(float(canvas.height + extra - 1), 0.0f);
    }
    CanvasPlacer(float maxX, float maxY) : maxX_(maxX), maxY_(maxY) {}
    float MaxX() const { return maxX_; }
    float MaxY() const { return maxY_; }
    void Place(const RenderVertex& v, ScreenVertex& s) const {
        // max(0, NaN) is 0.
        s.x = std::min(std::max(0.0f, v.screenX), maxX_);
        s.y = std::min(std::max(0.0f, v.screenY), maxY_);
    }

private:
    float maxX_ = 0.0f, maxY_ = 0.0f;
};

// Whether a textured fill gives its image a palette: one without takes the
// canvas's when first filled, and keeps it, so it must be filled.
bool GivesPalette(const Fill& fill) {
    if (!fill.textured) return false;
    fill.material->Lock();
    const bool given = fill.material->image != nullptr && fill.material->image->palette == nullptr;
    fill.material->Unlock();
    return given;
}

}  // namespace

FaceJudge::FaceJudge(uint32_t drawFlags) : drawFlags_(drawFlags) {
    ViewContext* const view = g_viewContext;
    if (!CanDrawFaces(view) || (drawFlags & (kDrawClip | kDrawCullBack)) != 0) return;
    view_ = view;
    faceFlags_ = AllowedFaceFlags(*view, drawFlags);
    const Canvas& canvas = *view->camera->canvas;
    const CanvasPlacer placer(canvas);
    maxX_ = placer.MaxX();
    maxY_ = placer.MaxY();
    shapes_ = canvas.EmptyNearShapes();
}

bool FaceJudge::FillsNothing(uint32_t faceIndex) const {
    if (view_ == nullptr) return false;
    const FaceRecord& face = view_->faces[faceIndex];
    const uint32_t flags = faceFlags_ & face.flags;
    if (!Filled(flags, drawFlags_)) return false;
    const Camera& camera = *view_->camera;
    const uint16_t corners[3] = {face.a, face.b, face.c};
    const CanvasPlacer placer(maxX_, maxY_);
    int32_t x[3], y[3];
    for (int i = 0; i < 3; ++i) {
        RenderVertex& v = view_->vertices[corners[i]];
        Project(camera, v, view_->vertexStates[corners[i]]);
        placer.Place(v, g_facePlaces[i]);
        // Projection puts a place on a whole pixel and the placer on the
        // canvas: the conversion is exact.
        x[i] = int32_t(g_facePlaces[i].x);
        y[i] = int32_t(g_facePlaces[i].y);
    }
    const int32_t shape = shapes_ != nullptr ? NearShapes::ShapeOf(x, y) : -1;
    if (!(shape >= 0 ? shapes_->Empty(shape) : camera.canvas->FillsNoPixel(3, g_facePlaces))) return false;
    if ((flags & FaceRecord::kTextured) != 0 && GivesPalette(Choose(flags, face, drawFlags_))) return false;
    MarkDrawn();
    return true;
}

namespace {

void FillChosen(Canvas& canvas, const Fill& fill, int32_t count, const ScreenVertex* vertices) {
    if (!fill.textured) {
        Call(canvas, fill, count, vertices, nullptr);
        return;
    }
    fill.material->Lock();
    Call(canvas, fill, count, vertices, fill.material->image);
    fill.material->Unlock();
}

void EmitChosen(const Fill& fill, int32_t count, const ScreenVertex* vertices) {
    Arena* const arena = g_worldContext != nullptr ? g_worldContext->arena2 : nullptr;
    if (arena == nullptr) return;
    SortedPrimitive* primitive = nullptr;
    if (fill.textured) {
        const uint16_t kind = uint16_t((fill.translucent ? SortedPrimitive::kTexturedTranslucent
                                                         : SortedPrimitive::kTextured) +
                                       fill.variant);
        primitive = SortedTexturedPolygon::Create(*arena, kind, count, vertices, fill.material, fill.level);
    } else {
        const uint16_t kind = uint16_t(
            (fill.translucent ? SortedPrimitive::kTranslucentFlat : SortedPrimitive::kPolygonFlat) + fill.variant);
        primitive = SortedPolygon::Create(*arena, kind, count, vertices, fill.level);
    }
    // A primitive the arena cannot hold is skipped.
    if (primitive != nullptr) primitive->Insert();
}

}  // namespace

void DrawFace(uint32_t faceIndex, uint32_t drawFlags) {
    ViewContext* const view = g_viewContext;
    if (!CanDrawFaces(view)) return;
    const Camera& camera = *view->camera;
    Canvas& canvas = *camera.canvas;
    const FaceRecord& face = view->faces[faceIndex];
    const uint16_t corners[3] = {face.a, face.b, face.c};
    RenderVertex* working[kMaxClipVertices];
    uint32_t* states[kMaxClipVertices];
    uint32_t clippedStates[kMaxClipVertices] = {};
    for (int i = 0; i < 3; ++i) {
        working[i] = &view->vertices[corners[i]];
        states[i] = &view->vertexStates[corners[i]];
        working[i]->u = face.u[i];
        working[i]->v = face.v[i];
    }
    const uint32_t colour = (drawFlags & kDrawFixedColour) != 0 ? view->fixedColour : working[0]->colour;
    for (int i = 0; i < 3; ++i) working[i]->colour = colour;

    const uint32_t flags = DrawnFaceFlags(*view, face, drawFlags);
    const bool gouraud = (flags & FaceRecord::kGouraud) != 0;

    int32_t count = 3;
    bool clipped = false;
    if ((drawFlags & (kDrawClip | kDrawCullBack)) != 0) {
        for (int i = 0; i < 3; ++i) {
            g_clipIn[i] = *working[i];
            g_clipIn[i].colour = colour;
            if (!gouraud) g_clipIn[i].intensity = working[0]->intensity;
        }
        if ((drawFlags & kDrawCullBack) != 0 && IsFrontFace(3, g_clipIn, camera) == 0) return;
        if ((drawFlags & kDrawClip) != 0) {
            const int32_t result = ClipPolygonToView(&count, g_clipIn, g_clipOut, camera, flags);
            if (result == kClipRejected) return;
            if (result == kClipClipped) {
                for (int32_t i = 0; i < count; ++i) {
                    g_clipOut[i].colour = colour;
                    working[i] = &g_clipOut[i];
                    states[i] = &clippedStates[i];
                }
                clipped = true;
            }
        }
    }

    for (int32_t i = 0; i < count; ++i) Project(camera, *working[i], *states[i]);

    if (count < 3 || count > kMaxClipVertices) return;
    const CanvasPlacer placer(canvas);
    for (int32_t i = 0; i < count; ++i) {
        const RenderVertex& v = *working[i];
        ScreenVertex& s = g_screen[i];
        placer.Place(v, s);
        s.depth = (drawFlags & kDrawFarDepth) != 0 ? kFarDepth : v.z * camera.depthScale;
        s.colour = colour;
        s.intensity = float(gouraud ? v.intensity : working[0]->intensity);
        s.u = v.u;
        s.v = v.v;
        s.invZ = v.invZ;
    }
    MarkDrawn();

    const Fill fill = Choose(flags, face, drawFlags);
    const bool sorted = (drawFlags & kDrawNeverSort) == 0 &&
                        ((camera.flags & Camera::kFlagNoDepthBuffer) != 0 || (flags & FaceRecord::kTranslucent) != 0);
    if (fill.filled) {
        if (sorted) {
            EmitChosen(fill, count, g_screen);
        } else {
            FillChosen(canvas, fill, count, g_screen);
        }
    }
    if (fill.filled || (flags & FaceRecord::kEdges) == 0) return;

    Arena* const arena = g_worldContext != nullptr ? g_worldContext->arena2 : nullptr;
    const auto edge = [&](int32_t from, int32_t to) {
        if (sorted) {
            if (arena == nullptr) return;
            if (SortedLine* const line = SortedLine::Create(*arena, g_screen[from], g_screen[to])) line->Insert();
        } else {
            canvas.DrawLine(&g_screen[from], &g_screen[to], nullptr);
        }
    };
    if (clipped) {
        for (int32_t i = 0; i < count; ++i) edge(i, (i + 1) % count);
        return;
    }
    const bool all = (camera.flags & Camera::kFlagAllEdges) != 0;
    if (all || (face.flags & FaceRecord::kEdgeAB) != 0) edge(0, 1);
    if (all || (face.flags & FaceRecord::kEdgeBC) != 0) edge(1, 2);
    if (all || (face.flags & FaceRecord::kEdgeCA) != 0) edge(2, 0);
}

void EmitSortedPrimitive(uint32_t drawFlags) {
    Camera* const camera = CurrentCamera();
    if (camera == nullptr || camera->canvas == nullptr) return;
    if ((drawFlags & kDrawClip) != 0 && OutsidePoint(*camera, g_primScratch)) return;
    ScreenVertex point = g_primScratch;
    ProjectPoint(*camera, *camera->canvas, point, drawFlags);
    MarkDrawn();
    if ((drawFlags & kDrawNeverSort) != 0 || (camera->flags & Camera::kFlagNoDepthBuffer) == 0) {
        camera->canvas->PlotPixel(&point, nullptr);
        return;
    }
    Arena* const arena = g_worldContext != nullptr ? g_worldContext->arena2 : nullptr;
    if (arena == nullptr) return;
    if (SortedPoint* const primitive = SortedPoint::Create(*arena, point)) primitive->Insert();
}

void EmitSortedLine(const ScreenVertex& end, uint32_t drawFlags) {
    Camera* const camera = CurrentCamera();
    if (camera == nullptr || camera->canvas == nullptr) return;
    ScreenVertex a = g_primScratch, b = end;
    if ((drawFlags & kDrawClip) != 0) {
        RenderVertex ends[kMaxClipVertices];
        RenderVertex out[kMaxClipVertices];
        const ScreenVertex* points[2] = {&a, &b};
        for (int i = 0; i < 2; ++i) {
            ends[i].x = points[i]->x;
            ends[i].y = points[i]->y;
            ends[i].z = points[i]->depth;
            ends[i].intensity = SaturateToInt32(points[i]->intensity);
        }
        const uint16_t mask = g_viewContext->object != nullptr ? g_viewContext->object->renderMask
                                                               : NamedObject::kDefaultRenderMask;
        int32_t count = 2;
        const int32_t result = ClipPolygonToView(&count, ends, out, *camera, uint32_t(mask) & camera->flags);
        if (result == kClipRejected) return;
        if (result == kClipClipped) {
            ScreenVertex* targets[2] = {&a, &b};
            for (int i = 0; i < 2; ++i) {
                targets[i]->x = out[i].x;
                targets[i]->y = out[i].y;
                targets[i]->depth = out[i].z;
                targets[i]->intensity = float(out[i].intensity);
            }
        }
    }
    ProjectPoint(*camera, *camera->canvas, a, drawFlags);
    ProjectPoint(*camera, *camera->canvas, b, drawFlags);
    MarkDrawn();
    if ((drawFlags & kDrawNeverSort) == 0 && (camera->flags & Camera::kFlagNoDepthBuffer) != 0) {
        Arena* const arena = g_worldContext != nullptr ? g_worldContext->arena2 : nullptr;
        if (arena == nullptr) return;
        if (SortedLine* const line = SortedLine::Create(*arena, a, b)) line->Insert();
        return;
    }
    camera->canvas->DrawLineClipped(&a, &b, nullptr, nullptr);
}
