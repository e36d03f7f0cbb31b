#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "display/ScreenVertex.h"

class Canvas;
class Palette;
class SoftTexture;

// One triangle as a polygon routine handed it to the triangle set-up.
struct RecordedTriangle {
    const Canvas* canvas = nullptr;
    const Palette* palette = nullptr;   // the canvas's palette at the time of the call
    uint32_t mode = 0;
    ScreenVertex a, b, c;
    const SoftTexture* texture = nullptr;
    uint32_t level = 0;
};

// Stands in for the 16-bit triangle set-up (FillTriangle16's signature):
// pass RecordingTriangles::Fill where a routine takes the set-up it draws
// through. While an instance lives, Fill records into it; one at a time.
class RecordingTriangles {
public:
    RecordingTriangles();
    ~RecordingTriangles();
    RecordingTriangles(const RecordingTriangles&) = delete;
    RecordingTriangles& operator=(const RecordingTriangles&) = delete;

    static void Fill(Canvas* canvas, uint32_t mode, const ScreenVertex* a, const ScreenVertex* b,
                     const ScreenVertex* c, const SoftTexture* texture, uint32_t level);

    const std::vector<RecordedTriangle>& Triangles() const { return triangles_; }
    size_t Count() const { return triangles_.size(); }

private:
    std::vector<RecordedTriangle> triangles_;
};
