#include "tests/support/world/WorldBuilder.h"

#include <cstring>

#include "objects/space/SpaceObject.h"
#include "scene/Model.h"

namespace {

class UnclonableObject : public SpaceObject {
public:
    using SpaceObject::SpaceObject;
    SpaceObject* Clone(SpaceObject*, int32_t, int32_t) override { return nullptr; }
};

}  // namespace

WorldBuilder::WorldBuilder() : clockInstalled_(clock_), game_(std::make_unique<GameState>()), previousGame_(g_gameState) {
    clock_.SetMilliseconds(10000);
    g_gameState = game_.get();
    game_->mission = &mission_;
}

WorldBuilder::~WorldBuilder() {
    while (mission_.firstObject != nullptr) Remove(mission_.firstObject);
    for (SpaceObject* templateObject : templates_) delete templateObject;
    game_->mission = nullptr;
    game_.reset();
    g_gameState = previousGame_;
}

Model* WorldBuilder::MakeModel(const char* name) {
    auto model = std::make_unique<Model>();
    std::strncpy(model->name, name, Model::kNameLength);
    models_.push_back(std::move(model));
    return models_.back().get();
}

void WorldBuilder::AddNodes(Frame* parent, const std::vector<Node>& nodes) {
    for (const Node& node : nodes) {
        auto* const made = new SceneObject(MakeModel(node.name));
        made->AttachToParent(parent, 0);
        AddNodes(made, node.children);
    }
}

SpaceObject* WorldBuilder::Template(const char* modelName, const std::vector<Node>& children) {
    auto* const made = new SpaceObject(MakeModel(modelName));
    AddNodes(made, children);
    templates_.push_back(made);
    return made;
}

SpaceObject* WorldBuilder::Unclonable(const char* modelName) {
    auto* const made = new UnclonableObject(MakeModel(modelName));
    templates_.push_back(made);
    return made;
}

SpaceObject* WorldBuilder::Spawn(SpaceObject* templateObject, uint32_t groupKey) {
    auto* const object = new SpaceObject(templateObject);
    object->groupKey = groupKey;
    object->SetTemplate(templateObject);
    game_->AddObjectsToWorld(object, 0);
    return object;
}

void WorldBuilder::Remove(SpaceObject* object) {
    object->OnRemove(1);
    delete object;
}

std::vector<SpaceObject*> WorldBuilder::World() const {
    std::vector<SpaceObject*> objects;
    for (SpaceObject* object = mission_.firstObject; object != nullptr; object = object->GetNext()) objects.push_back(object);
    return objects;
}

SpaceObject* WorldBuilder::Ball(const char* modelName, float radius) {
    SpaceObject* const made = Template(modelName);
    made->model->sphere.radius = radius;
    made->model->box.min = Vector3{-radius * 0.7f, -radius * 0.7f, -radius * 0.7f};
    made->model->box.max = Vector3{radius * 0.7f, radius * 0.7f, radius * 0.7f};
    made->ownSphere = &made->model->sphere;
    return made;
}
