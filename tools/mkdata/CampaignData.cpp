#include "tools/mkdata/CampaignData.h"

#include <cstring>
#include <string>

#include "engine/IffFile.h"
#include "game/MessageEntry.h"
#include "mission/Goal.h"
#include "mission/MissionFile.h"
#include "tools/mkdata/MissionRecords.h"
#include "tools/mkdata/RandomData.h"

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

static_assert(kTrainingTimeMs == 90000, "the goal's text and the offers name the limit");

Status WriteTrainingMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(1000.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);
    status = PutSky(iff, SkyLook{.seed = 3, .sun = {0.5f, -0.6f, 0.6f}}, status);
    // Straight ahead of the start, and the start itself.
    status = PutRecord(iff, mission_file::kBuoy, BuoyRecord(kTrainingBeacon, 0.0f, 0.0f, 1200.0f, 10), status);
    status = PutRecord(iff, mission_file::kWayPoint, NavPointRecord(kTrainingHome, 0.0f, 0.0f, 0.0f), status);
    // Out to the beacon, then home, which the beacon switches on (it lies
    // at the start, and would be met there at once). The time limit holds
    // for the whole round: it is met with the way home, its next goal. The
    // beacon's chain leads straight home, past the limit, so the cockpit
    // shows where to fly rather than the clock. The reaches are wide, so
    // that a pilot who turns back roughly still comes home.
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(1, Goal::kTravel, "", kTrainingBeacon, "Fly to the Outer Beacon", 300.0f, 3), status);
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(2, Goal::kFinishIn, "", "", "Back within 90 seconds", 0.0f, 3,
                                  {.timeMs = kTrainingTimeMs}),
                       status);
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(3, Goal::kTravel, "", kTrainingHome, "Return home", 400.0f, -1, {.active = 0}), status);

    constexpr int32_t kFirst = MessageEntry::kFirstLoad;
    constexpr int32_t kWon = MessageEntry::kWon;
    constexpr int32_t kLost = MessageEntry::kLost;
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
              "Take your ship out past the Outer Beacon and back within ninety seconds. No hostiles are expected."),
        Message(MessageEntry::kEmail, 0, kWon, "Training Debriefing",
                "Clean flying. The credits are in your account and the training pin is yours.", kFace),
        Message(MessageEntry::kLog, 0, kWon, "Training Flown", "Flew the training flight."),
        Offer(kWon, "Raider Strike", kStrikeMissionFile, "Two raiders are harassing the beacons. Take your wing and drive them off."),
        // A flight that ran out of time pays nothing and is offered again.
        Message(MessageEntry::kEmail, 0, kLost, "Training Incomplete",
                "You were not back in time. Fly the training flight again when you are ready.", kFace),
        Offer(kLost, "Training Flight", kTrainingMissionFile,
              "Out past the Outer Beacon and home again, within ninety seconds."),
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
    // The raid flies towards a low sun: the hulls ahead show their lit flanks.
    status = PutSky(iff, SkyLook{.seed = 4, .stars = 700, .sun = {-0.5f, -0.4f, 0.7f}}, status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("P101", kStrikeWingman, "Alpha", -40.0f, 0.0f, -30.0f, 1, 1), status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", "Red 1", "Red", -100.0f, 0.0f, 1500.0f, 2, 0, 0, true), status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", "Red 2", "Red", 100.0f, 0.0f, 1500.0f, 2, 0, 0, true), status);
    status = PutRecord(iff, mission_file::kBuoy, BuoyRecord("Beacon 7", 300.0f, 50.0f, 1800.0f, 20), status);
    // Both raiders down while the wingman's hull stays at kStrikeWingmanHull
    // per cent or more: a protection without a time holds until the raiders
    // are gone.
    status = PutRecord(iff, mission_file::kGoal, GoalRecord(1, Goal::kKill, "Red", "", "Destroy the raiders"), status);
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(2, Goal::kProtect, kStrikeWingman, "", "Keep Alpha 2 flying", 0.0f, -1,
                                  {.threshold = kStrikeWingmanHull}),
                       status);
    return Finish(iff, status);
}
