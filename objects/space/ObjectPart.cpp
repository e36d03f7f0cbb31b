#include "objects/space/ObjectPart.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>
#include <algorithm>
#include <cstdint>

#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "objects/space/PartAttachment.h"
#include "objects/space/SpaceObject.h"
#include "objects/systems/ShipSystem.h"
#include "scene/SceneObject.h"

namespace {

struct KindEntry {
    char letter;
    int32_t kind;
    const char* word;   // null: the kind adds no word to the display name
    bool solid;
};

constexpr KindEntry kKinds[] = {
    {'E', ObjectPart::kEngine, "Engine", true},         {'W', ObjectPart::kWing, "Wing", true},
    {'C', ObjectPart::kCockpit, "Cockpit", true},       {'L', ObjectPart::kTurret, "Turret", true},
    {'M', ObjectPart::kMissileLauncher, "Missile Launcher", true},
    {'X', ObjectPart::kWeaponSystem, "Weapon System", true},
    {'S', ObjectPart::kShield, nullptr, false},         {'A', ObjectPart::kAttachment, nullptr, false},
    {'T', ObjectPart::kTarget, nullptr, true},          {'G', ObjectPart::kGun, nullptr, true},
};

const char* KindWord(int32_t kind) {
    if (kind == ObjectPart::kHull) return "Hull";
    for (const KindEntry& entry : kKinds) {
        if (entry.kind == kind) return entry.word;
    }
    return nullptr;
}

}  // namespace

ObjectPart::ObjectPart(SceneObject* node) : node(node) {}

ObjectPart::~ObjectPart() {
    DeleteSystems();
    delete attached;
    EngineRelease(displayName);
}

void ObjectPart::DeleteSystems() {
    for (ShipSystem* system : systems) delete system;
    systems.Clear();
}

void ObjectPart::SetKindFromLetter(char letter) {
    const char upper = char(std::toupper(static_cast<unsigned char>(letter)));
    kind = kHull;
    for (const KindEntry& entry : kKinds) {
        if (entry.letter == upper) {
            kind = entry.kind;
            if (!entry.solid) solid = 0;
            return;
        }
    }
}

void ObjectPart::SetNameFromCode(const char code[kCodeChars]) {
    direction = Vector3{0.0f, 0.0f, 0.0f};
    const auto upper = [](char c) { return char(std::toupper(static_cast<unsigned char>(c))); };
    const char where = upper(code[0]), side = upper(code[1]), height = upper(code[2]);
    if (where == 'F') direction.z = 1.0f;
    if (where == 'R') direction.z = -1.0f;
    if (side == 'L') direction.x = -1.0f;
    if (side == 'R') direction.x = 1.0f;
    if (height == 'H') direction.y = 1.0f;
    if (height == 'L') direction.y = -1.0f;

    std::string name;
    if (where == 'F') name = "Front ";
    if (where == 'R') name = "Rear ";
    if (where == 'S') {
        // Shields: a name of their own, no hit points.
        solid = 0;
        return;
    }
    if (side == 'L') name += "Left ";
    if (side == 'R') name += "Right ";
    if (height == 'H') name += "Upper ";
    if (height == 'L') name += "Lower ";
    if (const char* const word = KindWord(kind)) name += word;
    EngineRelease(displayName);
    displayName = static_cast<char*>(EngineAllocate(name.size() + 1));
    if (displayName != nullptr) std::memcpy(displayName, name.c_str(), name.size() + 1);
}

char ObjectPart::KindLetter(const char* name) {
    const size_t length = name != nullptr ? strnlen(name, 64) : 0;
    if (length < kMinConventionChars) return 0;
    return length == 10 ? name[length - 2] : name[length - 1];
}

void ObjectPart::Code(const char* name, char code[kCodeChars]) {
    const size_t length = name != nullptr ? strnlen(name, 64) : 0;
    for (int i = 0; i < kCodeChars; ++i) code[i] = length >= kMinConventionChars ? name[5 + i] : 0;
}

void ObjectPart::SetFromName(const char* name) {
    SetKindFromLetter(KindLetter(name));
    char code[kCodeChars];
    Code(name, code);
    SetNameFromCode(code);
}

void ObjectPart::GetVector(Vector3* out, bool jitter) const {
    if (!jitter) {
        *out = direction;
        return;
    }
    Vector3 shake = RandomUnitVector();
    shake.MultiplyScalar(0.5f);
    Vector3 sum = direction.Sum(shake);
    if (sum.Length() != 0.0f) sum.Normalize();
    *out = sum;
}

void ObjectPart::UpdateAttached(const Vector3& velocity) {
    if (attached == nullptr || node == nullptr) return;
    Vector3 position;
    node->local.matrix.GetTranslation(&position);
    if (node->parent != nullptr) {
        Vector3 world;
        g_mathRoutineTable.transformPoint(&position, &node->parent->world.matrix, &world);
        position = world;
    }
    attached->Follow(position, velocity);
}

int32_t ObjectPart::TakeDamage(DamageRecord& record) {
    const int64_t hit = int64_t(record.amounts[2]) + record.amounts[4];
    record.amounts[2] = record.amounts[4] = 0;
    if (hit < 1 || node == nullptr) return 0;
    const int64_t total = hit + undistributedDamage;
    undistributedDamage = 0;
    // The object that carries the part is the top of the node's tree.
    Frame* top = node;
    while (top->parent != nullptr) top = top->parent;
    auto* const object = dynamic_cast<SpaceObject*>(top);
    if (object == nullptr) return 0;

    // Systems of every part in line with this one, once per axis on which
    // the directions agree exactly.
    Vector3 here;
    GetVector(&here, false);
    std::vector<ShipSystem*> candidates;
    for (ObjectPart* part : object->parts) {
        Vector3 there;
        part->GetVector(&there, false);
        const int agreeing = int(there.x == here.x) + int(there.y == here.y) + int(there.z == here.z);
        for (int i = 0; i < agreeing; ++i) candidates.insert(candidates.end(), part->systems.begin(), part->systems.end());
    }
    if (candidates.empty()) return 0;
    int64_t given = 0;
    for (int64_t h = total / 2; h > 0; h /= 2) {
        const int32_t amount = int32_t(std::min<int64_t>(h, INT32_MAX));
        if (GameRandom() % 3 == 0) {
            if (object->DamageHitPoints(&here, amount)) return 1;
            given += amount;
        } else if (candidates[size_t(GameRandom()) % candidates.size()]->AddDamage(amount) == 0) {
            h *= 2;   // an indestructible system: the same amount goes elsewhere
        } else {
            given += amount;
        }
    }
    undistributedDamage = total - given;
    return 0;
}
