#include "tests/support/RecordingTriangles.h"

#include <gtest/gtest.h>

#include "display/Canvas.h"

namespace {

RecordingTriangles* g_current = nullptr;

}  // namespace

RecordingTriangles::RecordingTriangles() {
    EXPECT_EQ(g_current, nullptr) << "one RecordingTriangles at a time";
    g_current = this;
}

RecordingTriangles::~RecordingTriangles() { g_current = nullptr; }

void RecordingTriangles::Fill(Canvas* canvas, uint32_t mode, const ScreenVertex* a, const ScreenVertex* b,
                              const ScreenVertex* c, const SoftTexture* texture, uint32_t level) {
    if (g_current == nullptr) {
        ADD_FAILURE() << "RecordingTriangles::Fill called with no recorder alive";
        return;
    }
    g_current->triangles_.push_back(RecordedTriangle{canvas, canvas->palette, mode, *a, *b, *c, texture, level});
}
