#include "platform/MessageBox.h"

#include <cstdio>

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

MessageBox* g_installed = nullptr;

}  // namespace

MessageBox& StandardErrorMessageBox() {
    static StandardErrorBox box;
    return box;
}

MessageBox& MessageBox::Current() { return g_installed ? *g_installed : StandardErrorMessageBox(); }

MessageBox* MessageBox::Install(MessageBox* box) {
    MessageBox* previous = g_installed;
    g_installed = box;
    return previous;
}

}  // namespace platform
