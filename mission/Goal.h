#pragma once
#include <cstdint>
#include <string>

#include "engine/EngineAllocation.h"

class SpaceObject;

// A mission goal: every goal is on the global goal list from construction
// to destruction. What the world reads of it: its kind, its description,
// and the objects it names (its subject, a destination and the ship that met
// it), all of which it forgets when they leave the world. Each kind checks
// itself in Evaluate, once a pass while it is active, and ends either met
// (met and done set) or failed (done set, met clear); a goal that is
// neither is still open.
class Goal : public EngineObject {
public:
    enum Kind : int32_t {
        kNone = 0, kKill = 1, kProtect = 2, kDisable = 3, kWait = 4, kTravel = 5, kFinishIn = 6, kReload = 20,
    };
    // The record type of the goal that a jump gate's passage meets.
    static constexpr int32_t kJumpThrough = 9;
    static constexpr int kLinks = 4;
    // Bits of word C, as a mission file sets them.
    static constexpr int32_t kUndetected = 1;        // fails once the player's ship is reported before it is met
    static constexpr int32_t kStartsClock = 2;       // meeting it starts the mission clock, once
    static constexpr int32_t kRestartsClock = 4;     // meeting it starts the mission clock again
    static constexpr int32_t kCrippledSubject = 8;   // its subject starts the flight with its systems run down
    static constexpr int kLinkNameBytes = 16;

    // The world list the goal is about and a word nobody reads: the kinds'
    // constructors take the same pair.
    explicit Goal(SpaceObject* world = nullptr, int32_t unused = 0);
    virtual ~Goal();
    Goal(const Goal&) = delete;
    Goal& operator=(const Goal&) = delete;

    virtual int32_t GetKind() const { return kNone; }
    // The generated goal text, made on first use.
    virtual const char* GetDescription();
    virtual SpaceObject* GetSubject() const { return subject_; }
    virtual void SetSubject(SpaceObject* subject) { subject_ = subject; }

    // Every name of the object the goal holds is cleared.
    void ForgetObject(const SpaceObject* object);
    // One check at `elapsedMs` on the mission clock: sets `met` (and clears
    // `active`) once the goal is met, or fails it once it can no longer be
    // met; 1 when it is met.
    virtual int32_t Evaluate(uint32_t elapsedMs);
    // Whether `ship` is where flying meets this goal (a travel leg's reach,
    // its gate's for the jump, a reload's dock at rest), whoever checks: the
    // ship's own machine, or the host judging its pilot's word. False for
    // the goals no flight meets.
    virtual bool ShipThere(const SpaceObject&) const { return false; }
    // Done without being met; the goal is checked no more.
    void Fail();
    bool Failed() const { return done != 0 && met == 0; }
    // A protect goal without a time: met only with the player's last other
    // goal, so it never holds its chain back (PassOnChain).
    bool HoldsUntilTheEnd() const { return GetKind() == kProtect && timeMs == 0; }
    // Counts for a ship of `side`: a player's goal of that side or of any.
    bool CountsFor(int32_t side) const { return playerGoal != 0 && (this->side == 0 || this->side == side); }

    const char* GetObjectiveText() const { return objectiveText.c_str(); }
    const char* GetSecondText() const { return secondText.c_str(); }
    void SetObjectiveText(const char* text) { objectiveText = text != nullptr ? text : ""; }
    void SetSecondText(const char* text) { secondText = text != nullptr ? text : ""; }

    Goal* next = nullptr;   // on the global goal list
    int32_t id = 0;
    int32_t recordType = 0;     // 9: jump through
    int32_t playerGoal = 0;     // counts for the player
    int32_t side = 0;           // 0 any, else the player's team number + 1
    int32_t display = 0;
    int32_t active = 0;         // 0: nothing left to check
    int32_t clockStart = 0;
    int32_t clockRestart = 0;
    int32_t met = 0;
    int32_t done = 0;
    SpaceObject* metBy = nullptr;
    int32_t location[3] = {};
    SpaceObject* destination = nullptr;
    std::string objectiveText;
    std::string secondText;
    int32_t wordC = 0;
    int32_t threshold = 0;        // percent of the subject's hit points (disable)
    uint32_t timeMs = 0;          // wait, protect and finish-in
    float distance = 0.0f;        // travel: how near the destination counts
    int32_t travelSecond = 0;     // travel: the second value of its record
    Goal* nextGoal = nullptr;     // on the objective chain
    int32_t nextGoalId = -1;      // what nextGoal is found by once all goals exist
    // The subject's uoid while it has not entered the world; -1 none.
    int32_t pendingSubject = -1;
    // A kill goal's subject may be a whole wing, named here; empty otherwise.
    char subjectWing[kLinkNameBytes + 1] = {};
    // Goals or objects named here are switched on or off when the goal is
    // met (a goal that holds until the end too: only its chain is passed on
    // before).
    struct Link {
        char name[kLinkNameBytes + 1] = {};
        int32_t on = 0;
    };
    Link links[kLinks];
    int32_t chainPassed = 0;     // its next goal has been switched on
    int32_t linksSwitched = 0;
    SpaceObject* world = nullptr;

protected:
    std::string description_;

private:
    SpaceObject* subject_ = nullptr;
};

// "Reload at": a rearm station's goal, on the global goal list like any.
// Met when the player's ship comes to rest (below kDockSpeed) within
// kDockReach of the station's hull while the station is in the world; the
// ship is rearmed then.
class ReloadGoal : public Goal {
public:
    explicit ReloadGoal(SpaceObject* ship);
    static constexpr float kDockReach = 100.0f;
    static constexpr float kDockSpeed = 20.0f;
    int32_t GetKind() const override { return kReload; }
    const char* GetDescription() override;
    int32_t Evaluate(uint32_t elapsedMs) override;
    bool ShipThere(const SpaceObject& ship) const override;
    // Whether the station rearms `ship` now, `resting` saying whether the
    // ship is at rest: both whole, the station in the world (a station a
    // mission still holds back, or one gone through a jump, rearms
    // nothing), the ship resting within reach of it.
    bool Rearms(const SpaceObject& ship, bool resting) const;

private:
    bool InReach(const SpaceObject& ship) const;
};

// Met once its subject (every ship of its wing, when it names a wing) is
// destroyed or gone from the world.
class KillGoal : public Goal {
public:
    using Goal::Goal;
    int32_t GetKind() const override { return kKill; }
    int32_t Evaluate(uint32_t elapsedMs) override;
};

// Met once its subject's hit points fall to `threshold` percent or below
// while it lives; failed when it is destroyed first.
class DisableGoal : public Goal {
public:
    using Goal::Goal;
    int32_t GetKind() const override { return kDisable; }
    int32_t Evaluate(uint32_t elapsedMs) override;
};

// Failed once its subject is destroyed or gone, or its hit points fall
// below `threshold` percent; met when it still holds at `timeMs` on the
// mission clock (a time of 0 holds until every other goal of the player is
// met, and is met with them).
class ProtectGoal : public Goal {
public:
    using Goal::Goal;
    int32_t GetKind() const override { return kProtect; }
    int32_t Evaluate(uint32_t elapsedMs) override;
};

// Met when the player's ship comes within `distance` of the destination
// (its location words, without one). A jump-through goal is met as the
// ship flies that near its gate, and the ship jumps.
class TravelGoal : public Goal {
public:
    using Goal::Goal;
    int32_t GetKind() const override { return kTravel; }
    int32_t Evaluate(uint32_t elapsedMs) override;
    bool ShipThere(const SpaceObject& ship) const override;
};

// Met once the mission clock reaches `timeMs`. With a countdown its second
// text is the countdown's lead followed by the whole seconds still to wait
// ("... in 15 seconds", "... in 1 second"), counted down as the clock runs.
class WaitGoal : public Goal {
public:
    using Goal::Goal;
    int32_t GetKind() const override { return kWait; }
    int32_t Evaluate(uint32_t elapsedMs) override;
    // Counts down from now on, the second text at once the whole wait's.
    void SetCountdown(const char* lead);

private:
    void CountDown(uint32_t elapsedMs);

    std::string countdownLead_;   // empty: the second text stays as it was set
};

// Met when its next goal is met before the mission clock passes `timeMs`;
// failed when the clock passes it first or the next goal fails.
class FinishInGoal : public Goal {
public:
    using Goal::Goal;
    int32_t GetKind() const override { return kFinishIn; }
    int32_t Evaluate(uint32_t elapsedMs) override;
};

// The goal of a record type (a jump through a gate is travel); null for a
// type no goal has.
Goal* MakeGoal(int32_t recordType, SpaceObject* world);

// The head of every goal, newest first.
extern Goal* g_goalList;
// The player's goals in the order they are pursued, linked by nextGoal.
extern Goal* g_objectiveChain;
Goal* GetGoalList();
Goal* FindGoalById(int32_t id);
// The object entering the world becomes the subject of every goal that waits for its uoid.
void BindPendingSubjects(SpaceObject* object);
// The goal is met by `ship`: its next goal on the chain is switched on and
// its links are switched, once, goals by their objective text and world
// objects by name (a craft switched on arrives by jump). A network game
// hears of a player goal met here and of each player goal switched.
void ActivateGoal(Goal* goal, SpaceObject* ship);
// A goal that holds until the end switches on its next goal as it comes
// on, without being met: what follows it is flown while it holds. Its
// links, whatever they switch on or off, wait for it to be met.
void PassOnChain(Goal* goal);
// The goal fails, unless it is met; a network host tells its clients of a
// player's goal (a goal its own check failed is passed here to be told).
void FailGoal(Goal* goal);
// The first goal of the objective chain still to be pursued by a ship of
// `side`: active, a player's goal of that side or any, with an objective
// text, met by nobody yet; one that holds until the end only while no
// other is to be flown for; null when there is none.
Goal* CurrentObjective(int32_t side);
// How many goals there are: the bound of every walk of the chain, which a
// network game's goals may have made loop.
int32_t CountGoals();
// What a network game is told by ActivateGoal; the network installs it
// (null members: nobody is told).
struct GoalNetHooks {
    void (*met)(Goal* goal) = nullptr;
    void (*switched)(Goal* goal) = nullptr;
    void (*failed)(Goal* goal) = nullptr;
};
void SetGoalNetHooks(const GoalNetHooks& hooks);
// The mission's goal list becomes the global one; the objective chain is
// made anew from the player's goals in ascending id. 0 without goals.
int32_t LinkGoals(int32_t relink);

// Every goal forgets the object: its subject, destination and the ship that met it.
void ForgetGoalSubject(const SpaceObject* object);
// Deletes every goal.
void FreeGoals();
