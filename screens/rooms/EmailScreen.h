#pragma once
#include <cstdint>

#include "screens/rooms/MessageReader.h"

// The e-mail and news readers: one program with two name sets. Mission
// offers travel with the e-mail but are the missions reader's to show; a
// click on a row of either page flags its message read.
class BulletinReader : public MessageReader {
public:
    BulletinReader(const Names& names, bool mail);

    void FillLists() override;

protected:
    MessageList* PageList(const ArtObject* page) const override;
    bool ClickMarksRead(const ArtObject*) const override { return true; }

private:
    bool Shows(const MessageEntry& entry) const;

    bool mail_;
};

class EmailScreen : public BulletinReader {
public:
    static constexpr const char* kScreenName = "EMAIL";
    explicit EmailScreen(const char* screenName = kScreenName);
};

class NewsScreen : public BulletinReader {
public:
    static constexpr const char* kScreenName = "NEWS";
    explicit NewsScreen(const char* screenName = kScreenName);
};
