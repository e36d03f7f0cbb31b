#include "canvas/CanvasTables.h"

#include <algorithm>

#include "engine/EngineAllocation.h"

namespace {

template <typename T>
void Give(T*& block) {
    EngineRelease(block);
    block = nullptr;
}

}  // namespace

Status AllocateCanvasTables(Canvas& canvas) {
    const size_t tableBytes = size_t(canvas.height) * sizeof(uint32_t);
    const size_t spanBytes = size_t(std::max(canvas.width, canvas.height)) * size_t(Canvas::kSpanBytesPerEntry);
    canvas.rowOffsets = static_cast<uint32_t*>(EngineAllocate(tableBytes));
    bool made = canvas.rowOffsets != nullptr;
    if (made && (canvas.flags & Canvas::kFlagHasDepth) != 0) {
        canvas.depthRowOffsets = static_cast<uint32_t*>(EngineAllocate(tableBytes));
        made = canvas.depthRowOffsets != nullptr;
    }
    if (made) made = (canvas.spanBufferA = static_cast<uint8_t*>(EngineAllocate(spanBytes))) != nullptr;
    if (made) made = (canvas.spanBufferB = static_cast<uint8_t*>(EngineAllocate(spanBytes))) != nullptr;
    if (made) return kStatusOk;
    ReleaseCanvasTables(canvas);
    return kStatusOutOfMemory;
}

void FillCanvasRowOffsets(Canvas& canvas) {
    for (int32_t row = 0; row < canvas.height; ++row) {
        canvas.rowOffsets[row] = uint32_t(int64_t(row) * canvas.pitch);
        if (canvas.depthRowOffsets != nullptr) canvas.depthRowOffsets[row] = uint32_t(int64_t(row) * canvas.depthPitch);
    }
}

void ReleaseCanvasTables(Canvas& canvas) {
    Give(canvas.rowOffsets);
    Give(canvas.depthRowOffsets);
    Give(canvas.spanBufferA);
    Give(canvas.spanBufferB);
}
