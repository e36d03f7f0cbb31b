#include "screens/rooms/LogsScreen.h"

#include "engine/IffFile.h"
#include "game/GameState.h"
#include "game/MessageList.h"
#include "ui/ListBox.h"

namespace {

const MessageReader::Names kNames = {LogsScreen::kScreenName,
                                     "lomain",
                                     nullptr,
                                     nullptr,
                                     "LogsList",
                                     "LogsText",
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     MakeTag("LOGS")};
constexpr MessageReader::Codes kCodes = {0,      0,      0x0210, 0x0220, 0x0401, 0x0402, 0x0404, 0x0408, 0x0304,
                                         0,      0x0308, 0x0310, 0x0320, 0x0340, 0x0380, 0x0301, 0x0302};

}  // namespace

LogsScreen::LogsScreen(const char*) : MessageReader(kNames, kCodes) {}

MessageList* LogsScreen::PageList(const ArtObject*) const {
    return g_gameState != nullptr ? &g_gameState->logs : nullptr;
}

void LogsScreen::FillLists() {
    LookUpColours();
    ClearPage(framePage);
    const MessageList* const logs = PageList(framePage);
    if (logs == nullptr) return;
    bool first = true;
    for (int32_t i = 0; i < logs->Count(); ++i) {
        MessageEntry* const entry = logs->At(i);
        if (entry->active == MessageEntry::kHidden) continue;
        entry->active = MessageEntry::kShown;
        AddRow(framePage, *entry, entry->read != 0 ? readColour : unreadColour);
        if (first) {
            HighlightFirstRow(framePage, *entry);
            entry->read = 1;
        }
        first = false;
    }
    if (ListBox* const list = List(framePage)) list->SetSelection(0);
}
