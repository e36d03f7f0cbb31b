#pragma once
#include <cstdint>

#include "ui/MenuScreen.h"

class BitmapButton;
class CareerRecord;
class ListBox;
class TextBox;

// Where the player hires and fires wingmen: the Available, Current and Past
// pages of pilots over a main panel with the selected pilot's face and
// numbers. Hiring and firing move the pilot between the career's rosters at
// once.
class PersonnelScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "PERSON";
    static constexpr const char* kPanelName = "rqmain";
    static constexpr const char* kAvailList = "AvailList";
    static constexpr const char* kCurrList = "CurrList";
    static constexpr const char* kPastList = "PastList";
    static constexpr const char* kAvailResume = "AvailResume";
    static constexpr const char* kCurrResume = "CurrResume";
    static constexpr const char* kPastResume = "PastResume";
    static constexpr const char* kHiredText = "Wingman Hired";
    static constexpr const char* kFiredText = "Wingman Fired";
    static constexpr const char* kEmptyText = "None Available";
    static constexpr int32_t kEmptyTextX = 420;
    static constexpr int32_t kEmptyTextY = 155;
    // How long the hired and fired notes replace the resume.
    static constexpr uint32_t kMessageMs = 2000;

    // The screen's event codes.
    static constexpr uint16_t kCodeSelect = 0x0380;
    static constexpr uint16_t kCodeHelp = 0x0310;
    static constexpr uint16_t kCodeFocusNext = 0x0320;
    static constexpr uint16_t kCodeFocusPrevious = 0x0340;
    static constexpr uint16_t kCodeTextUp = 0x0420;
    static constexpr uint16_t kCodeTextDown = 0x0440;
    static constexpr uint16_t kCodeResume = 0x0301;
    static constexpr uint16_t kCodeListUp = 0x0480;
    static constexpr uint16_t kCodeListDown = 0x0501;
    static constexpr uint16_t kCodeAvailable = 0x0210;
    static constexpr uint16_t kCodeCurrent = 0x0220;
    static constexpr uint16_t kCodePast = 0x0240;
    static constexpr uint16_t kCodeHire = 0x0304;
    static constexpr uint16_t kCodeFire = 0x0302;
    static constexpr uint16_t kCodeList = 0x0280;
    static constexpr uint16_t kCodeClear = 0x0401;
    static constexpr uint16_t kCodeLineUp = 0x0402;
    static constexpr uint16_t kCodeLineDown = 0x0404;
    static constexpr uint16_t kCodePageUp = 0x0408;
    static constexpr uint16_t kCodePageDown = 0x0410;

    explicit PersonnelScreen(const char* screenName = kScreenName);

    void Open() override;
    void Close() override;
    int32_t Draw() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    void FillLists();
    void ShowPilotDetails();
    void Hire();
    void Fire();
    // The page's list and resume box.
    ListBox* PageList(const ArtObject* page) const;
    TextBox* PageResume(const ArtObject* page) const;

    ArtObject* mainPanel = nullptr;   // owned through artObjects
    ArtObject* availablePage = nullptr;
    ArtObject* currentPage = nullptr;
    ArtObject* pastPage = nullptr;
    int32_t hiredMessage = 0;
    uint32_t hiredAt = 0;
    int32_t firedMessage = 0;
    uint32_t firedAt = 0;

private:
    void SwitchTo(ArtObject* page);
    int32_t Button(uint16_t code, const char* buttonName, const char* topic);
    void PagedText(TextBox* box, const char* buttonName, bool up);
    void ListKeys(ListBox& list);
    bool PageActive(const ArtObject* page) const;
    // The page whose list and resume the current page is; null on the main panel.
    ArtObject* ShownPage() const;
    BitmapButton* FindButton(const char* buttonName) const;
    CareerRecord* Career() const;
};
