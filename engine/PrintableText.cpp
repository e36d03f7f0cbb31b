#include "engine/PrintableText.h"

namespace {

bool Plain(unsigned char c) { return c >= 0x20 && c < 0x7F && c != '\\' && c != '"'; }

}  // namespace

std::string PrintableText(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (Plain(c)) {
            out.push_back(ch);
        } else {
            out += "\\x";
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0xF]);
        }
    }
    return out;
}

bool IsPrintableText(std::string_view text) {
    for (const char ch : text) {
        if (!Plain(static_cast<unsigned char>(ch))) return false;
    }
    return true;
}
