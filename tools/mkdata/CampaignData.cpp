#include "tools/mkdata/CampaignData.h"

#include <cstring>
#include <string>
#include <utility>

#include "engine/IffFile.h"
#include "game/MessageEntry.h"
#include "mission/Goal.h"
#include "mission/MissionFile.h"
#include "tools/mkdata/MissionRecords.h"
#include "tools/mkdata/RandomData.h"

namespace {

constexpr int32_t kFace = 3;          // the squadron leader's picture in "faces.iff"
constexpr int32_t kVoiceFace = 112;   // the base controller, shown with the voice message

constexpr int32_t kFirst = MessageEntry::kFirstLoad;
constexpr int32_t kWon = MessageEntry::kWon;
constexpr int32_t kLost = MessageEntry::kLost;

MessageEntry Message(int32_t list, int32_t kind, int32_t outcome, const char* title, const char* body,
                     int32_t face = -1, int32_t active = MessageEntry::kShown, const char* file = kTrainingMissionFile) {
    MessageEntry m;
    std::strncpy(m.missionName, file, MessageEntry::kNameBytes);
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

Status PutAward(IffFile& iff, int32_t credits, uint32_t trophy, Status status) {
    MissionRecord award(mission_file::kAwardBytes);
    award.Word(0, kWon).Word(4, 0).Word(8, 100).Word(12, credits).Word(16, int32_t(trophy));
    return PutRecord(iff, mission_file::kAward, award, status);
}

// What a campaign mission's flight brings: won, its debriefing, a log
// entry and the next offer (none after the last mission); lost, word of
// it and the mission offered again.
struct Debriefing {
    const char* file;
    const char* title;        // the mission's offer
    const char* briefing;     // the body of the offer flown again
    const char* won;
    const char* log;
    const char* lost;
    const char* nextTitle = nullptr;
    const char* nextFile = nullptr;
    const char* nextBriefing = nullptr;
};

Status PutDebriefing(IffFile& iff, const Debriefing& d, Status status) {
    const std::string debriefing = std::string(d.title) + " Debriefing";
    const std::string failed = std::string(d.title) + " Failed";
    status = PutMessage(iff, Message(MessageEntry::kEmail, 0, kWon, debriefing.c_str(), d.won, kFace, MessageEntry::kShown, d.file), status);
    status = PutMessage(iff, Message(MessageEntry::kLog, 0, kWon, d.title, d.log, -1, MessageEntry::kShown, d.file), status);
    if (d.nextFile != nullptr) {
        MessageEntry next = Offer(kWon, d.nextTitle, d.nextFile, d.nextBriefing);
        std::strncpy(next.missionName, d.file, MessageEntry::kNameBytes);
        status = PutMessage(iff, next, status);
    }
    status = PutMessage(iff, Message(MessageEntry::kEmail, 0, kLost, failed.c_str(), d.lost, kFace, MessageEntry::kShown, d.file), status);
    MessageEntry again = Offer(kLost, d.title, d.file, d.briefing);
    std::strncpy(again.missionName, d.file, MessageEntry::kNameBytes);
    return PutMessage(iff, again, status);
}

constexpr const char* kStrikeBriefing =
    "Two raiders are harassing Beacon 7. Take Alpha 2 and drive them off, and bring him home: lock on with T and "
    "keep them in your sights.";
constexpr const char* kPatrolBriefing =
    "Fly the patrol out to the Patrol Point within ninety seconds, Alpha 2 wide on your left. A raider has been seen "
    "on that line and will come straight at you: Alpha 2 is too far out to reach him first, so bring him down "
    "yourself.";
constexpr const char* kSweepBriefing =
    "The raiders' last flight is forming up ahead of the base. Alpha 2 and Alpha 3 take the raiders on the flanks; "
    "the one in the middle comes straight for you and is yours. Destroy all three ships.";

Status Finish(IffFile& iff, Status status) {
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

}  // namespace

static_assert(kTrainingTimeMs == 90000, "the goal's text and the offers name the limit");
static_assert(kPatrolTimeMs == 90000, "the goal's text and the briefing name the limit");

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
        Offer(kWon, "Raider Strike", kStrikeMissionFile, kStrikeBriefing),
        // A flight that ran out of time pays nothing and is offered again.
        Message(MessageEntry::kEmail, 0, kLost, "Training Incomplete",
                "You were not back in time. Fly the training flight again when you are ready.", kFace),
        Offer(kLost, "Training Flight", kTrainingMissionFile,
              "Out past the Outer Beacon and home again, within ninety seconds."),
    };
    for (const MessageEntry& message : messages) status = PutMessage(iff, message, status);

    status = PutAward(iff, kTrainingAward, kTrainingTrophy, status);
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
    // Green raiders: a novice's set pieces are a head-on pass, a swoop and
    // a break, none of an ace's loops and rolls that carry it away from
    // its prey. While Alpha 2 fights one, the other comes straight on at a
    // pilot who sits idle and shoots him down; a pilot who flies at them
    // firing downs the first before it closes. Targets cycle in the world's
    // order, the ships' order in this file: the raiders come first, so that
    // the one T the briefing asks for locks on Red 1 rather than on Alpha 2.
    for (const auto& [name, x] : {std::pair{"Red 1", -100.0f}, std::pair{"Red 2", 100.0f}}) {
        status = PutRecord(iff, mission_file::kShip,
                           AiShipRecord("Skiff", name, "Red", x, 0.0f, 1500.0f, 2, 0, 0, true, PilotSkill::kNovice), status);
    }
    // Out to the left and behind, where a leader turning hard at full
    // throttle from the launch, whichever way, passes well clear of him: a
    // ram at that speed wrecks the leader's ship.
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("P101", kStrikeWingman, "Alpha", -130.0f, 0.0f, -60.0f, 1, 1), status);
    status = PutRecord(iff, mission_file::kBuoy, BuoyRecord("Beacon 7", 300.0f, 50.0f, 1800.0f, 20), status);
    // Both raiders down while the wingman's hull stays at kStrikeWingmanHull
    // per cent or more: a protection without a time holds until the raiders
    // are gone.
    status = PutRecord(iff, mission_file::kGoal, GoalRecord(1, Goal::kKill, "Red", "", "Destroy the raiders"), status);
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(2, Goal::kProtect, kStrikeWingman, "", "Keep Alpha 2 flying", 0.0f, -1,
                                  {.threshold = kStrikeWingmanHull}),
                       status);
    status = PutDebriefing(iff,
                           {.file = kStrikeMissionFile,
                            .title = "Raider Strike",
                            .briefing = kStrikeBriefing,
                            .won = "Both raiders down and Alpha 2 home. Good shooting: the strike pay and the "
                                   "strike ribbon are yours.",
                            .log = "Flew the strike on Beacon 7; both raiders destroyed.",
                            .lost = "The raiders got the better of you at Beacon 7. Rearm and fly the strike again.",
                            .nextTitle = "Beacon Patrol",
                            .nextFile = kPatrolMissionFile,
                            .nextBriefing = kPatrolBriefing},
                           status);
    status = PutAward(iff, kStrikeAward, kStrikeTrophy, status);
    return Finish(iff, status);
}

Status WritePatrolMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(1500.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);
    status = PutSky(iff, SkyLook{.seed = 5, .stars = 800, .sun = {0.6f, -0.5f, 0.6f}}, status);
    // Alpha 2 flies wide of the line, and the raider, a green pilot, comes
    // down it head on at the player. Alpha 2 only reaches him after he has
    // shot down a pilot who holds his course without firing; a pilot who
    // flies at him firing has the first shots (the laser outreaches his
    // gun), and Alpha 2 closes in while they fight. Nearer the line, Alpha 2
    // saved a pilot who only throttled; farther out, he came too late for
    // some who fought. The raider comes first, so that T locks on him
    // rather than on Alpha 2.
    status = PutRecord(iff, mission_file::kShip,
                       AiShipRecord("Raider", kPatrolRaider, "Red", 0.0f, 30.0f, 2200.0f, 2, 0, 0, true, PilotSkill::kNovice),
                       status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("P101", kStrikeWingman, "Alpha", -2500.0f, 0.0f, 0.0f, 1, 1), status);
    status = PutRecord(iff, mission_file::kWayPoint, NavPointRecord(kPatrolPoint, 0.0f, 0.0f, 1500.0f), status);
    // Out to the Patrol Point within the limit, and the raider down. The
    // way point's chain leads on to the raider, past the limit, so the
    // cockpit shows where to fly rather than the clock. The limit fails a
    // pilot who sits idle while Alpha 2 downs the raider for him.
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(1, Goal::kTravel, "", kPatrolPoint, "Fly to the Patrol Point", 400.0f, 3), status);
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(2, Goal::kFinishIn, "", "", "At the Patrol Point within 90 seconds", 0.0f, 1,
                                  {.timeMs = kPatrolTimeMs}),
                       status);
    status = PutRecord(iff, mission_file::kGoal, GoalRecord(3, Goal::kKill, kPatrolRaider, "", "Destroy the raider"), status);
    status = PutDebriefing(iff,
                           {.file = kPatrolMissionFile,
                            .title = "Beacon Patrol",
                            .briefing = kPatrolBriefing,
                            .won = "Patrol flown and the raider down. The patrol bonus is in your account, with the "
                                   "patrol star.",
                            .log = "Flew the beacon patrol; one raider destroyed.",
                            .lost = "The patrol was not finished. Fly it again.",
                            .nextTitle = "Raider Sweep",
                            .nextFile = kSweepMissionFile,
                            .nextBriefing = kSweepBriefing},
                           status);
    status = PutAward(iff, kPatrolAward, kPatrolTrophy, status);
    return Finish(iff, status);
}

Status WriteSweepMission(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(1500.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);
    status = PutSky(iff, SkyLook{.seed = 6, .stars = 1000, .sun = {-0.3f, -0.6f, 0.7f}}, status);
    // A raider for each of the wing: the wingmen fly wide on the flanks,
    // each against the raider ahead of him, and the middle raider, a green
    // pilot, comes down the line head on at the player (first of all the
    // ships, so that T reaches him before the others and the wingmen).
    // Both flank fights last longer than he takes to shoot down a pilot who
    // sits idle; a pilot who flies at him firing has the first shots, and
    // the wingmen close in once their own raiders are down.
    status = PutRecord(iff, mission_file::kShip,
                       AiShipRecord("Raider", "Red 4", "Red", 0.0f, 30.0f, 2200.0f, 2, 0, 0, true, PilotSkill::kNovice),
                       status);
    for (const auto& [name, x] : {std::pair{"Red 5", -2000.0f}, std::pair{"Red 6", 2000.0f}}) {
        status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", name, "Red", x, 0.0f, 2500.0f, 2, 0, 0, true), status);
    }
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("P101", "Alpha 2", "Alpha", -2000.0f, 0.0f, 0.0f, 1, 1), status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("P101", "Alpha 3", "Alpha", 2000.0f, 0.0f, 0.0f, 1, 1), status);
    status = PutRecord(iff, mission_file::kGoal, GoalRecord(1, Goal::kKill, "Red", "", "Destroy the raiders"), status);
    status = PutDebriefing(iff,
                           {.file = kSweepMissionFile,
                            .title = "Raider Sweep",
                            .briefing = kSweepBriefing,
                            .won = "The last of the raiders is down. The sweep pay and the squadron's cross are yours.",
                            .log = "Flew the raider sweep; the raiders' last flight destroyed.",
                            .lost = "The raiders held the sweep off. Fly it again."},
                           status);
    // The campaign's end, told once every campaign trophy is held.
    MessageEntry end = Message(MessageEntry::kEmail, 0, kWon, kCampaignEndTitle,
                               "The raiders are finished in this sector and the beacons are safe. Your campaign is "
                               "complete, pilot: the squadron thanks you. There are no more missions to fly.",
                               kFace, MessageEntry::kShown, kSweepMissionFile);
    end.conditions[MessageEntry::kTrophyMask] = int32_t(kTrainingTrophy | kStrikeTrophy | kPatrolTrophy | kSweepTrophy);
    status = PutMessage(iff, end, status);
    status = PutMessage(iff, Message(MessageEntry::kNews, 0, kWon, "Raiders Driven Off",
                                     "The squadron has destroyed the last raiders in the sector.", -1,
                                     MessageEntry::kShown, kSweepMissionFile),
                        status);
    status = PutAward(iff, kSweepAward, kSweepTrophy, status);
    return Finish(iff, status);
}
