#include "game/HudKeepClear.h"

void HudKeepClear::Add(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || count_ >= kPlaces) return;
    places_[count_++] = Place{float(x - kRoom), float(y - kRoom), float(x + width + kRoom), float(y + height + kRoom)};
}

bool HudKeepClear::Meets(float left, float top, float right, float bottom) const {
    for (int32_t i = 0; i < count_; ++i) {
        const Place& p = places_[i];
        if (left < p.right && right > p.left && top < p.bottom && bottom > p.top) return true;
    }
    return false;
}
