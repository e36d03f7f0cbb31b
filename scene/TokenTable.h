#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"

class IffFile;

// One body-part token: an upper-case name and the part mask it stands for.
struct TokenRecord {
    static constexpr int kNameBytes = 16;
    char name[kNameBytes];
    uint32_t mask;
};
static_assert(sizeof(TokenRecord) == 20);

// The body-part tokens that classify a jointed figure's parts by their model
// names: loaded from a FORM "ETOK", or the built-in table of 48 tokens.
class TokenTable : public EngineObject {
public:
    // The most tokens a form may declare.
    static constexpr int32_t kMaxTokens = 4096;

    TokenTable() = default;
    ~TokenTable();
    TokenTable(const TokenTable&) = delete;
    TokenTable& operator=(const TokenTable&) = delete;

    // 0, 2 no memory, 10 unreadable, 11 no "ETOK" form, 12 a malformed one.
    Status Load(const char* fileName);
    Status ReadForm(IffFile& iff);
    void Clear();
    // The name of the first record of that mask into out (16 bytes); out
    // unchanged when none matches.
    void NameForMask(char* out, uint32_t mask) const;
    // The mask of the first token (in table order) found anywhere in the
    // upper-cased name; with nothing loaded, the built-in table's.
    uint32_t MaskForName(const char* name) const;

    // The built-in table, in its order.
    static const TokenRecord* BuiltIn(int32_t* count);
    static uint32_t BuiltInMaskForName(const char* name);

    int32_t count = 0;
    TokenRecord* records = nullptr;
};
