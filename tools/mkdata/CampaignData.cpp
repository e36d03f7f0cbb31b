#include "tools/mkdata/CampaignData.h"

#include <cstring>
#include <string>

#include "engine/IffFile.h"
#include "game/MessageEntry.h"
#include "mission/MissionFile.h"
#include "tools/mkdata/MissionRecords.h"

namespace {

constexpr int32_t kFace = 3;          // the squadron leader's picture in "faces.iff"
constexpr int32_t kVoiceFace = 112;   // the base controller, shown with the voice message

MessageEntry Message(int32_t list, int32_t kind, int32_t outcome, const char* title, const char* body,
                     int32_t face = -1, int32_t active = MessageEntry::kShown) {
    MessageEntry m;
    std::strncpy(m.missionName, kTrainingMissionFile, MessageEntry::kNameBytes);
    m.list = list;
    m.kind = kind;
    m.conditions[MessageEntry::kOutcome] = outcome;
    m.title = title;
    m.body = body;
    m.face = face;
    m.active = active;
    return m;
}

MessageEntry Offer(int32_t outcome, const char* title, const char* launch, const char* body) {
    MessageEntry m = Message(MessageEntry::kEmail, MessageEntry::kKindOffer, outcome, title, body, kFace);
    m.launchFile = launch;
    return m;
}

Status PutMessage(IffFile& iff, const MessageEntry& message, Status status) {
    return PutBytes(iff, MessageEntry::kChunk, message.Encode(), status);
}

Status Finish(IffFile& iff, Status status) {
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

}  // namespace

Status WriteTrainingMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(1000.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);

    constexpr int32_t kFirst = MessageEntry::kFirstLoad;
    constexpr int32_t kWon = MessageEntry::kWon;
    const MessageEntry messages[] = {
        Message(MessageEntry::kEmail, 0, kFirst, "Welcome Aboard",
                "Welcome to the squadron, pilot. Your quarters are ready and your ship is fuelled.", kFace),
        Message(MessageEntry::kNews, 0, kFirst, "Raiders Sighted",
                "Raiders have been seen near the outer beacons. Patrols are doubled."),
        Message(MessageEntry::kNews, MessageEntry::kKindHeld, kFirst, "Training Under Way",
                "A new pilot has begun the squadron's training flight.", -1, MessageEntry::kHidden),
        Message(MessageEntry::kLog, 0, kFirst, "Reported For Duty", "Reported to the base and took a ship."),
        Message(MessageEntry::kVoice, 0, kFirst, "Base Control", "Welcome in, pilot. Report to the office.",
                kVoiceFace),
        Offer(kFirst, "Training Flight", kTrainingMissionFile,
              "Take your ship out past the beacon and back. No hostiles are expected."),
        Message(MessageEntry::kEmail, 0, kWon, "Training Debriefing",
                "Clean flying. The credits are in your account and the training pin is yours.", kFace),
        Message(MessageEntry::kLog, 0, kWon, "Training Flown", "Flew the training flight."),
        Offer(kWon, "Raider Strike", kStrikeMissionFile, "Two raiders are harassing the beacons. Take your wing and drive them off."),
    };
    for (const MessageEntry& message : messages) status = PutMessage(iff, message, status);

    MissionRecord award(mission_file::kAwardBytes);
    award.Word(0, kWon).Word(4, 0).Word(8, 100).Word(12, kTrainingAward).Word(16, int32_t(kTrainingTrophy));
    status = PutRecord(iff, mission_file::kAward, award, status);
    return Finish(iff, status);
}

Status WriteStrikeMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(1500.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", "Red 1", "Red", -100.0f, 0.0f, 1500.0f, 2, 0, 0, true), status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", "Red 2", "Red", 100.0f, 0.0f, 1500.0f, 2, 0, 0, true), status);
    return Finish(iff, status);
}
