#include "navmap/MapClasses.h"

#include <cstring>

#include "objects/space/SpaceObject.h"

namespace map_classes {
namespace {

bool Is(const char* model, const char* name) { return std::strcmp(model, name) == 0; }

// Three images of one class by side: the object's own side's image when its
// button is on.
int32_t BySide(const bool (&on)[kSides], Side side, int32_t neutral, int32_t friendly, int32_t hostile) {
    if (side == kNeutral) return on[kNeutral] ? neutral : -1;
    if (side == kFriendly) return on[kFriendly] ? friendly : -1;
    return on[kHostile] ? hostile : -1;
}

int32_t AiShipImage(MapTwin twin, const char* m, Side side, const Filters& f) {
    const size_t length = std::strlen(m);
    const char c2 = length > 2 ? m[2] : '\0';
    const char c3 = length > 3 ? m[3] : '\0';
    if ((c2 == '0' && c3 == '9') || (c2 == '1' && c3 >= '0' && c3 <= '3')) return BySide(f.ship, side, 11, 12, 13);
    if (c2 == '0' || Is(m, "TSAT-CCCH2") || Is(m, "DRON-CCCH1") || Is(m, "BDRN-CCCH1")) {
        return BySide(f.ship, side, 8, 9, 10);
    }
    if (c3 == '7' || (twin == MapTwin::kInFlight && Is(m, "MULT-CCHH4"))) return BySide(f.base, side, 1, 2, 3);
    if (c3 == '5') return BySide(f.base, side, 21, 21, 21);
    if (c3 == '4' || c3 == '6') return BySide(f.base, side, 17, 18, 19);
    if (Is(m, "PILT") || Is(m, "1199-CCCH5") || Is(m, "2299-CCCH5")) return BySide(f.ship, side, 14, 15, 16);
    if (Is(m, "BASE-CCCH9")) return 0;
    return -1;
}

}  // namespace

int32_t ClassImage(MapTwin twin, const ObjectTraits& t, const Filters& f) {
    const char* const m = t.model != nullptr ? t.model : "";
    switch (t.kind) {
        case SpaceObject::kTypeNavBuoy: return f.navPoint ? (t.navPointFlag != 0 ? 27 : 23) : -1;
        case SpaceObject::kTypeAsteroid:
            if (Is(m, "ROCK-01") || Is(m, "ROCK-02")) return f.asteroid ? 26 : -1;
            if (Is(m, "ROCK-03") || Is(m, "ROCK-04") || Is(m, "ROCK-05")) return f.asteroid ? 25 : -1;
            return -1;
        case SpaceObject::kTypeMine: return BySide(f.mine, t.side, 4, 5, 6);
        case SpaceObject::kTypeWayPoint: return f.navPoint ? 27 : -1;
        case SpaceObject::kTypeJumpGate:
            if (t.classWord == 50 || t.classWord == 51) return 24;
            if (t.classWord == 53) return 20;
            if (t.classWord == 52) return 21;
            return -1;
        case SpaceObject::kTypeAiShip: return AiShipImage(twin, m, t.side, f);
        case SpaceObject::kTypePlayerShip: return twin == MapTwin::kInFlight ? 7 : -1;
        default: return -1;
    }
}

int32_t SignatureImage(int32_t powerDraw) {
    if (powerDraw < kSignatureMidDraw) return kSignatureLow;
    return powerDraw >= kSignatureHighDraw ? kSignatureHigh : kSignatureMid;
}

}  // namespace map_classes
