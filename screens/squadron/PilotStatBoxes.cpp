#include "screens/squadron/PilotStatBoxes.h"

#include "ui/ArtObject.h"
#include "ui/TextBox.h"

namespace {

constexpr const char* kKills = "PilotKills";
constexpr const char* kMissions = "PilotMissions";
constexpr const char* kAccuracy = "PilotAccuracy";
constexpr int32_t kLeft = 150;
constexpr int32_t kTop = 153;
constexpr int32_t kRowStep = 14;
constexpr int32_t kBoxSize = 100;

}  // namespace

void PilotStatBoxes::Add(ArtObject* panel) {
    int32_t y = kTop;
    for (const char* boxName : {kKills, kMissions, kAccuracy}) {
        panel->AddControl(NewPlacedControl<TextBox>(kBoxSize, kBoxSize, kLeft, y, boxName));
        y += kRowStep;
    }
}

void PilotStatBoxes::Clear(const ArtObject* panel) {
    for (const char* boxName : {kKills, kMissions, kAccuracy}) {
        if (TextBox* const box = FindControlAs<TextBox>(panel, boxName)) box->Clear();
    }
}

void PilotStatBoxes::Show(const ArtObject* panel, int32_t kills, int32_t missions, int32_t accuracy) {
    SetNumberText(FindControlAs<TextBox>(panel, kKills), kills);
    SetNumberText(FindControlAs<TextBox>(panel, kMissions), missions);
    SetNumberText(FindControlAs<TextBox>(panel, kAccuracy), accuracy);
}
