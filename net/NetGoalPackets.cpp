#include "net/NetGoalPackets.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Clock.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/FlightGoals.h"
#include "mission/Goal.h"
#include "net/NetHandlers.h"
#include "net/NetPacketReaders.h"
#include "net/NetPacketType.h"
#include "net/NetPilotBounds.h"
#include "net/NetSession.h"
#include "net/PacketBytes.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"

namespace {

// The goal classes by their wire numbers.
constexpr int32_t kWireKill = 0;
constexpr int32_t kWireDisable = 1;
constexpr int32_t kWireProtect = 2;
constexpr int32_t kWireTravel = 3;
constexpr int32_t kWireWait = 7;
constexpr int32_t kWireFinishIn = 8;
constexpr int32_t kWireJumpThrough = 9;
constexpr int32_t kNoWireType = -1;
constexpr int32_t kNoText = -1;
constexpr int32_t kClockStart = 1;
constexpr int32_t kClockRestart = 2;
constexpr uint32_t kFormMet = 0;
constexpr uint32_t kFormActivation = 1;
// Each text keeps both within the largest packet.
constexpr uint32_t kMostTextBytes = (NetPacket::kMaxPacketBytes - NetPacket::kGoalNewFixedBytes) / 2 - 1;

int32_t WireType(const Goal& goal) {
    switch (goal.GetKind()) {
        case Goal::kKill: return kWireKill;
        case Goal::kDisable: return kWireDisable;
        case Goal::kProtect: return kWireProtect;
        case Goal::kTravel: return goal.recordType == Goal::kJumpThrough ? kWireJumpThrough : kWireTravel;
        case Goal::kWait: return kWireWait;
        case Goal::kFinishIn: return kWireFinishIn;
        default: return kNoWireType;
    }
}

// The goal's kind-specific distance and value words.
int32_t Truncated(float value) {
    if (!std::isfinite(value)) return 0;
    if (value >= 2147483647.0f) return INT32_MAX;
    if (value <= -2147483648.0f) return INT32_MIN;
    return int32_t(value);
}

int32_t ValueOf(const Goal& goal) {
    switch (goal.GetKind()) {
        case Goal::kDisable: return goal.threshold;
        case Goal::kTravel: return goal.travelSecond;
        // Protecting lasts a time here, as waiting does.
        case Goal::kProtect:
        case Goal::kWait:
        case Goal::kFinishIn: return int32_t(goal.timeMs);
        default: return 0;
    }
}

// The one object GOAL_NEW names: a travel goal's destination, which is
// what a client's own check of it measures and its jump goes through;
// any other goal's subject.
const SpaceObject* WireObject(const Goal& goal) {
    if (goal.GetKind() == Goal::kTravel && goal.destination != nullptr) return goal.destination;
    return goal.GetSubject();
}

std::optional<PacketReader> Exact(const uint8_t* data, uint32_t received, uint16_t type, uint32_t size) {
    const std::optional<NetPacketHeader> header = net_read::Header(data, received);
    if (!header || header->type != type || header->size != size) return std::nullopt;
    return PacketReader(data, header->size);
}

// A text offset is -1, or inside the text area with its NUL before the packet ends.
bool TextAt(const uint8_t* data, uint32_t size, int32_t offset, const char** out) {
    *out = nullptr;
    if (offset == kNoText) return true;
    const uint32_t area = size - NetPacket::kGoalNewFixedBytes;
    if (offset < 0 || uint32_t(offset) >= area) return false;
    const uint8_t* const text = data + NetPacket::kGoalNewFixedBytes + offset;
    if (std::memchr(text, 0, area - uint32_t(offset)) == nullptr) return false;
    *out = reinterpret_cast<const char*>(text);
    return true;
}

std::optional<net_read::GoalState> ReadState(const uint8_t* data, uint32_t received, uint16_t type, uint32_t size) {
    std::optional<PacketReader> in = Exact(data, received, type, size);
    if (!in) return std::nullopt;
    net_read::GoalState state;
    state.id = in->I32(8);
    state.ship = in->I32Within(12, net_read::kNoObject, INT32_MAX);
    state.value = in->U32(16);
    if (type == kSetGoal) state.form = in->U32(20);
    if (!in->Ok() || state.form > kFormActivation) return std::nullopt;
    return state;
}

GameState* Game() { return g_gameState; }

// A goal of the class the wire type names, its type-specific words set.
Goal* MakeGoalOf(const net_read::GoalNew& in, SpaceObject* world) {
    Goal* goal = nullptr;
    switch (in.recordType) {
        case kWireKill: goal = new KillGoal(world, 0); break;
        case kWireDisable: goal = new DisableGoal(world, 0); goal->threshold = in.value; break;
        case kWireProtect: goal = new ProtectGoal(world, 0); goal->timeMs = uint32_t(in.value); break;
        case kWireTravel:
        case kWireJumpThrough:
            goal = new TravelGoal(world, 0);
            goal->distance = float(in.distance);
            goal->travelSecond = in.value;
            break;
        case kWireWait: goal = new WaitGoal(world, 0); goal->timeMs = uint32_t(in.value); break;
        case kWireFinishIn: goal = new FinishInGoal(world, 0); goal->timeMs = uint32_t(in.value); break;
        default: return nullptr;
    }
    goal->recordType = in.recordType == kWireJumpThrough ? Goal::kJumpThrough : goal->GetKind();
    return goal;
}

void SendGoal(NetSession& session, uint16_t type, const Goal* goal, int32_t form) {
    NetPacket packet;
    packet.BuildGoalPacket(type, goal, form);
    if (packet.GetData() == nullptr) return;
    if (type == kGoalDone) {
        net_handlers::SendToServer(session, packet.GetData(), packet.GetSize());
    } else {
        net_handlers::SendToAll(session, packet.GetData(), packet.GetSize());
    }
}

// A host tells its goals once, and a mission has some dozens: past this
// a host would be making the client hold goals without end.
constexpr int32_t kMostGoals = 512;

// Neither met nor failed yet, switched on or not.
bool Open(const Goal& goal) { return goal.done == 0 && goal.met == 0; }

// A report met, as the host's own check would meet it, or answered with
// what the host holds.
void TakeReport(NetSession& session, Goal& goal, SpaceObject& ship, uint32_t value) {
    // The first report of an open goal meets it for everybody. A later one
    // (another ship got there too) keeps the first one's credit, and none
    // undoes what the host has decided: a goal failed here stays failed.
    const bool open = goal.done == 0 && goal.met == 0;
    // An open goal not yet switched on is met by nothing yet: the report
    // changes nothing, and is not answered with an open goal's met form,
    // which every client would take for the goal failed.
    if (open && goal.active == 0) return;
    const bool meets = open && value != 0 && ship.type >= SpaceObject::kTypeCraft;
    // A goal still open here has nothing decided to tell: its met form
    // would fail it on every client.
    if (open && !meets) return;
    // Met as the host's own check would meet it: the clock it starts or restarts is the host's too.
    if (meets) flight_goals::MetElsewhere(goal, &ship);
    // A player goal met here was told to all, the reporter too, as it was
    // activated; otherwise the reporter hears what the host holds.
    if (!meets || goal.playerGoal == 0) SendGoal(session, kSetGoal, &goal, int32_t(kFormMet));
}

bool Waited(const NetReportedGoal& report, uint32_t now) { return now - report.at > net_bounds::kGoalReportMs; }

// The goal waits for the pilot's copy from `now`: in its own place when it
// waits already, else in a free one or one whose report has waited its
// time; with none left the report is refused.
void KeepReport(NetPlayer& pilot, int32_t goal, uint32_t now) {
    NetReportedGoal* place = nullptr;
    for (NetReportedGoal& report : pilot.reportedGoals) {
        if (report.goal == goal) place = &report;
    }
    for (NetReportedGoal& report : pilot.reportedGoals) {
        if (place == nullptr && (report.goal < 0 || Waited(report, now))) place = &report;
    }
    if (place != nullptr) *place = NetReportedGoal{goal, now};
}

NetSession* ActiveSession() {
    NetSession* const session = Game() != nullptr ? Game()->netSession : nullptr;
    return session != nullptr && session->IsActive() ? session : nullptr;
}

}  // namespace

void NetPacket::BuildGoalPacket(uint16_t type, const Goal* goal, int32_t form) {
    const int32_t id = goal != nullptr ? goal->id : -1;
    const SpaceObject* const metBy = goal != nullptr ? goal->metBy : nullptr;
    const int32_t ship = metBy != nullptr ? metBy->uoid : -1;
    if (type == kSetGoal || type == kGoalDone) {
        if (!Allocate(type == kSetGoal ? kSetGoalBytes : kGoalDoneBytes)) return;
        PacketWriter out(data_, size_);
        out.I32(8, id);
        out.I32(12, ship);
        const bool activation = type == kSetGoal && form == int32_t(kFormActivation);
        out.I32(16, goal == nullptr ? 0 : activation ? goal->active : goal->met);
        if (type == kSetGoal) out.U32(20, activation ? kFormActivation : kFormMet);
        WriteHeader(type, PF_QUEUE_1);
        return;
    }
    if (type != kGoalNew) return;
    const char* const objective = goal != nullptr ? goal->GetObjectiveText() : "";
    const char* const second = goal != nullptr ? goal->GetSecondText() : "";
    const uint32_t objectiveLength = uint32_t(strnlen(objective, kMostTextBytes));
    const uint32_t secondLength = uint32_t(strnlen(second, kMostTextBytes));
    const uint32_t objectiveBytes = objectiveLength > 0 ? objectiveLength + 1 : 0;
    const uint32_t secondBytes = secondLength > 0 ? secondLength + 1 : 0;
    if (!Allocate(kGoalNewFixedBytes + objectiveBytes + secondBytes)) return;
    PacketWriter out(data_, size_);
    out.I32(8, id);
    out.I32(12, goal != nullptr ? WireType(*goal) : kNoWireType);
    const bool jump = goal != nullptr && g_gameState != nullptr && g_gameState->jumpGoal == goal;
    out.U32(16, jump ? 1 : 0);
    if (goal != nullptr) {
        if (goal->GetKind() == Goal::kTravel) out.I32(20, Truncated(goal->distance));
        out.I32(24, ValueOf(*goal));
    }
    const SpaceObject* const named = goal != nullptr ? WireObject(*goal) : nullptr;
    // A subject this machine still waits for is named all the same.
    out.I32(28, named != nullptr ? named->uoid : goal != nullptr && goal->pendingSubject >= 0 ? goal->pendingSubject : -1);
    if (goal != nullptr) {
        out.I32(32, goal->clockStart != 0 ? kClockStart : goal->clockRestart != 0 ? kClockRestart : 0);
        out.U32(36, uint32_t(goal->playerGoal));
        out.U32(40, uint32_t(goal->active));
        out.U32(44, uint32_t(goal->wordC));
        out.I32(48, goal->side);
    }
    out.I32(52, secondBytes > 0 ? int32_t(objectiveBytes) : kNoText);
    out.I32(56, objectiveBytes > 0 ? 0 : kNoText);
    for (uint32_t i = 0; i < objectiveLength; ++i) out.U8(kGoalNewFixedBytes + i, uint8_t(objective[i]));
    for (uint32_t i = 0; i < secondLength; ++i) out.U8(kGoalNewFixedBytes + objectiveBytes + i, uint8_t(second[i]));
    WriteHeader(type, PF_QUEUE_1);
}

namespace net_read {

std::optional<GoalNew> ReadGoalNew(const uint8_t* data, uint32_t received) {
    const std::optional<NetPacketHeader> header = Header(data, received);
    if (!header || header->type != kGoalNew || header->size < NetPacket::kGoalNewFixedBytes) return std::nullopt;
    PacketReader in(data, header->size);
    GoalNew goal;
    goal.id = in.I32(8);
    goal.recordType = in.I32(12);
    goal.jumpGoal = in.U32(16);
    goal.distance = in.I32(20);
    goal.value = in.I32(24);
    goal.subject = in.I32Within(28, kNoObject, INT32_MAX);
    goal.clock = in.I32Within(32, 0, kClockRestart);
    goal.playerGoal = in.U32(36);
    goal.active = in.U32(40);
    goal.wordC = in.U32(44);
    goal.side = in.I32(48);
    const int32_t secondOffset = in.I32(52);
    const int32_t objectiveOffset = in.I32(56);
    if (!in.Ok() || !TextAt(data, header->size, objectiveOffset, &goal.objective) ||
        !TextAt(data, header->size, secondOffset, &goal.second)) {
        return std::nullopt;
    }
    return goal;
}

std::optional<GoalState> ReadSetGoal(const uint8_t* data, uint32_t received) {
    return ReadState(data, received, kSetGoal, NetPacket::kSetGoalBytes);
}

std::optional<GoalState> ReadGoalDone(const uint8_t* data, uint32_t received) {
    return ReadState(data, received, kGoalDone, NetPacket::kGoalDoneBytes);
}

}  // namespace net_read

namespace net_handlers {

void GoalNew(const NetInbound& packet) {
    GameState* const game = Game();
    SpaceObject* const world = World();
    if (game == nullptr || world == nullptr) return;
    const std::optional<net_read::GoalNew> in = net_read::ReadGoalNew(packet.data, packet.size);
    // The host sends its whole list again: the goals held stay as they are.
    if (!in || FindGoalById(in->id) != nullptr || CountGoals() >= kMostGoals) return;
    Goal* const goal = MakeGoalOf(*in, world);
    if (goal == nullptr) return;
    game->mission->goalList = g_goalList;
    goal->clockStart = in->clock == kClockStart ? 1 : 0;
    goal->clockRestart = in->clock == kClockRestart ? 1 : 0;
    if (SpaceObject* const named = FindByUoid(in->subject)) {
        if (goal->GetKind() == Goal::kTravel) {
            goal->destination = named;
        } else {
            goal->SetSubject(named);
        }
    } else if (in->subject >= 0) {
        // Bound as the subject once it arrives; the objective and the jump
        // follow a travel goal's subject where it has no destination.
        goal->pendingSubject = in->subject;
    }
    goal->id = in->id;
    goal->playerGoal = int32_t(in->playerGoal);
    goal->side = in->side;
    goal->active = int32_t(in->active);
    goal->wordC = int32_t(in->wordC);
    if (in->jumpGoal != 0) game->jumpGoal = goal;
    if (in->objective != nullptr) goal->SetObjectiveText(in->objective);
    if (in->second != nullptr) goal->SetSecondText(in->second);
    // The description is made from the objective text.
    goal->GetDescription();
}

void SetGoal(const NetInbound& packet) {
    GameState* const game = Game();
    if (game == nullptr || World() == nullptr) return;
    const std::optional<net_read::GoalState> in = net_read::ReadSetGoal(packet.data, packet.size);
    if (!in) return;
    SpaceObject* const ship = FindByUoid(in->ship);
    if (Goal* const goal = FindGoalById(in->id)) {
        if (in->form == kFormActivation) {
            goal->active = int32_t(in->value);
        } else if (in->value == 0) {
            // The met form with nothing met: the host's goal failed.
            goal->Fail();
        } else {
            goal->metBy = ship;
            goal->met = int32_t(in->value);
            // Decided on the host: this machine checks it no more.
            goal->done = 1;
        }
    }
    if (game->playerShip != nullptr) {
        Goal* const objective = CurrentObjective(game->playerShip->side);
        game->TheCockpit().SetObjective(objective, objective != nullptr ? objective->GetObjectiveText() : nullptr,
                                        objective != nullptr ? objective->GetSecondText() : nullptr);
    }
}

void GoalDone(const NetInbound& packet) {
    if (Game() == nullptr || World() == nullptr) return;
    const std::optional<net_read::GoalState> in = net_read::ReadGoalDone(packet.data, packet.size);
    if (!in) return;
    SpaceObject* const ship = FindByUoid(in->ship);
    Goal* const goal = FindGoalById(in->id);
    // A reload goal is each machine's own, for its own pilot's ship: a
    // member's word never meets the host's (the copy rearms by itself).
    if (goal == nullptr || goal->GetKind() == Goal::kReload) return;
    // A report names the reporter's own ship, flying, and a goal that ship
    // meets where the host holds it: a client decides only what its own
    // ship meets by flying (a travel leg, a reload, the jump); every other
    // goal the host decides from its own world.
    NetSession& session = packet.session;
    const int32_t entry = session.FindPlayerByDpid(packet.from);
    if (ship == nullptr || entry < 0 || ship->uoid != session.GetPlayerUoid(entry) || !net_bounds::Flying(*ship)) return;
    if (!goal->ShipThere(*ship) || (Open(*goal) && goal->active == 0)) {
        // The pilot's machine tells a goal met before it reports the place
        // it met it at, and a leg the one before it switched on before the
        // host has met that one: the copy may come there, and the goal come
        // on, with the next reports. Only a report that would meet the goal
        // there waits.
        NetPlayer* const pilot = session.EditPlayer(entry);
        if (in->value != 0 && Open(*goal) && pilot != nullptr) KeepReport(*pilot, goal->id, GetMilliseconds());
        return;
    }
    TakeReport(session, *goal, *ship, in->value);
}

void TakeReportedGoal(NetSession& session, int32_t entry, SpaceObject& ship) {
    NetPlayer* const pilot = session.EditPlayer(entry);
    if (pilot == nullptr) return;
    const uint32_t now = GetMilliseconds();
    // A goal met here may switch on another that waits behind it: once more
    // while one was met.
    for (bool met = true; met;) {
        met = false;
        for (NetReportedGoal& report : pilot->reportedGoals) {
            if (report.goal < 0) continue;
            Goal* const goal = FindGoalById(report.goal);
            // Decided meanwhile, or told too long before.
            if (goal == nullptr || !Open(*goal) || Waited(report, now)) {
                report = NetReportedGoal{};
                continue;
            }
            if (goal->active == 0 || !net_bounds::Flying(ship) || !goal->ShipThere(ship)) continue;
            report = NetReportedGoal{};
            TakeReport(session, *goal, ship, 1);
            met = true;
        }
    }
}

void SendSharedGoals(NetSession& session) {
    GameState* const game = Game();
    if (game == nullptr || game->mission == nullptr) return;
    game->mission->goalList = g_goalList;
    for (const Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->playerGoal == 0) continue;
        SendGoal(session, kGoalNew, goal, 0);
        // GOAL_NEW has no word for a decided goal: a player joining late
        // hears right behind it that the goal is met or failed.
        if (goal->done != 0) SendGoal(session, kSetGoal, goal, int32_t(kFormMet));
    }
}

void InstallGoalHooks() {
    GoalNetHooks hooks;
    hooks.met = [](Goal* goal) {
        NetSession* const session = ActiveSession();
        if (session != nullptr) SendGoal(*session, session->IsHost() ? kSetGoal : kGoalDone, goal, int32_t(kFormMet));
    };
    // A failed goal goes out as the met form with nothing met.
    hooks.failed = [](Goal* goal) {
        NetSession* const session = ActiveSession();
        if (session != nullptr && session->IsHost()) SendGoal(*session, kSetGoal, goal, int32_t(kFormMet));
    };
    hooks.switched = [](Goal* goal) {
        NetSession* const session = ActiveSession();
        if (session != nullptr && session->IsHost()) SendGoal(*session, kSetGoal, goal, int32_t(kFormActivation));
    };
    SetGoalNetHooks(hooks);
}

void RearmAtStations(NetSession& session, int32_t entry, SpaceObject& ship) {
    NetPlayer* const pilot = session.EditPlayer(entry);
    auto* const craft = dynamic_cast<Craft*>(&ship);
    if (pilot == nullptr || craft == nullptr || !net_bounds::Flying(ship)) return;
    // The velocity a report states is the member's word: the copy rests by
    // where its reports put it over time, watched on every report.
    const bool resting = net_bounds::RestsAt(pilot->rest, ship, ReloadGoal::kDockSpeed, GetMilliseconds());
    for (const Goal* goal = GetGoalList(); resting && goal != nullptr; goal = goal->next) {
        if (goal->GetKind() != Goal::kReload) continue;
        const SpaceObject* const station = goal->GetSubject();
        DynArray<int32_t>& rearmed = pilot->rearmedAt;
        if (station == nullptr || std::find(rearmed.begin(), rearmed.end(), station->uoid) != rearmed.end()) continue;
        if (!static_cast<const ReloadGoal*>(goal)->Rearms(ship, true) || !rearmed.Append(station->uoid)) continue;
        craft->Rearm();
    }
}

}  // namespace net_handlers
