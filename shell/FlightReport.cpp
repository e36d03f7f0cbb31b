#include "shell/FlightReport.h"

#include <cstdio>
#include <string>
#include <unordered_map>

#include "ai/AiBrain.h"
#include "engine/PrintableText.h"
#include "objects/ships/AiShip.h"
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

std::string TraceLine(uint32_t second, const AiShip& pilot) {
    const AiBrain* const brain = pilot.brain;
    const SpaceObject* const target = brain != nullptr ? brain->hostile.Get() : nullptr;
    const Vector3 at = pilot.Position();
    char line[256];
    std::snprintf(line, sizeof line, "%us \"%s\" %s target %s at %.0f %.0f %.0f speed %.0f hp %d volleys %d", second,
                  NameOf(&pilot), brain != nullptr ? AiBrain::BehaviorName(brain->behavior) : "-",
                  target != nullptr ? NameOf(target) : "-", at.x, at.y, at.z, pilot.velocity.Length(), pilot.hitPoints,
                  brain != nullptr ? brain->shotsFired : 0);
    return line;
}

int32_t ReportCraft(const Craft& craft, CraftState& was, bool trace, const Say& say) {
    int32_t kills = 0;
    const bool jumping = craft.jumpDeadline > 0;
    const std::string name = std::string(" \"") + NameOf(&craft) + "\"";
    if (trace && craft.hitPoints < was.hitPoints) {
        const SpaceObject* const attacker = craft.lastAttacker.Get();
        say("hit" + name + " " + std::to_string(was.hitPoints) + " -> " + std::to_string(craft.hitPoints) + " by " +
            (attacker != nullptr ? NameOf(attacker) : "-"));
    }
    const int32_t deathsBefore = was.deaths;
    kills += TellDeaths(craft, &was.deaths, &was.dyingTold, say);
    const std::string kind = " " + std::to_string(craft.type) + name;
    if (craft.deaths > deathsBefore && craft.active != 0) say("respawned" + kind);
    if (jumping && !was.jumping) say("jumps" + kind);
    if (!jumping && was.jumping) say("jumped" + kind);
    was.jumping = jumping;
    was.hitPoints = craft.hitPoints;
    return kills;
}

int32_t TellDeaths(const Craft& craft, int32_t* deaths, bool* dyingTold, const Say& say) {
    int32_t kills = 0;
    const auto tell = [&](const SpaceObject* killer) {
        if (say) say(DestroyedLine(craft, killer));
        kills += CountsAsKill(craft, killer) ? 1 : 0;
    };
    if (craft.dead != 0 && craft.active != 0 && !*dyingTold) {
        tell(craft.killer.Get());
        *dyingTold = true;
    }
    // The frame step clears the killer of a craft that comes back: the
    // death's own is kept.
    for (int32_t death = *deaths; death < craft.deaths; ++death) {
        if (*dyingTold) {
            *dyingTold = false;
            continue;
        }
        tell(craft.deathKiller.Get());
    }
    *deaths = craft.deaths;
    return kills;
}

}  // namespace flight_report
