#include "screens/squadron/SquadronPage.h"

int32_t SquadronPage::DrawGatedPass(bool* panelChanged) {
    // The pop-up reads the pass's input after the page: a read here would
    // take the device snapshot first, and a CLOSE tapped between two passes
    // would never reach the pop-up.
    const int32_t keptPressed = BeginPass();
    DispatchOwnEvents(currentEvents);
    UpdateCursor();
    MarkDirty(keptPressed);
    DrawPanels();
    Update();
    const ArtObject* const before = currentPanel;
    const int32_t result = StepTransition(1);
    *panelChanged = currentPanel != before;
    return result;
}
