#pragma once
#include <cstdint>

#include "engine/DynArray.h"
#include "mission/SpawnRecords.h"
#include "objects/ships/Craft.h"

class AiBrain;
class Maneuver;
class RadioMessage;
class WingGroup;

// Clears the wing-group pointer of a player's ship or an AI ship (for
// WingGroup::Dissolve).
void ClearWingGroupOf(SpaceObject* member);

// A computer-flown craft (type 16): the pilot's traits from "ai.iff", its
// maneuver repertoires from "aidetail.iff", its race, voice and face, and
// the brain and wing that fly it.
class AiShip : public Craft {
public:
    static constexpr int kTraits = 6;
    static constexpr int32_t kDefaultTrait = 50;
    static constexpr int32_t kBlueShieldRace = 23;
    static constexpr int32_t kAlwaysMaleRace = 19;
    static constexpr float kBaseMass = 10000.0f;
    static constexpr float kMessageRange = 2500.0f;
    static constexpr const char* kNamedFace = "NOT GENERIC";

    // From a ship record (null: a bare ship, as clones start); `label` is
    // the definition's name, which the face's class is read from.
    AiShip(SpaceObject* templateObject, const spawn_records::AiShip* record, const char* label = nullptr);
    ~AiShip() override;

    void Init() override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    const char* GetRaceName() const override;
    // The think step: reports, radio delivery, maneuvers and the brain.
    void UpdateParts(uint32_t milliseconds) override;
    AiBrain* Brain() const override { return brain; }

    // One of the fourteen named maneuvers (exact names), or null.
    static Maneuver* CreateManeuver(const char* name);
    static const char* RaceName(int32_t race);

    void PickRandomManeuver();
    void PickAttackManeuver();
    void NotifyBrain(int32_t event);
    void CreateBrain(WingGroup* group);
    // Picks a line of the mission's comm lines and queues it.
    void SayCommMessage(const char* keyword);
    // The wingman's numbered line from "commwm.iff".
    void SayWingmanMessage(int32_t n);

    int32_t traits[kTraits] = {};
    int32_t aiSetting = 0;
    int32_t skill = 0;
    uint32_t aiWords[8] = {};
    int32_t aiCounter = 25;
    void* aiRecord = nullptr;   // the AI's two-block record
    DynArray<Maneuver*> defensiveManeuvers;    // owned
    DynArray<Maneuver*> attackManeuvers;       // owned
    DynArray<Maneuver*> aggressiveManeuvers;   // owned
    Maneuver* currentManeuver = nullptr;       // one of the lists'
    int32_t race = 0;
    int32_t voiceGender = 2;                   // 1 female, 2 male
    int32_t sawPlayer = 0;
    uint32_t aiStartMs = 0;
    uint32_t reportClock = 0;                  // the last report attempt
    char extraNames[2][kLinkNameBytes + 1] = {};
    int32_t secondAiValue = 0;
    int32_t aiEnabled = 1;
    AiBrain* brain = nullptr;                  // owned
    WingGroup* wingGroup = nullptr;            // deleted with the first member to go
    RadioMessage* pendingMessage = nullptr;    // owned

private:
    void ReadTraits();
    void ReadManeuverLists();
    void SetFace(const spawn_records::AiShip& record);
};
