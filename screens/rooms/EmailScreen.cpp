#include "screens/rooms/EmailScreen.h"

#include "engine/IffFile.h"
#include "game/GameState.h"
#include "game/MessageList.h"
#include "ui/ListBox.h"

namespace {

constexpr MessageReader::Codes kCodes = {0x0210, 0x0220, 0x0240, 0x0280, 0x0404, 0x0408, 0x0410, 0x0420, 0x0310,
                                         0x0302, 0x0320, 0x0340, 0x0380, 0x0401, 0x0402, 0x0304, 0x0308};

const MessageReader::Names kEmailNames = {EmailScreen::kScreenName,
                                          "emmain",
                                          "email",
                                          "oldemail",
                                          "EmailList",
                                          "EmailText",
                                          "Unread Email Button",
                                          "Read Email Button",
                                          "EM_UNREADEMAIL",
                                          "EM_READEMAIL",
                                          MakeTag("EMAI")};
const MessageReader::Names kNewsNames = {NewsScreen::kScreenName,
                                         "nemain",
                                         "news",
                                         "oldnews",
                                         "NewsList",
                                         "NewsText",
                                         "Unread News Button",
                                         "Read News Button",
                                         "NE_UNREADNEWS",
                                         "NE_READNEWS",
                                         MakeTag("NEWS")};

}  // namespace

BulletinReader::BulletinReader(const Names& names, bool mail) : MessageReader(names, kCodes), mail_(mail) {}

EmailScreen::EmailScreen(const char*) : BulletinReader(kEmailNames, true) {}

NewsScreen::NewsScreen(const char*) : BulletinReader(kNewsNames, false) {}

MessageList* BulletinReader::PageList(const ArtObject* page) const {
    GameState* const game = g_gameState;
    if (game == nullptr) return nullptr;
    if (mail_) return page == oldPage ? &game->oldMail : &game->newMail;
    return page == oldPage ? &game->oldNews : &game->newNews;
}

bool BulletinReader::Shows(const MessageEntry& entry) const {
    return !mail_ || (entry.kind != MessageEntry::kKindOffer && entry.kind != MessageEntry::kKindOtherOffer);
}

void BulletinReader::FillLists() {
    LookUpColours();
    ClearPage(newPage);
    const MessageList* const fresh = PageList(newPage);
    if (fresh == nullptr) return;
    bool first = true;
    for (int32_t i = 0; i < fresh->Count(); ++i) {
        MessageEntry* const entry = fresh->At(i);
        if (entry->active == MessageEntry::kHidden || !Shows(*entry)) continue;
        entry->active = MessageEntry::kShown;
        AddRow(newPage, *entry, entry->read != 0 ? readColour : unreadColour);
        if (first) {
            HighlightFirstRow(newPage, *entry);
            entry->read = 1;
        }
        first = false;
    }
    if (ListBox* const list = List(newPage)) list->SetSelection(0);
    ClearPage(oldPage);
    const MessageList* const old = PageList(oldPage);
    first = true;
    for (int32_t i = 0; i < old->Count(); ++i) {
        const MessageEntry* const entry = old->At(i);
        if (!Shows(*entry)) continue;
        AddRow(oldPage, *entry, readColour);
        if (first) HighlightFirstRow(oldPage, *entry);
        first = false;
    }
    if (ListBox* const list = List(oldPage)) list->SetSelection(0);
}
