#pragma once
#include "ui/MenuScreen.h"

class TextBox;

// The computer's help page: the panel "hmain" with one empty text box
// "name". The computer's place builds it; no screen leads to it yet.
class HelpScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "HELP";
    static constexpr const char* kPanelName = "hmain";
    static constexpr const char* kTextName = "name";

    explicit HelpScreen(const char* screenName = kScreenName);

    void Open() override;
    void Close() override;

    ArtObject* helpPanel = nullptr;   // owned through artObjects
};
