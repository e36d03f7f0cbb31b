#include "platform/MessageBox.h"

#include <cstdio>

#include "platform/ServiceSlot.h"

namespace platform {
namespace {

class StandardErrorBox final : public MessageBox {
public:
    MessageBoxAnswer Show(const char* text, const char* caption, uint32_t style) override {
        std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
        std::fflush(stderr);
        const uint32_t buttons = style & 0xF;
        if (buttons == kMessageBoxOkCancel || buttons == kMessageBoxRetryCancel) return MessageBoxAnswer::kCancel;
        return MessageBoxAnswer::kOk;
    }
};

constinit ServiceSlot<MessageBox> g_slot{&StandardErrorMessageBox};

}  // namespace

MessageBox& StandardErrorMessageBox() {
    static StandardErrorBox box;
    return box;
}

MessageBox& MessageBox::Current() { return g_slot.Get(); }

MessageBox* MessageBox::Install(MessageBox* box) { return g_slot.Swap(box); }

}  // namespace platform
