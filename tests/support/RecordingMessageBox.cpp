#include "tests/support/RecordingMessageBox.h"

platform::MessageBoxAnswer RecordingMessageBox::Show(const char* text, const char* caption, uint32_t style) {
    shown_.push_back({text ? text : "", caption ? caption : "", style});
    if (!answers_.empty()) {
        platform::MessageBoxAnswer answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    }
    const uint32_t buttons = style & 0xF;
    if (buttons == platform::kMessageBoxOkCancel || buttons == platform::kMessageBoxRetryCancel)
        return platform::MessageBoxAnswer::kCancel;
    return platform::MessageBoxAnswer::kOk;
}
