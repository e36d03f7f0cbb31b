#pragma once
#include <cstdint>

// Status words returned by engine operations. 0 is success; the small
// numbers are shared by loaders, canvases and drivers; the 0x2000xxxx
// ranges belong to the streams, files, images and chunk files.
using Status = uint32_t;

inline constexpr Status kStatusOk = 0;
inline constexpr Status kStatusNothingToDo = 1;      // or not supported
inline constexpr Status kStatusOutOfMemory = 2;
inline constexpr Status kStatusPlatformFailed = 8;   // a platform call or buffer failed
inline constexpr Status kStatusCannotOpen = 10;      // a file cannot be opened or read
inline constexpr Status kStatusNotThisRecord = 11;   // go on looking
inline constexpr Status kStatusMalformed = 12;
inline constexpr Status kStatusNo3dNow = 16;         // the processor lacks the 3DNow! instructions
inline constexpr Status kStatusEndOfData = 38;       // end of file or of the current chunk level
