#include "engine/Random.h"

namespace {

// Schrage's decomposition of each modulus: m = a x q + r with r < q, so
// a x (s mod q) and r x (s / q) both stay below 2^31.
constexpr int32_t kMultiplier1 = 40014;
constexpr int32_t kQuotient1 = 53668;
constexpr int32_t kRemainder1 = 12211;
constexpr int32_t kModulus1 = 2147483563;

constexpr int32_t kMultiplier2 = 40692;
constexpr int32_t kQuotient2 = 52774;
constexpr int32_t kRemainder2 = 3791;
constexpr int32_t kModulus2 = 2147483399;

static_assert(kMultiplier1 * kQuotient1 + kRemainder1 == kModulus1);
static_assert(kMultiplier2 * kQuotient2 + kRemainder2 == kModulus2);

// One Schrage step: a x s mod m for any 32-bit s, not only s in [0, m).
// Plain 32-bit arithmetic is enough for every seed a caller can store:
// s - k x q lies strictly between -q and q, so its product with a is below
// a x q < 2^31 in magnitude; |k| <= 2^31 / q, so k x r is below 2^31 too; and
// the two terms share the sign of s, so their difference cannot overflow
// either. A negative difference is at least -a x (q - 1), and adding m to it
// stays below m. The result therefore always lies in [0, m).
constexpr int32_t SchrageStep(int32_t s, int32_t a, int32_t q, int32_t r, int32_t m) {
    const int32_t k = s / q;
    int32_t next = a * (s - k * q) - k * r;
    if (next < 0) {
        next += m;
    }
    return next;
}

struct RandomState {
    int32_t s1;
    int32_t s2;
};

RandomState g_randomState = {1, 2};

uint32_t g_gameRandomSeed = 1;

}  // namespace

void RandomSeed(int32_t s1, int32_t s2) {
    g_randomState.s1 = s1;
    g_randomState.s2 = s2;
}

int32_t RandomNext() {
    g_randomState.s1 = SchrageStep(g_randomState.s1, kMultiplier1, kQuotient1, kRemainder1, kModulus1);
    g_randomState.s2 = SchrageStep(g_randomState.s2, kMultiplier2, kQuotient2, kRemainder2, kModulus2);
    // Both words now lie in [0, m), so the difference fits in 32 bits.
    return g_randomState.s1 - g_randomState.s2;
}

void GameRandomSeed(uint32_t seed) {
    g_gameRandomSeed = seed;
}

uint32_t GameRandomState() { return g_gameRandomSeed; }

int32_t GameRandom() {
    g_gameRandomSeed = g_gameRandomSeed * 214013u + 2531011u;
    return static_cast<int32_t>((g_gameRandomSeed >> 16) & 0x7fffu);
}

Vector3 RandomDifferenceVector() {
    // Each component in its own statement: the order of the draws is fixed.
    Vector3 v;
    int32_t left = GameRandom();
    v.x = float(left - GameRandom());
    left = GameRandom();
    v.y = float(left - GameRandom());
    left = GameRandom();
    v.z = float(left - GameRandom());
    return v;
}

Vector3 RandomUnitVector() { return RandomDifferenceVector().Normalize(); }
