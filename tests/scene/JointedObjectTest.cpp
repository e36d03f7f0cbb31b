#include "scene/JointedObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "scene/Model.h"
#include "scene/TokenTable.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

// A figure of parts named after body-part tokens: body, with the left upper
// arm, the right forearm and the head below it.
class JointedObjectTest : public ::testing::Test {
protected:
    JointedObject* Part(const char* name, JointedObject* parent) {
        auto model = std::make_unique<Model>();
        std::strncpy(model->name, name, Model::kNameLength);
        auto part = std::make_unique<JointedObject>();
        part->AttachModel(model.get(), 0);
        part->ComputePartMask();
        if (parent != nullptr) part->AttachToParent(parent, 0);
        models_.push_back(std::move(model));
        parts_.push_back(std::move(part));
        return parts_.back().get();
    }
    void TearDown() override {
        for (auto it = parts_.rbegin(); it != parts_.rend(); ++it) (*it)->Detach(0, 0);
        parts_.clear();
        models_.clear();
    }

    const ScopedEngineHeap heap_{4 * 1024 * 1024};
    std::vector<std::unique_ptr<Model>> models_;
    std::vector<std::unique_ptr<JointedObject>> parts_;
};

TEST_F(JointedObjectTest, PartsAreFoundHiddenAndShownByTheirMasks) {
    JointedObject* const body = Part("mech_body", nullptr);
    JointedObject* const arm = Part("U_ARML", body);
    JointedObject* const forearm = Part("f_armr2", body);
    JointedObject* const head = Part("HEAD", body);
    JointedObject* const antenna = Part("antenna", body);
    EXPECT_EQ(body->mask, 0x40040u);
    EXPECT_EQ(arm->mask, 0x15008u);
    EXPECT_EQ(forearm->mask, 0x1A010u);
    EXPECT_EQ(antenna->mask, 0u);
    EXPECT_EQ(body->FindPart(0x40080), head);
    EXPECT_EQ(body->FindPart(0), antenna);   // found only by mask 0

    // Any bit in common: the left upper arm's mask hides every arm part.
    body->HidePartsAny(0x15008);
    EXPECT_NE(arm->flags & JointedObject::kFlagHidden, 0u);
    EXPECT_NE(forearm->flags & JointedObject::kFlagHidden, 0u);
    EXPECT_EQ(head->flags & JointedObject::kFlagHidden, 0u);
    body->ShowPartsAny(0xFFFFFFFF);
    body->HidePartsExact(0x15008);
    EXPECT_NE(arm->flags & JointedObject::kFlagHidden, 0u);
    EXPECT_EQ(forearm->flags & JointedObject::kFlagHidden, 0u);
    body->ShowPartsExact(0x15008);
    EXPECT_EQ(arm->flags & JointedObject::kFlagHidden, 0u);

    arm->mask = 0x2A004;
    body->RestoreMasks();
    EXPECT_EQ(arm->mask, 0x15008u);
    EXPECT_NE(JointedObject::SharedTokens(), nullptr);
}

TEST_F(JointedObjectTest, TheTokenTableLivesWithTheFigures) {
    {
        JointedObject one;
        EXPECT_NE(JointedObject::SharedTokens(), nullptr);
    }
    EXPECT_EQ(JointedObject::SharedTokens(), nullptr);
}

TEST_F(JointedObjectTest, RotationsStartFromTheRestTransform) {
    JointedObject* const arm = Part("U_ARML", nullptr);
    const float quarter[3] = {0.0f, 0.0f, 90.0f};
    arm->SetRotation(quarter);
    arm->SetRotation(quarter);   // not added to the last: from the rest again
    const float* row = arm->local.matrix.rows[2];
    EXPECT_NEAR(std::fabs(row[0]), 1.0f, 1e-5f);
    EXPECT_NEAR(row[2], 0.0f, 1e-5f);
    const float none[3] = {0.0f, 0.0f, 0.0f};
    arm->SetRestRotation(none);
    EXPECT_NEAR(arm->local.matrix.rows[2][2], 1.0f, 1e-5f);
}

}  // namespace
