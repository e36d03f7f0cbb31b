#pragma once
#include "display/Canvas.h"
#include "engine/Status.h"

// The row tables and span buffers every memory and surface canvas keeps,
// sized from the canvas's width and height.

// The row table, with kFlagHasDepth the depth row table, and the two span
// buffers: kStatusOk, or kStatusOutOfMemory having freed those it made.
Status AllocateCanvasTables(Canvas& canvas);
// Row offsets from pitch and depthPitch.
void FillCanvasRowOffsets(Canvas& canvas);
// Frees the tables and span buffers, nulling each pointer.
void ReleaseCanvasTables(Canvas& canvas);
