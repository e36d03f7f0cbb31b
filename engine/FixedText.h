#pragma once
#include <cstddef>
#include <cstring>

// Copies a text into a fixed field of a record, cut to leave room for its
// terminator, the rest of the field zeroed (records are written to files
// whole, so no stale bytes may follow the text).
template <size_t N>
void CopyFixedText(char (&to)[N], const char* from) {
    static_assert(N > 0);
    std::memset(to, 0, N);
    if (from != nullptr) std::memcpy(to, from, strnlen(from, N - 1));
}
