#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "game/GameState.h"
#include "game/Mission.h"
#include "platform/Clock.h"
#include "tests/support/FakeClock.h"
#include "tests/support/ScopedInstall.h"

class Model;
class SpaceObject;

// A mission's world for tests: a game state installed as g_gameState with a
// mission, the fake clock, and template objects with named node trees from
// which objects are spawned into the world. Everything left is removed and
// deleted at the end.
class WorldBuilder {
public:
    struct Node {
        const char* name;
        std::vector<Node> children;
    };

    WorldBuilder();
    ~WorldBuilder();
    WorldBuilder(const WorldBuilder&) = delete;
    WorldBuilder& operator=(const WorldBuilder&) = delete;

    // A template whose model is called `modelName`, with a tree of nodes
    // (each with a model of its name) under it.
    SpaceObject* Template(const char* modelName, const std::vector<Node>& children = {});
    // A new object of the template, in the world under `groupKey`.
    SpaceObject* Spawn(SpaceObject* templateObject, uint32_t groupKey);
    // The same for a kind: T(template, extra...).
    template <typename T, typename... Extra>
    T* SpawnAs(SpaceObject* templateObject, uint32_t groupKey, Extra... extra) {
        T* const object = new T(templateObject, extra...);
        object->groupKey = groupKey;
        object->SetTemplate(templateObject);
        game_->AddObjectsToWorld(object, 0);
        return object;
    }
    // A template whose model has a bounding sphere of `radius` around its
    // origin and a box just inside it.
    SpaceObject* Ball(const char* modelName, float radius);
    // A template of which no copy can be made: its Clone gives null.
    SpaceObject* Unclonable(const char* modelName);
    // As the world pass does: OnRemove with references cleared, then delete.
    void Remove(SpaceObject* object);
    // The world in GetNext order from the mission's first object.
    std::vector<SpaceObject*> World() const;

    FakeClock& Clock() { return clock_; }
    GameState& Game() { return *game_; }
    Mission& TheMission() { return mission_; }

private:
    Model* MakeModel(const char* name);
    void AddNodes(class Frame* parent, const std::vector<Node>& nodes);

    FakeClock clock_;
    ScopedInstall<platform::Clock> clockInstalled_;
    std::unique_ptr<GameState> game_;
    GameState* previousGame_;
    Mission mission_;
    std::vector<std::unique_ptr<Model>> models_;
    std::vector<SpaceObject*> templates_;
};
