#pragma once
#include <cstdint>

#include "screens/rooms/MessageReader.h"

// The reader of the campaign's log: one page, one list, no page buttons.
class LogsScreen : public MessageReader {
public:
    static constexpr const char* kScreenName = "LOGS";

    explicit LogsScreen(const char* screenName = kScreenName);

    void FillLists() override;

protected:
    MessageList* PageList(const ArtObject* page) const override;
    bool ClickMarksRead(const ArtObject*) const override { return true; }
};
