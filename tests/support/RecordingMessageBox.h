#pragma once
#include <string>
#include <vector>

#include "platform/MessageBox.h"

// Keeps every message box shown and answers from a script (then Cancel
// for boxes that offer it, Ok otherwise).
class RecordingMessageBox final : public platform::MessageBox {
public:
    struct Shown {
        std::string text;
        std::string caption;
        uint32_t style = 0;
    };

    platform::MessageBoxAnswer Show(const char* text, const char* caption, uint32_t style) override;

    void QueueAnswer(platform::MessageBoxAnswer answer) { answers_.push_back(answer); }
    const std::vector<Shown>& Boxes() const { return shown_; }

private:
    std::vector<Shown> shown_;
    std::vector<platform::MessageBoxAnswer> answers_;
};
