#include "ui/EditField.h"

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "game/DrawString.h"
#include "ui/ScreenRedraw.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;   // packed red in the low byte
constexpr uint32_t kClearBackground = 0xFF;
constexpr char kCarriageReturn = 13;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits only, ending at the first character of 128 or more.
std::string Digits(const char* text) {
    std::string kept;
    for (const char* c = text; *c != '\0' && static_cast<unsigned char>(*c) < 128; ++c) {
        if (IsDigit(*c)) kept += *c;
    }
    return kept;
}

}  // namespace

void EditField::SetText(const char* text) {
    text_ = text != nullptr ? text : "";
    capacity_ = text_.size() + 1;
}

void EditField::SetFilteredText(const char* text) {
    if (active_ == 0 || text == nullptr) return;
    std::string kept;
    bool filtered = true;
    switch (filterMode) {
    case kFilterUpToReturn:
        for (const char* c = text; *c != '\0' && *c != kCarriageReturn; ++c) kept += *c;
        break;
    case kFilterPrintable:
        for (const char* c = text; *c != '\0'; ++c) {
            const unsigned char u = static_cast<unsigned char>(*c);
            if (u >= 32 && u <= 127) kept += *c;
        }
        break;
    case kFilterDigits:
        kept = Digits(text);
        break;
    case kFilterMoney:
        kept.push_back('$');
        kept += Digits(text);
        break;
    default:
        filtered = false;
        break;
    }
    if (filtered) {
        if (kept.size() > capacity_ - 1) kept.resize(capacity_ - 1);
        text_ = kept;
    }
    RequestScreenRedraw();
}

void EditField::RefreshActive() {
    if (visible == 0) return;
    const int32_t value = active_ != 0 ? kActiveFrameValue : kInactiveFrameValue;
    if (Region() != nullptr && Region()[0].intensity != value) SetFrameValue2(value);
    DrawFrame();
    Draw(0);
}

int32_t EditField::Draw(int32_t) {
    if (text_.empty()) return 0;
    const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    SetFontColors(palette != nullptr ? palette->MatchColor(kWhite) : 0, kClearBackground);
    SelectFont("ttf");
    DrawString(text_.c_str(), RegionLeft(), RegionTop(), 0);
    return 0;
}
