#include "shell/FlightReport.h"

#include <cstdio>
#include <string>
#include <unordered_map>

#include "engine/PrintableText.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"

namespace flight_report {

const char* NameOf(const SpaceObject* object) {
    // Escaped once and kept: names come from files and a few printed lines
    // take several at once.
    static std::unordered_map<std::string, std::string> escaped;
    const char* const name = object->name != nullptr ? object->name : "";
    if (IsPrintableText(name)) return name;
    return escaped.try_emplace(name, PrintableText(name)).first->second.c_str();
}

bool CountsAsKill(const SpaceObject& victim, const SpaceObject* killer) {
    return killer != nullptr && killer->type >= SpaceObject::kTypeCraft && killer->side != victim.side;
}

std::string DestroyedLine(const SpaceObject& object, const SpaceObject* killer) {
    std::string line = "destroyed " + std::to_string(object.type) + " \"" + NameOf(&object) + "\" by ";
    if (killer == nullptr) return line + "-";
    return line + std::to_string(killer->type) + " \"" + NameOf(killer) + "\"";
}

void PrintDestroyed(const SpaceObject& object, const SpaceObject* killer) {
    std::printf("%s\n", DestroyedLine(object, killer).c_str());
}

int32_t ReportCraft(const Craft& craft, CraftState& was, bool trace) {
    int32_t kills = 0;
    const bool jumping = craft.jumpDeadline > 0;
    if (trace && craft.hitPoints < was.hitPoints) {
        const SpaceObject* const attacker = craft.lastAttacker.Get();
        std::printf("hit \"%s\" %d -> %d by %s\n", NameOf(&craft), was.hitPoints, craft.hitPoints,
                    attacker != nullptr ? NameOf(attacker) : "-");
    }
    // The frame step clears the killer of a craft that comes back: the
    // death's own is kept.
    for (int32_t death = was.deaths; death < craft.deaths; ++death) {
        const SpaceObject* const killer = craft.deathKiller.Get();
        PrintDestroyed(craft, killer);
        kills += CountsAsKill(craft, killer) ? 1 : 0;
    }
    if (craft.deaths > was.deaths && craft.active != 0) std::printf("respawned %d \"%s\"\n", craft.type, NameOf(&craft));
    if (jumping && !was.jumping) std::printf("jumps %d \"%s\"\n", craft.type, NameOf(&craft));
    if (!jumping && was.jumping) std::printf("jumped %d \"%s\"\n", craft.type, NameOf(&craft));
    was = {craft.deaths, jumping, craft.hitPoints};
    return kills;
}

}  // namespace flight_report
