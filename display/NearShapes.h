#pragma once

#include <cstdint>

// Which small triangles a canvas fills no pixel of, by their shape alone:
// corners on whole pixels, each within kReach of the first on both axes, as
// the faces of a far model lie. A canvas whose rule gives such a triangle
// the same pixels, moved, wherever it lies answers for every place from one
// table of shapes.
class NearShapes {
public:
    static constexpr int32_t kReach = 4;
    static constexpr int32_t kSide = 2 * kReach + 1;
    static constexpr int32_t kCount = kSide * kSide * kSide * kSide;

    // The shape of three corners on whole pixels; -1 for corners too far
    // apart.
    static int32_t ShapeOf(const int32_t (&x)[3], const int32_t (&y)[3]) {
        int32_t shape = 0;
        for (int32_t i = 1; i < 3; ++i) {
            const int32_t dx = x[i] - x[0] + kReach, dy = y[i] - y[0] + kReach;
            if (uint32_t(dx) >= uint32_t(kSide) || uint32_t(dy) >= uint32_t(kSide)) return -1;
            shape = (shape * kSide + dx) * kSide + dy;
        }
        return shape;
    }
    // A shape's corners, the first at (kReach, kReach): all lie in 0 ..
    // 2 kReach.
    static void CornersOf(int32_t shape, int32_t (&x)[3], int32_t (&y)[3]) {
        x[0] = y[0] = kReach;
        for (int32_t i = 2; i >= 1; --i) {
            y[i] = shape % kSide;
            x[i] = shape / kSide % kSide;
            shape /= kSide * kSide;
        }
    }

    bool Empty(int32_t shape) const { return (empty_[shape / 64] >> (shape % 64) & 1) != 0; }
    void SetEmpty(int32_t shape) { empty_[shape / 64] |= uint64_t(1) << (shape % 64); }

private:
    uint64_t empty_[(kCount + 63) / 64] = {};
};
