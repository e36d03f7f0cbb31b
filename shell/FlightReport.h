#pragma once
#include <cstdint>
#include <functional>
#include <string>

class AiShip;
class Craft;
class SpaceObject;

// The lines a headless flight tells of its crafts and objects: each death
// with its killer, respawns, jumps and (traced) hits and AI ships' states.
namespace flight_report {

using Say = std::function<void(const std::string& line)>;

// What the report last told of a craft.
struct CraftState {
    int32_t deaths = 0;
    bool jumping = false;
    int32_t hitPoints = 0;
    bool dyingTold = false;   // the death under way was told as it began
};

// A name fit to print between quotes: unprintable bytes escaped ("" for none).
const char* NameOf(const SpaceObject* object);
// A kill: destroyed by a craft of another side (a wingman's collision is none).
bool CountsAsKill(const SpaceObject& victim, const SpaceObject* killer);
// "destroyed TYPE "NAME" by TYPE "NAME"", or "by -" without a killer.
std::string DestroyedLine(const SpaceObject& object, const SpaceObject* killer);
// The trace's line of an AI ship in the flight's second `second`: what its
// brain does and at whom, its place, speed, hull and volleys fired.
std::string TraceLine(uint32_t second, const AiShip& pilot);
// Tells `say` (when set) each death of the craft since `*deaths` deaths
// and brings the count up to date: a death as its blow lands, the wreck
// still in the world, so that it comes before any goal that blow decides;
// one that began and ended unseen, as it ends. `*dyingTold` carries a
// death told before its end. The deaths told that were kills.
int32_t TellDeaths(const Craft& craft, int32_t* deaths, bool* dyingTold, const Say& say);
// Tells `say` what became of the craft since `was` (every death, also one
// that a respawn followed in the same frame, then the respawn; jumps; with
// `trace` lost hit points) and brings `was` up to date. The deaths that
// were kills.
int32_t ReportCraft(const Craft& craft, CraftState& was, bool trace, const Say& say);

}  // namespace flight_report
