#pragma once
#include "engine/Status.h"

class Bitmap;

// The sample pictures, drawn by code, in the order of their names: an 8-bit
// diagonal gradient with a palette of its own, an 8-bit checkerboard and an
// 8-bit cursor arrow on the sample palette (index 255, transparent, around
// the arrow), and a shaded ball in 16-bit 5-5-5 on the colour key 0x7C1F.
inline constexpr const char* kSampleImageNames[] = {"gradient.iff", "checker.iff", "arrow.iff", "sphere.iff"};
inline constexpr int kSampleImageCount = sizeof kSampleImageNames / sizeof kSampleImageNames[0];

// Sizes of the pictures, for whoever reads them back.
inline constexpr int kGradientWidth = 128;
inline constexpr int kGradientHeight = 64;
inline constexpr int kCheckerSize = 64;
inline constexpr int kCheckerSquare = 8;
inline constexpr int kArrowWidth = 16;
inline constexpr int kArrowHeight = 24;
inline constexpr int kSphereSize = 64;

// Draws sample picture `which` (an index into the names) into `bitmap`,
// replacing what it held. kStatusImageBadFormat for an index out of range,
// or what Bitmap::Create returns.
Status DrawSampleImage(int which, Bitmap& bitmap);

// Draws sample picture `which` and writes it to `path` as an XFEB file.
Status WriteSampleImage(int which, const char* path);
