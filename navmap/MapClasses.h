#pragma once
#include <cstdint>

#include "navmap/MapProjection.h"

// How a map shows an object: the symbol image of its class, chosen by its
// kind, its model's name and its side, and whether the filter buttons let
// it through.
namespace map_classes {

enum Side : int32_t { kNeutral = 0, kFriendly = 1, kHostile = 2, kSides = 3 };

// Symbol images that are not a class of their own.
inline constexpr int32_t kSelectionImage = 28;
inline constexpr int32_t kGoalImage = 29;
inline constexpr int32_t kSignatureLow = 30;
inline constexpr int32_t kSignatureMid = 31;
inline constexpr int32_t kSignatureHigh = 32;
// Power draws at which an energy signature grows.
inline constexpr int32_t kSignatureMidDraw = 300;
inline constexpr int32_t kSignatureHighDraw = 500;

// The filter buttons' states, on or off.
struct Filters {
    bool ship[kSides] = {true, true, true};
    bool base[kSides] = {true, true, true};
    bool mine[kSides] = {true, true, true};
    bool asteroid = true;
    bool navPoint = true;
};

struct ObjectTraits {
    int32_t kind = 0;
    const char* model = "";
    int32_t classWord = -1;
    uint32_t navPointFlag = 0;
    Side side = kNeutral;
};

// The image index, or -1 when the object has no class or its button is off.
int32_t ClassImage(MapTwin twin, const ObjectTraits& traits, const Filters& filters);
// The image of a craft the passive radar sees only by its power draw.
int32_t SignatureImage(int32_t powerDraw);

}  // namespace map_classes
