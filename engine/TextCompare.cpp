#include "engine/TextCompare.h"

namespace text {

namespace {

unsigned char Fold(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

int _stricmp(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
    for (;; ++a, ++b) {
        const unsigned char x = Fold(*a), y = Fold(*b);
        if (x != y || x == 0) return int(x) - int(y);
    }
}

}  // namespace text
