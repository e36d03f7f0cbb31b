#include "engine/RateCarry.h"

int64_t RateCarry::Take(int64_t amount, int64_t divisor) {
    if (divisor <= 0) {
        rest_ = 0;
        return 0;
    }
    if (divisor != divisor_) {
        rest_ = rest_ * divisor / divisor_;
        divisor_ = divisor;
    }
    const int64_t total = amount + rest_;
    const int64_t whole = total / divisor;
    rest_ = total - whole * divisor;
    return whole;
}
