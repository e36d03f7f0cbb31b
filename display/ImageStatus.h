#pragma once
#include "engine/Status.h"

// Status words of the bitmaps, pixel images and bitmap codecs.
inline constexpr Status kStatusImageBadFormat = 0x20002000;   // bad size, depth or image header; unsupported format
inline constexpr Status kStatusImageBadHeader = 0x20002001;   // missing or malformed "HDR " chunk or "BM" header
inline constexpr Status kStatusImageBadPalette = 0x20002002;  // palette missing or short
inline constexpr Status kStatusImageBadPixels = 0x20002003;   // pixel data missing, short or overrunning

// Results of PixelImage::Create, PixelImage::Convert and KeyedSprite::Build.
inline constexpr Status kStatusImageBadArgument = 1;    // bad size, depth or argument; unsupported pair of formats
inline constexpr Status kStatusImageNoPixels = 7;       // Convert: the source or the image has no pixels
inline constexpr Status kStatusSpriteBadFormat = 6;     // KeyedSprite: neither 8-bit nor 15/16-bit
inline constexpr Status kStatusSpriteOutOfMemory = 7;
